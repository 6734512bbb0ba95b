// A test editor as Bravik's jump expects the Hidemaru editor: a window titled
// with the opened file, command 34 opening a dialog "指定行への移動" whose edit
// control 163 takes the line, "/j<line>" on the command line. It appends to the
// file FAKEHIDEMARU_RESULT names: pid <n>, open <path>, cwd <dir>, cmdline-line
// <n>, dialog, ignored (FAKEHIDEMARU_NODIALOG=1), jump <line at OK>, mark
// (WM_APP reached the queue). FAKEHIDEMARU_DELAY_MS delays its window.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "fakehidemaru.h"

static int Environment(const char* name) {
    char value[16];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? atoi(value) : 0;
}

static void Record(const char* format, ...) {
    char path[MAX_PATH], text[1024];
    DWORD n = GetEnvironmentVariableA("FAKEHIDEMARU_RESULT", path, sizeof path);
    if (n == 0 || n >= sizeof path) return;
    va_list args;
    va_start(args, format);
    int length = vsnprintf(text, sizeof text - 2, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > (int)sizeof text - 3) length = (int)sizeof text - 3;
    text[length++] = '\r';
    text[length++] = '\n';
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text, (DWORD)length, &written, nullptr);
    CloseHandle(file);
}

// Next blank-separated argument, quotes grouping; no trail byte of CP932 is
// a blank or a quote, so the walk can go byte by byte.
static const char* NextArgument(const char* p, char* out, size_t size) {
    while (*p == ' ' || *p == '\t') ++p;
    if (!*p) return nullptr;
    size_t n = 0;
    for (bool quoted = false; *p && (quoted || (*p != ' ' && *p != '\t')); ++p)
        if (*p == '"') quoted = !quoted;
        else if (n + 1 < size) out[n++] = *p;
    out[n] = '\0';
    return p;
}

static INT_PTR CALLBACK JumpDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        // As the real dialog, it opens with the current line selected, so
        // the line sent with EM_REPLACESEL replaces it.
        SetDlgItemTextA(dialog, IDC_LINE, "1");
        SendDlgItemMessageA(dialog, IDC_LINE, EM_SETSEL, 0, -1);
        return TRUE;
    }
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)) return FALSE;
    char text[64];
    GetDlgItemTextA(dialog, IDC_LINE, text, sizeof text);
    if (LOWORD(wParam) == IDOK) Record("jump %s", text);
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

static LRESULT CALLBACK EditorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == CMD_JUMP_DIALOG) {
        if (Environment("FAKEHIDEMARU_NODIALOG")) return Record("ignored"), 0;
        Record("dialog");
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_JUMP), window, JumpDialogProc, 0);
        return 0;
    }
    if (message == WM_APP) return Record("mark"), 0;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    char argument[MAX_PATH], fullPath[MAX_PATH] = "", cwd[MAX_PATH] = "";
    int line = 0;
    for (const char* p = commandLine; (p = NextArgument(p, argument, sizeof argument));) {
        if ((argument[0] == '/' || argument[0] == '-') && (argument[1] == 'j' || argument[1] == 'J'))
            line = atoi(argument + 2);
        else if (argument[0] != '/' && !fullPath[0])
            GetFullPathNameA(argument, sizeof fullPath, fullPath, nullptr);
    }
    GetCurrentDirectoryA(sizeof cwd, cwd);
    Record("pid %lu", GetCurrentProcessId());
    Record("open %s", fullPath);
    Record("cwd %s", cwd);
    if (line) Record("cmdline-line %d", line);
    Sleep((DWORD)Environment("FAKEHIDEMARU_DELAY_MS"));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = EditorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "FakeHidemaru";
    RegisterClassA(&windowClass);
    char title[MAX_PATH + 32];
    snprintf(title, sizeof title, "%s - 秀丸", fullPath[0] ? fullPath : "(無題)");
    HWND window = CreateWindowA("FakeHidemaru", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 320,
                                nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
