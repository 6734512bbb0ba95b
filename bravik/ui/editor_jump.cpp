#include "bravik/ui/editor_jump.h"

#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"
#include "bravik/core/editor_jump.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/message_box.h"
#include "bravik/ui/output_pane.h"

HWND foundWindow;

// A window that stopped answering would otherwise hold the jump forever.
static const UINT TITLE_REQUEST_TIMEOUT_MS = 500;
// The jump dialog is looked for up to a hundred times: a slow window may
// cost each search only a little, and all of them together stay short.
static const UINT DIALOG_TITLE_TIMEOUT_MS = 50;
static const DWORD DIALOG_SEARCH_LIMIT_MS = 1500;
static DWORD dialogSearchBegun;
static bool dialogSearchBounded;
static const DWORD WINDOW_POLL_MS = 50;
// Screen lines looked at for one output line in a wrapping pane.
static const int MAX_WRAPPED_LINES = 1000;

// The refusal names the longest command line that fits.
static void ShowCommandTooLong(HWND owner) {
    char text[128];
    snprintf(text, sizeof text, "エディタのコマンドラインが%uバイトを超えるため実行できません。",
             (unsigned)(JUMP_COMMAND_SIZE - 1));
    ShowCenteredMessage(owner, text, AppState.resourceName, MB_OK | MB_ICONHAND);
}

// True when screen line `index` ends an output line. A line that the pane
// wrapped is followed at once by the next one; an ending line has its break
// character between them (the last line has no next one).
static bool EndsOutputLine(HWND pane, LRESULT index) {
    LRESULT start = SendMessageA(pane, EM_LINEINDEX, index, 0);
    LRESULT next = SendMessageA(pane, EM_LINEINDEX, index + 1, 0);
    LRESULT length = SendMessageA(pane, EM_LINELENGTH, start, 0);
    return start < 0 || next < 0 || next - start > length;
}

// One screen line, at most 511 bytes. The buffer is cleared first: a count
// that stops inside a double-byte character is reported as reached although
// the character was not copied.
static void ReadVisualLine(HWND pane, LRESULT index, char* text) {
    memset(text, 0, JUMP_LINE_SIZE);
    WORD limit = (WORD)(JUMP_LINE_SIZE - 1);
    memcpy(text, &limit, sizeof limit);
    LRESULT copied = SendMessageA(pane, EM_GETLINE, (WPARAM)index, (LPARAM)text);
    if (copied < 0) copied = 0;
    if (copied > (LRESULT)(JUMP_LINE_SIZE - 1)) copied = JUMP_LINE_SIZE - 1;
    text[copied] = '\0';
    FinishCaretLine(text);
}

int ReadCaretLine(HWND outputPane, char* line) {
    // The pointer form of EM_GETSEL, because the packed result stops at 65535.
    DWORD start = 0, end = 0;
    SendMessageA(outputPane, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    LRESULT first = SendMessageA(outputPane, EM_LINEFROMCHAR, start, 0);
    LRESULT count = SendMessageA(outputPane, EM_GETLINECOUNT, 0, 0);
    // A pane that wraps shows a long output line as several lines; the jump
    // needs the whole of it, from its start.
    for (int back = 0; first > 0 && back < MAX_WRAPPED_LINES; ++back, --first)
        if (EndsOutputLine(outputPane, first - 1)) break;
    line[0] = '\0';
    char part[JUMP_LINE_SIZE];
    for (LRESULT index = first; index < first + MAX_WRAPPED_LINES; ++index) {
        ReadVisualLine(outputPane, index, part);
        size_t before = strlen(line);
        if (cp932::AppendCut(line, JUMP_LINE_SIZE, part) - before < strlen(part)) break;
        if (index + 1 >= count || EndsOutputLine(outputPane, index)) break;
    }
    return (int)strlen(line);
}

static void ReadWindowTitle(HWND window, char* title, UINT timeout) {
    DWORD_PTR length = 0;
    title[0] = '\0';
    if (!SendMessageTimeoutA(window, WM_GETTEXT, JUMP_TITLE_SIZE, (LPARAM)title,
                             SMTO_BLOCK | SMTO_ABORTIFHUNG, timeout, &length))
        title[0] = '\0';
    title[JUMP_TITLE_SIZE - 1] = '\0';
}

// The Hidemaru jump dialog is a visible standard dialog: other windows are not
// asked for their titles at all.
static bool MayBeJumpDialog(HWND window) {
    char cls[16];
    return IsWindowVisible(window) && GetClassNameA(window, cls, sizeof cls) && strcmp(cls, "#32770") == 0;
}

BOOL CALLBACK WindowTitleMatch(HWND window, LPARAM key) {
    const char* preparedKey = (const char*)key;
    char title[JUMP_TITLE_SIZE];
    if (preparedKey[0] == EXACT_KEY_MARK) {
        if (dialogSearchBounded && GetTickCount() - dialogSearchBegun >= DIALOG_SEARCH_LIMIT_MS) return FALSE;
        if (!MayBeJumpDialog(window)) return TRUE;
        ReadWindowTitle(window, title, DIALOG_TITLE_TIMEOUT_MS);
    } else {
        ReadWindowTitle(window, title, TITLE_REQUEST_TIMEOUT_MS);
    }
    // The run dialog is owned by the main window without being a popup, so
    // GetParent does not see its owner.
    bool ownedOrChild = GetParent(window) != nullptr || GetWindow(window, GW_OWNER) != nullptr;
    if (!TitleMatchesKey(title, preparedKey, ownedOrChild, IsWindowVisible(window) != FALSE))
        return TRUE;
    foundWindow = window;
    return FALSE;
}

HWND FindTopLevelWindow(const char* key) {
    foundWindow = nullptr;
    char prepared[JUMP_KEY_SIZE];
    PrepareSearchKey(prepared, sizeof prepared, key);
    EnumWindows(WindowTitleMatch, (LPARAM)prepared);
    if (!foundWindow && IsRootedName(key)) {
        char title[JUMP_KEY_SIZE];
        if (GetFileTitleA(key, title, (WORD)sizeof title) == 0) {
            PrepareSearchKey(prepared, sizeof prepared, title);
            EnumWindows(WindowTitleMatch, (LPARAM)prepared);
        }
    }
    return foundWindow;
}

HWND FindThreadWindow(DWORD threadId, const char* key) {
    foundWindow = nullptr;
    char prepared[JUMP_KEY_SIZE];
    PrepareSearchKey(prepared, sizeof prepared, key);
    EnumThreadWindows(threadId, WindowTitleMatch, (LPARAM)prepared);
    return foundWindow;
}

static void ActivateEditorWindow(HWND window) {
    if (IsIconic(window))
        ShowWindow(window, SW_SHOWNORMAL);
    else
        SetForegroundWindow(window);
}

// Starts the editor in the makefile's directory. Returns 0 when it cannot be
// started; *window receives its window showing the file, if one was seen.
static int StartEditor(char* command, const char* makefileDir, const char* key,
                       bool windowNeeded, HWND* window) {
    char directory[PATH_SIZE];
    EditorStartDirectory(directory, sizeof directory, makefileDir);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr,
                        directory[0] ? directory : nullptr, &startup, &process))
        return 0;
    DWORD begun = GetTickCount();
    WaitForInputIdle(process.hProcess, JUMP_IDLE_WAIT_MS);
    *window = FindThreadWindow(process.dwThreadId, key);
    // Idle can be reported before the editor has made its window (Wine does
    // so after half a second). While the line still has to be set, keep
    // looking for the rest of the wait, unless the editor has ended.
    while (!*window && windowNeeded && GetTickCount() - begun < (DWORD)JUMP_IDLE_WAIT_MS &&
           WaitForSingleObject(process.hProcess, WINDOW_POLL_MS) == WAIT_TIMEOUT)
        *window = FindThreadWindow(process.dwThreadId, key);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

static void DriveHidemaruJump(HWND editor, int line) {
    PostMessageA(editor, WM_COMMAND, HIDEMARU_JUMP_COMMAND, 0);
    HWND dialog = nullptr;
    dialogSearchBegun = GetTickCount();
    dialogSearchBounded = true;
    for (int i = 0; i < JUMP_DIALOG_TRIES && GetTickCount() - dialogSearchBegun < DIALOG_SEARCH_LIMIT_MS; ++i) {
        dialog = FindTopLevelWindow(HidemaruJumpDialogKey);
        if (dialog) break;
        Sleep(JUMP_DIALOG_PAUSE_MS);
    }
    dialogSearchBounded = false;
    if (!dialog) return;
    char number[16];
    snprintf(number, sizeof number, "%d", line);
    SendDlgItemMessageA(dialog, HIDEMARU_LINE_EDIT, EM_REPLACESEL, 0, (LPARAM)number);
    SendMessageA(dialog, WM_COMMAND, IDOK, 0);
}

void EditorJump(HWND outputPane) {
    const SettingsRecord& settings = AppState.settings;
    char name[JUMP_LINE_SIZE];
    ReadCaretLine(outputPane, name);
    int line = 0;
    if (name[0] != '\0') {
        char fileName[PATH_SIZE];
        int found = ParseDiagnosticLine(name, fileName);
        if (found != 0) {
            line = found;
            cp932::CopyCut(name, sizeof name, fileName);
        }
    }
    // A makefile path without a directory yields an empty directory, which
    // the path completion treats as the current one.
    char makefileDir[PATH_SIZE];
    MakefileDirectory(makefileDir, sizeof makefileDir, nullptr);
    if (name[0] == '\0') return;
    // A relative name printed inside a sub-make is first looked for where
    // that make ran.
    ResolveInMakeDirectory(outputPane, name, sizeof name);

    char path[JUMP_COMMAND_SIZE];
    if (!CompleteJumpPath(path, sizeof path, makefileDir, name)) return;
    FILE* file = fopen(path, "rt");
    if (!file) return;
    fclose(file);

    char command[JUMP_COMMAND_SIZE];
    bool lineAlreadyPassed = false;
    int commandFits = ComposeEditorCommand(command, sizeof command, settings.editorExe, settings.editorOptions, line,
                                           name, &lineAlreadyPassed);
    char key[JUMP_LINE_SIZE];
    if (!KeyNeedsFileTitle(name))
        cp932::CopyCut(key, sizeof key, name);
    else if (GetFileTitleA(name, key, PATH_SIZE) != 0)
        key[0] = '\0';

    HWND editor = FindTopLevelWindow(key);
    if (editor) {
        lineAlreadyPassed = false;
        ActivateEditorWindow(editor);
    } else if (settings.editorExe[0] != '\0') {
        if (!commandFits) {
            ShowCommandTooLong(GetAncestor(outputPane, GA_ROOT));
            return;
        }
        bool windowNeeded = ShouldPositionLine(true, line, lineAlreadyPassed, settings.editorKind);
        if (!StartEditor(command, makefileDir, key, windowNeeded, &editor)) return;
    } else {
        // The completed path is the file the existence test saw; the bare
        // name would be looked up in Bravik's own current directory.
        ShellExecuteA(nullptr, "open", path, nullptr, nullptr, SW_SHOWNORMAL);
        editor = FindTopLevelWindow(key);
    }
    if (ShouldPositionLine(editor != nullptr, line, lineAlreadyPassed, settings.editorKind))
        DriveHidemaruJump(editor, line);
}
