// Stands in for an editor or a browser: appends its command line, as received,
// to the file named by BVRECORD_LOG. With BVRECORD_HIDEMARU=1 it goes on as
// Bravik's jump expects the Hidemaru editor: a window titled with the opened
// file, command 34 opening a dialog "指定行への移動" whose edit control 163
// takes the line, "/j<line>" on the command line; and it appends: pid <n>,
// open <path>, cwd <dir>, cmdline-line <n>, dialog, ignored
// (BVRECORD_NODIALOG=1), jump <line at OK>, mark (WM_APP reached the queue).
// BVRECORD_DELAY_MS delays its window.
#include <windows.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "bvrecord.h"

static int Environment(const char* name) {
    char value[16];
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? atoi(value) : 0;
}

static void Record(const char* format, ...) {
    char path[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("BVRECORD_LOG", path, sizeof path);
    FILE* f = n > 0 && n < sizeof path ? fopen(path, "ab") : nullptr;
    if (!f) return;
    va_list args;
    va_start(args, format);
    vfprintf(f, format, args);
    va_end(args);
    fputs("\r\n", f);
    fclose(f);
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
        if (Environment("BVRECORD_NODIALOG")) return Record("ignored"), 0;
        Record("dialog");
        DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_JUMP), window, JumpDialogProc, 0);
        return 0;
    }
    if (message == WM_APP) return Record("mark"), 0;
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    Record("%s", GetCommandLineA());
    if (!Environment("BVRECORD_HIDEMARU")) return 0;
    char fullPath[MAX_PATH] = "", cwd[MAX_PATH] = "";
    int line = 0;
    for (int i = 1; i < __argc; ++i)  // already in the ANSI code page
        if (__argv[i][0] == '/' && (__argv[i][1] == 'j' || __argv[i][1] == 'J'))
            line = atoi(__argv[i] + 2);
        else if (__argv[i][0] != '/' && !fullPath[0])
            GetFullPathNameA(__argv[i], sizeof fullPath, fullPath, nullptr);
    GetCurrentDirectoryA(sizeof cwd, cwd);
    Record("pid %lu", GetCurrentProcessId());
    Record("open %s", fullPath);
    Record("cwd %s", cwd);
    if (line) Record("cmdline-line %d", line);
    Sleep((DWORD)Environment("BVRECORD_DELAY_MS"));

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = EditorProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "FakeHidemaru";
    RegisterClassA(&windowClass);
    char title[MAX_PATH + 32];
    snprintf(title, sizeof title, "%s - 秀丸", fullPath);
    HWND window = CreateWindowA("FakeHidemaru", title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 480, 320,
                                nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ShowWindow(window, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    return 0;
}
