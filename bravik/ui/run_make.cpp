#include "bravik/ui/run_make.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/run_make.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/environment.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/message_box.h"
#include "bravik/ui/output_reader.h"
#include "bravik/ui/run_dialog.h"

int runAutoClosed;

static const char NoMakefileText[] =
    "ＭＡＫＥファイルが指定されていません。または間違っています。\n「ファイル/開く」コマンドを実行してください。";
static const char CannotRunSuffix[] = " が実行できません。";

// The refusal names the longest text that fits.
static void ShowMakeTooLong(HWND owner, int composed) {
    char text[128];
    if (composed == MAKE_OPTIONS_TOO_LONG)
        snprintf(text, sizeof text, "ＭＡＫＥのオプションが%uバイトを超えるため実行できません。",
                 (unsigned)(MAKE_OPTIONS_SIZE - 1));
    else
        snprintf(text, sizeof text, "ＭＡＫＥのコマンドラインが%uバイトを超えるため実行できません。",
                 (unsigned)(MAKE_COMMAND_SIZE - 1));
    ShowCenteredMessage(owner, text, AppState.resourceName, MB_OK | MB_ICONHAND);
}

// Shows the run dialog for a started child; -1 from the dialog call means no
// dialog could be shown, and nobody would read the child's output.
static RunOutcome ShowRun(HWND owner, STARTUPINFOA* startup, PROCESS_INFORMATION* process, HANDLE readEnd,
                          const char* commandLine) {
    RunRequest request = {startup, process, readEnd, commandLine};
    INT_PTR result = DialogBoxParamA(AppState.instance, "RESULTDLG", owner, RunDialogProc, (LPARAM)&request);
    if (result == -1) {
        TerminateProcess(process->hProcess, 0xFFFFFFFF);
        return Failed;
    }
    return (RunOutcome)result;
}

static RunOutcome StartMake(HWND owner, char* commandLine, char* environment, const char* directory) {
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    // Without a pipe the child still runs, with its output going nowhere.
    // Only Bravik reads: a child holding the read end would never see a
    // broken pipe after Bravik has quit and could wait for ever on it full.
    CreateOutputPipe(&readEnd, &writeEnd);
    // Reading standard input ends at once, instead of waiting for a console
    // that nobody types into.
    HANDLE nul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING, 0,
                             nullptr);
    if (nul == INVALID_HANDLE_VALUE) nul = nullptr;

    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = nul;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process;
    memset(&process, 0, sizeof process);

    RunOutcome outcome = Failed;
    // An empty directory (a makefile named without one) means Bravik's own.
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, TRUE, 0, environment, directory[0] ? directory : nullptr,
                       &startup, &process)) {
        outcome = ShowRun(owner, &startup, &process, readEnd, commandLine);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    } else {
        char text[MAKE_COMMAND_SIZE + sizeof CannotRunSuffix];
        strcpy(text, commandLine);
        strcat(text, CannotRunSuffix);
        ShowCenteredMessage(AppState.mainWindow, text, AppState.resourceName, MB_OK | MB_ICONHAND);
    }
    // The write end stays open for the whole run, so the pipe never reports
    // an end of file; the run ends by the process and what the pipe holds then.
    if (writeEnd) CloseHandle(writeEnd);
    if (readEnd) CloseHandle(readEnd);
    if (nul) CloseHandle(nul);
    return outcome;
}

RunOutcome RunMake(HWND owner, int index) {
    const SettingsRecord& settings = AppState.settings;
    char makefileDir[PATH_SIZE], directory[PATH_SIZE];
    if (!AppState.makefilePath[0] || MakefileDirectory(makefileDir, sizeof makefileDir, nullptr) != 0) {
        ShowCenteredMessage(owner, NoMakefileText, AppState.resourceName, MB_OK);
        return Failed;
    }
    MakeWorkingDirectory(makefileDir, settings.currentDir, directory, sizeof directory);

    char* environment = BuildEnvironment(owner, '\0');
    if (!environment) return Failed;

    const char* macros = "";
    if (index >= 0 && index < MAX_VARIANTS && AppState.variantMacros[index]) macros = AppState.variantMacros[index];
    char commandLine[MAKE_COMMAND_SIZE];
    int composed = ComposeMakeCommand(settings.makeExe, settings.makeOptions,
                                      MakefileOperand(AppState.makefilePath, settings.currentDir), macros, commandLine);
    RunOutcome outcome = Failed;
    if (composed == MAKE_COMMAND_OK)
        outcome = StartMake(owner, commandLine, environment, directory);
    else
        ShowMakeTooLong(owner, composed);
    free(environment);
    return outcome;
}
