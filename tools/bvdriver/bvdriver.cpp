// Test driver: finds windows of another process and talks to them. Texts are
// printed as UTF-8 (read through the wide messages, which Wine marshals
// between processes), one result per line. Exit code 0 on success, 1 when
// the window or value was not found, 2 on bad usage.
#include <windows.h>
#include <shlwapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

static void PrintWide(const wchar_t* text) {
    char utf8[8192];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
    if (n <= 0) utf8[0] = '\0';
    fputs(utf8, stdout);
    fputc('\n', stdout);
}

static HWND ParseWindow(const char* arg) { return (HWND)(INT_PTR)_strtoi64(arg, nullptr, 0); }

struct FindRequest {
    const char* className;
    const wchar_t* title;  // exact title, or nullptr
    DWORD pid;             // 0: any
    HWND found;
};

static BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
    FindRequest* r = (FindRequest*)param;
    char cls[256];
    GetClassNameA(hwnd, cls, sizeof cls);
    if (strcmp(cls, r->className) != 0) return TRUE;
    if (r->pid) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        if (pid != r->pid) return TRUE;
    }
    if (r->title) {
        wchar_t text[1024] = L"";
        SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, nullptr);
        if (wcscmp(text, r->title) != 0) return TRUE;
    }
    r->found = hwnd;
    return FALSE;
}

static HWND WaitForWindow(const char* cls, const wchar_t* title, int timeoutMs) {
    DWORD end = GetTickCount() + (DWORD)timeoutMs;
    do {
        FindRequest r = {cls, title, 0, nullptr};
        EnumWindows(FindProc, (LPARAM)&r);
        if (r.found) return r.found;
        Sleep(50);
    } while ((int)(end - GetTickCount()) > 0);
    return nullptr;
}

static void ToWide(const char* utf8, wchar_t* out, int size) {
    if (!MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, size)) out[0] = 0;
}

static HKEY RootKey(const char* name) {
    if (!strcmp(name, "HKCU")) return HKEY_CURRENT_USER;
    if (!strcmp(name, "HKLM")) return HKEY_LOCAL_MACHINE;
    if (!strcmp(name, "HKCR")) return HKEY_CLASSES_ROOT;
    return nullptr;
}

static int Usage() {
    fputs("usage: bvdriver find CLASS [TITLE-UTF8|-] [TIMEOUT-MS]\n"
          "       bvdriver text HWND | items HWND ID | style HWND | rect HWND | child HWND ID\n"
          "       bvdriver close HWND | command HWND ID | show HWND CMD | gone HWND TIMEOUT-MS\n"
          "       bvdriver dialog-text HWND ID | visible HWND\n"
          "       bvdriver reg-read ROOT KEY VALUE | reg-write ROOT KEY VALUE FILE | reg-delete ROOT KEY\n",
          stderr);
    return 2;
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const char* cmd = argv[1];
    if (!strcmp(cmd, "find") && argc >= 3) {
        wchar_t title[1024];
        const wchar_t* t = nullptr;
        if (argc >= 4 && strcmp(argv[3], "-") != 0) {
            ToWide(argv[3], title, 1024);
            t = title;
        }
        HWND hwnd = WaitForWindow(argv[2], t, argc >= 5 ? atoi(argv[4]) : 10000);
        if (!hwnd) return 1;
        printf("%lld\n", (long long)(INT_PTR)hwnd);
        return 0;
    }
    if (argc < 3) return Usage();
    HWND hwnd = ParseWindow(argv[2]);
    if (!strcmp(cmd, "text")) {
        wchar_t text[4096] = L"";
        SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, nullptr);
        PrintWide(text);
        return 0;
    }
    if (!strcmp(cmd, "child") && argc >= 4) {
        HWND child = GetDlgItem(hwnd, atoi(argv[3]));
        if (!child) return 1;
        printf("%lld\n", (long long)(INT_PTR)child);
        return 0;
    }
    if (!strcmp(cmd, "dialog-text") && argc >= 4) {
        HWND child = GetDlgItem(hwnd, atoi(argv[3]));
        if (!child) return 1;
        wchar_t text[4096] = L"";
        SendMessageTimeoutW(child, WM_GETTEXT, 4096, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, nullptr);
        PrintWide(text);
        return 0;
    }
    if (!strcmp(cmd, "items") && argc >= 4) {
        HWND list = GetDlgItem(hwnd, atoi(argv[3]));
        if (!list) return 1;
        LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[1024] = L"";
            if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024) SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
            PrintWide(text);
        }
        return 0;
    }
    if (!strcmp(cmd, "style")) {
        printf("0x%08lx\n", (unsigned long)GetWindowLongW(hwnd, GWL_STYLE));
        return 0;
    }
    if (!strcmp(cmd, "visible")) {
        puts(IsWindowVisible(hwnd) ? "1" : "0");
        return 0;
    }
    if (!strcmp(cmd, "rect")) {
        RECT r;
        if (!GetWindowRect(hwnd, &r)) return 1;
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (!strcmp(cmd, "close")) return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!strcmp(cmd, "command") && argc >= 4) return PostMessageW(hwnd, WM_COMMAND, atoi(argv[3]), 0) ? 0 : 1;
    if (!strcmp(cmd, "show") && argc >= 4) {
        ShowWindow(hwnd, atoi(argv[3]));
        return 0;
    }
    if (!strcmp(cmd, "gone") && argc >= 4) {
        DWORD end = GetTickCount() + (DWORD)atoi(argv[3]);
        while (IsWindow(hwnd)) {
            if ((int)(end - GetTickCount()) <= 0) return 1;
            Sleep(50);
        }
        return 0;
    }
    if (!strncmp(cmd, "reg-", 4)) {
        HKEY root = RootKey(argv[2]);
        if (!root || argc < 4) return Usage();
        if (!strcmp(cmd, "reg-delete")) return SHDeleteKeyA(root, argv[3]) == ERROR_SUCCESS ? 0 : 1;
        if (argc < 5) return Usage();
        if (!strcmp(cmd, "reg-read")) {
            HKEY key;
            if (RegOpenKeyExA(root, argv[3], 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
            static BYTE data[65536];
            DWORD size = sizeof data, type = 0;
            LONG rc = RegQueryValueExA(key, argv[4], nullptr, &type, data, &size);
            RegCloseKey(key);
            if (rc != ERROR_SUCCESS) return 1;
            printf("%lu", (unsigned long)size);
            for (DWORD i = 0; i < size; ++i) printf(" %02x", data[i]);
            printf("\n");
            return 0;
        }
        if (!strcmp(cmd, "reg-write") && argc >= 6) {
            FILE* f = fopen(argv[5], "rb");
            if (!f) return 1;
            static BYTE data[65536];
            size_t size = fread(data, 1, sizeof data, f);
            fclose(f);
            HKEY key;
            if (RegCreateKeyA(root, argv[3], &key) != ERROR_SUCCESS) return 1;
            LONG rc = RegSetValueExA(key, argv[4], 0, REG_BINARY, data, (DWORD)size);
            RegCloseKey(key);
            return rc == ERROR_SUCCESS ? 0 : 1;
        }
    }
    return Usage();
}
