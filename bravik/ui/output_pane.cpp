#include "bravik/ui/output_pane.h"

#include <commdlg.h>
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"
#include "bravik/core/editor_jump.h"
#include "bravik/core/make_directories.h"
#include "bravik/core/run.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/run_dialog.h"

static HWND runDialog;
static HWND runPane;
static HWND countsLine;
static HHOOK keyFilter;
static MakeDirectories runDirectories;
static bool runEnded;
// The first F4 of a run, and the first after it, start at the top while the
// caret is still at the end where the output left it.
static bool walkFromTop;

static const struct {
    int command;
    const char* text;  // nullptr: a separator
} paneMenu[] = {
    {PANE_COPY, "コピー"},
    {PANE_SELECT_ALL, "すべて選択"},
    {0, nullptr},
    {PANE_NEXT_ERROR, "次のエラー (F4)"},
    {PANE_PREVIOUS_ERROR, "前のエラー (Shift+F4)"},
    {0, nullptr},
    {PANE_SAVE, "名前を付けて保存..."},
};

// The pane's text as the control holds it: UTF-16, every paragraph ended by a
// lone CR, so an index into it is a character position of the control.
static wchar_t* ReadPaneText(HWND pane, LONG* length) {
    GETTEXTLENGTHEX size = {GTL_NUMCHARS | GTL_PRECISE, 1200};
    LONG n = (LONG)SendMessageA(pane, EM_GETTEXTLENGTHEX, (WPARAM)&size, 0);
    if (n < 0) n = 0;
    wchar_t* text = (wchar_t*)malloc(((size_t)n + 1) * sizeof(wchar_t));
    if (!text) return nullptr;
    GETTEXTEX get = {(DWORD)(((size_t)n + 1) * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    LONG got = (LONG)SendMessageA(pane, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)text);
    *length = got < 0 ? 0 : got > n ? n : got;
    text[*length] = L'\0';
    return text;
}

static LONG ParagraphStart(const wchar_t* text, LONG at) {
    while (at > 0 && text[at - 1] != L'\r') --at;
    return at;
}

static LONG ParagraphEnd(const wchar_t* text, LONG length, LONG at) {
    while (at < length && text[at] != L'\r') ++at;
    return at;
}

// Whether the recognizer accepts the paragraph, read as the editor jump reads
// a line: in code page 932, at most its first 511 bytes.
static bool IsDiagnosticParagraph(const wchar_t* text, LONG start, LONG end) {
    const int maxChars = (int)JUMP_LINE_SIZE - 1;
    int chars = end - start > maxChars ? maxChars : (int)(end - start);
    char converted[2 * JUMP_LINE_SIZE];
    int bytes = WideCharToMultiByte(932, 0, text + start, chars, converted, sizeof converted - 1, nullptr, nullptr);
    converted[bytes > 0 ? bytes : 0] = '\0';
    char line[JUMP_LINE_SIZE];
    cp932::CopyCut(line, sizeof line, converted);
    char fileName[DIAGNOSTIC_FILE_NAME_SIZE];
    return line[0] && ParseDiagnosticLine(line, fileName) != 0 && fileName[0];
}

static LONG CaretPosition(HWND pane) {
    CHARRANGE selection = {0, 0};
    SendMessageA(pane, EM_EXGETSEL, 0, (LPARAM)&selection);
    return selection.cpMin;
}

int StepDiagnostic(int direction) {
    if (!runPane) return 0;
    LONG length = 0;
    wchar_t* text = ReadPaneText(runPane, &length);
    if (!text) return 0;
    LONG caret = CaretPosition(runPane);
    if (caret > length) caret = length;
    LONG found = -1, foundEnd = -1;
    if (direction > 0) {
        LONG start = walkFromTop && caret >= length ? 0 : ParagraphEnd(text, length, caret) + 1;
        while (start < length && found < 0) {
            LONG end = ParagraphEnd(text, length, start);
            if (IsDiagnosticParagraph(text, start, end)) found = start, foundEnd = end;
            start = end + 1;
        }
    } else {
        LONG end = ParagraphStart(text, caret) - 1;
        while (end >= 0 && found < 0) {
            LONG start = ParagraphStart(text, end);
            if (IsDiagnosticParagraph(text, start, end)) found = start, foundEnd = end;
            end = start - 1;
        }
    }
    free(text);
    walkFromTop = false;
    if (found < 0) {
        MessageBeep(MB_OK);
        return 0;
    }
    CHARRANGE line = {found, foundEnd};
    SendMessageA(runPane, EM_EXSETSEL, 0, (LPARAM)&line);
    SendMessageA(runPane, EM_SCROLLCARET, 0, 0);
    if (runEnded) SendMessageA(runDialog, WM_COMMAND, IDC_EDITORJUMP, 0);
    return 1;
}

// "makefile.log" beside the makefile.
static void DefaultLogName(char* file, size_t fileSize, char* directory, size_t directorySize) {
    MakefileDirectory(directory, directorySize, nullptr);
    const char* path = AppState.makefilePath;
    const char* base = path;
    for (const char* p = path; *p; p = cp932::Next(p))
        if (*p == '\\' || *p == '/' || *p == ':') base = p + 1;
    cp932::CopyCut(file, fileSize - 4, base);
    char* dot = (char*)cp932::FindLastChar(file, '.');
    if (dot) *dot = '\0';
    strcat(file, ".log");
}

int WritePaneText(HWND pane, const char* path) {
    GETTEXTLENGTHEX size = {GTL_NUMCHARS | GTL_USECRLF | GTL_PRECISE, 1200};
    LONG chars = (LONG)SendMessageA(pane, EM_GETTEXTLENGTHEX, (WPARAM)&size, 0);
    if (chars < 0) chars = 0;
    size_t capacity = 2 * (size_t)chars + 2;  // a character takes at most two bytes in code page 932
    char* text = (char*)malloc(capacity);
    if (!text) return 0;
    GETTEXTEX get = {(DWORD)capacity, GT_USECRLF, 932, "?", nullptr};
    LONG bytes = (LONG)SendMessageA(pane, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)text);
    if (bytes < 0) bytes = 0;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    int ok = 0;
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ok = WriteFile(file, text, (DWORD)bytes, &written, nullptr) && written == (DWORD)bytes;
        if (!CloseHandle(file)) ok = 0;
    }
    free(text);
    return ok;
}

static void SavePaneLog() {
    char file[PATH_SIZE], directory[PATH_SIZE];
    DefaultLogName(file, sizeof file, directory, sizeof directory);
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = runDialog;
    ofn.lpstrFilter = "ログ ファイル (*.log)\0*.log\0すべてのファイル (*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = PATH_SIZE;
    ofn.lpstrInitialDir = directory[0] ? directory : nullptr;
    ofn.lpstrDefExt = "log";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
    if (!GetSaveFileNameA(&ofn)) return;
    if (!WritePaneText(runPane, file)) ShowFileError(FILE_NOT_CREATED, file);
}

void RunPaneCommand(int command) {
    if (!runPane) return;
    switch (command) {
    case PANE_COPY: SendMessageA(runPane, WM_COPY, 0, 0); break;
    case PANE_SELECT_ALL: {
        CHARRANGE all = {0, -1};
        SendMessageA(runPane, EM_EXSETSEL, 0, (LPARAM)&all);
        break;
    }
    case PANE_NEXT_ERROR: StepDiagnostic(1); break;
    case PANE_PREVIOUS_ERROR: StepDiagnostic(-1); break;
    case PANE_SAVE: SavePaneLog(); break;
    }
}

void ShowPaneMenu(LPARAM screenPoint) {
    if (!runPane || !IsWindowEnabled(runPane)) return;
    POINT at = {(short)LOWORD(screenPoint), (short)HIWORD(screenPoint)};
    if (screenPoint == -1) {
        // From the keyboard: at the caret when it is in view.
        POINTL caret = {0, 0};
        SendMessageA(runPane, EM_POSFROMCHAR, (WPARAM)&caret, CaretPosition(runPane));
        RECT client;
        GetClientRect(runPane, &client);
        at.x = caret.x < 0 || caret.x > client.right ? 0 : caret.x;
        at.y = caret.y < 0 || caret.y > client.bottom ? 0 : caret.y + 12;
        ClientToScreen(runPane, &at);
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    CHARRANGE selection = {0, 0};
    SendMessageA(runPane, EM_EXGETSEL, 0, (LPARAM)&selection);
    for (const auto& item : paneMenu) {
        if (!item.text) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            continue;
        }
        UINT flags = MF_STRING;
        if (item.command == PANE_COPY && selection.cpMin == selection.cpMax) flags |= MF_GRAYED;
        AppendMenuA(menu, flags, (UINT_PTR)item.command, item.text);
    }
    int command = (int)TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN, at.x,
                                      at.y, 0, runDialog, nullptr);
    DestroyMenu(menu);
    RunPaneCommand(command);
}

// The dialog's keys, seen before the dialog manager handles them: F4 and
// Shift+F4 wherever the focus is in the dialog (while the run goes on the
// pane is disabled and a button has it), and the context-menu keys in the
// pane. A configured jump key F4 keeps its meaning; its key-up and the
// context-menu keys' are swallowed so nothing else acts on them.
static bool OnDialogKey(const MSG* msg) {
    if (msg->hwnd != runDialog && !IsChild(runDialog, msg->hwnd)) return false;
    bool down = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    bool up = msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    if (!down && !up) return false;
    bool shift = GetKeyState(VK_SHIFT) < 0;
    switch (msg->wParam) {
    case VK_F4:
        // Alt+F4 comes as a system key and closes the dialog as always.
        if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP) return false;
        if (JumpKeyVirtualCode(AppState.settings.jumpKey) == VK_F4) return false;
        if (down) StepDiagnostic(shift ? -1 : 1);
        return true;
    case VK_APPS:
    case VK_F10:
        if (msg->hwnd != runPane || (msg->wParam == VK_F10 && !shift)) return false;
        if (down) ShowPaneMenu(-1);
        return true;
    }
    return false;
}

static LRESULT CALLBACK DialogKeyFilter(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && runDialog && OnDialogKey((const MSG*)lParam)) return TRUE;
    return CallNextHookEx(keyFilter, code, wParam, lParam);
}

int LayoutCountsLine(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    if (!countsLine || dialog != runDialog) return client.bottom;
    HDC dc = GetDC(countsLine);
    HFONT old = (HFONT)SelectObject(dc, (HFONT)SendMessageA(countsLine, WM_GETFONT, 0, 0));
    TEXTMETRICA metrics;
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(countsLine, dc);
    int height = metrics.tmHeight + 6;
    int top = client.bottom - height;
    MoveWindow(countsLine, 4, top + 3, client.right - 8 > 0 ? client.right - 8 : 0, height - 3, TRUE);
    return top;
}

void BeginPaneRun(HWND dialog, HWND pane, OutputLines* lines) {
    runDialog = dialog;
    runPane = pane;
    runEnded = false;
    walkFromTop = true;
    countsLine = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, 0, 0, 0,
                                 dialog, (HMENU)IDC_RUNCOUNTS, AppState.instance, nullptr);
    if (countsLine) SendMessageA(countsLine, WM_SETFONT, SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
    FreeMakeDirectories(&runDirectories);
    lines->directories = &runDirectories;
    if (!keyFilter) keyFilter = SetWindowsHookExA(WH_MSGFILTER, DialogKeyFilter, nullptr, GetCurrentThreadId());
}

void EndPaneRun(const OutputLines* lines) {
    runEnded = true;
    walkFromTop = true;
    char text[96];
    snprintf(text, sizeof text, "エラー %d 行 / ジャンプ可能 %d 行", lines->errorLines, lines->jumpableLines);
    if (countsLine) SetWindowTextA(countsLine, text);
}

void ClosePaneRun() {
    if (keyFilter) UnhookWindowsHookEx(keyFilter);
    keyFilter = nullptr;
    FreeMakeDirectories(&runDirectories);
    runDialog = runPane = countsLine = nullptr;
}

// The output line of a pane position: the pane's first paragraph is the
// command line, then one paragraph for every line the output was split into.
static int OutputLineAt(HWND pane, LONG position) {
    LONG length = 0;
    wchar_t* text = ReadPaneText(pane, &length);
    if (!text) return -1;
    int paragraph = 0;
    for (LONG i = 0; i < position && i < length; ++i)
        if (text[i] == L'\r') ++paragraph;
    free(text);
    return paragraph - 1;
}

int ResolveInMakeDirectory(HWND pane, char* name, size_t size) {
    if (!runPane || pane != runPane || IsRootedName(name)) return 0;
    int line = OutputLineAt(pane, CaretPosition(pane));
    const char* directory = line < 0 ? nullptr : MakeDirectoryAt(&runDirectories, line);
    if (!directory) return 0;
    char path[JUMP_COMMAND_SIZE];
    if (!CompleteJumpPath(path, sizeof path, directory, name) || strlen(path) >= size) return 0;
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
    strcpy(name, path);
    return 1;
}
