#include "bravik/ui/environment.h"

#include <stdio.h>
#include <string.h>

#include "bravik/core/environment.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/message_box.h"

// A directory that does not fit (or cannot be had) is given as empty, so the
// reference falls back to the variables instead of taking a cut path.
static void Directory(UINT (WINAPI* get)(LPSTR, UINT), char* out) {
    UINT n = get(out, PATH_SIZE);
    if (n == 0 || n >= PATH_SIZE) out[0] = '\0';
}

static UINT WINAPI CurrentDirectory(LPSTR out, UINT size) { return GetCurrentDirectoryA(size, out); }

char* BuildEnvironment(HWND owner, char separator) {
    const SettingsRecord& s = AppState.settings;
    char environment[sizeof s.environment + 1];
    memcpy(environment, s.environment, sizeof s.environment);
    environment[sizeof s.environment] = '\0';  // a record read from the registry may lack its NUL

    char systemDir[PATH_SIZE], windowsDir[PATH_SIZE], currentDir[PATH_SIZE];
    Directory(GetSystemDirectoryA, systemDir);
    Directory(GetWindowsDirectoryA, windowsDir);
    Directory(CurrentDirectory, currentDir);

    EnvironmentSources sources = {};
    sources.environment = environment;
    sources.useSystemEnv = (s.flags & FLAG_USE_SYSTEM_ENV) != 0;
    sources.systemDirectory = systemDir;
    sources.windowsDirectory = windowsDir;
    sources.currentDirectory = currentDir;
    char* system = sources.useSystemEnv ? GetEnvironmentStringsA() : nullptr;
    sources.systemStrings = system;

    EnvironmentRefusal refusal;
    char* block = ComposeEnvironment(sources, separator, &refusal);
    if (system) FreeEnvironmentStringsA(system);
    if (block) return block;
    if (refusal.tooLong) {
        char text[ENV_NAME_SHOWN_SIZE + 128];
        snprintf(text, sizeof text, "環境変数 %s の長さが%d文字を超えるため実行できません。", refusal.name,
                 ENV_VARIABLE_MAX_CHARS);
        ShowCenteredMessage(owner, text, AppState.resourceName, MB_OK | MB_ICONHAND);
    } else {
        ShowCenteredMessage(owner, "メモリ不足でＭＡＫＥを実行できません。", AppState.resourceName, MB_OK);
    }
    return nullptr;
}
