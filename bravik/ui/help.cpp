#include "bravik/ui/help.h"

#include <shellapi.h>

#include "bravik/core/main.h"

static bool FileExists(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int ShowHelpContents(HWND owner) {
    char exe[PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, exe, sizeof exe);
    if (length == 0 || length >= sizeof exe) exe[0] = '\0';
    char helpFile[PATH_SIZE];
    HelpFilePath(exe, helpFile, sizeof helpFile);
    // Without a help file WinHelp would only ask whether to look for one;
    // the same contents ship as an HTML page beside the executable.
    if (!FileExists(helpFile)) {
        char page[PATH_SIZE];
        HelpPagePath(exe, page, sizeof page);
        if (FileExists(page) && (INT_PTR)ShellExecuteA(owner, nullptr, page, nullptr, nullptr, SW_SHOW) > 32)
            return 1;
    }
    WinHelpA(owner, helpFile, HELP_FINDER, 0);
    return 0;
}

void ShowHelpOnHelp(HWND owner) { WinHelpA(owner, nullptr, HELP_HELPONHELP, 0); }
