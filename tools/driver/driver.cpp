// Drives Bravik and UnInstal from another process for the end-to-end tests.
// Texts travel as UTF-8 (the wide messages are marshalled between processes,
// the ANSI ones not always); every number may be given by name, the ids as
// the two resource headers spell them. Exit code 1 when a window or value was
// not found in time, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <stdio.h>
#include <string.h>
#include <wchar.h>

#include "bravik/core/settings.h"
#include "bravik/ui/resource.h"
#include "uninstal/ui/resource.h"

static const char SpecKey[] = "Software\\Quibrel\\Bravik\\Spec";

static void Print(const wchar_t* text) {
    static char utf8[65536];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) <= 0) utf8[0] = '\0';
    puts(utf8);
}

#define N(x) {#x, x}
static const struct { const char* name; long long value; } Names[] = {
#include "resource_names.inc"
    N(IDOK), N(IDCANCEL), N(WM_CLOSE), N(WM_COMMAND), N(WM_SYSCOMMAND), N(SC_MAXIMIZE), N(BM_GETCHECK), N(BM_SETCHECK),
    N(CB_GETCURSEL), N(CB_SETCURSEL), N(LB_SETSEL), N(LB_SETCURSEL), N(EM_GETSEL), N(EM_LINEFROMCHAR), N(EM_POSFROMCHAR),
    N(TB_GETBUTTONSIZE),
    // The file dialogs' name box, and the message box's text as Wine numbers
    // it; the run dialog's pane keeps the id 0.
    {"FILE_NAME", cmb13}, {"FILE_NAME_EDIT", edt1}, {"MSGBOX_TEXT", 0xFFFF}, {"PANE", 0},
};

static long long Number(const wchar_t* arg) {
    char name[64];
    if (!iswalpha(arg[0])) return _wcstoi64(arg, nullptr, 0);
    WideCharToMultiByte(CP_UTF8, 0, arg, -1, name, sizeof name, nullptr, nullptr);
    for (const auto& n : Names)
        if (!strcmp(n.name, name)) return n.value;
    fprintf(stderr, "driver: unknown name %s\n", name);
    exit(2);
}

static wchar_t* Text(HWND hwnd) {
    static wchar_t text[32768];
    text[0] = L'\0';
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 32768, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, nullptr);
    return text;
}

// find CLASS TITLE MS: every visible top-level window of the class whose title
// is TITLE ("" any), once there is one.
struct Search {
    const wchar_t *cls, *title;
    int found;
};
static BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
    Search* s = (Search*)param;
    wchar_t cls[256];
    GetClassNameW(hwnd, cls, 256);
    if (IsWindowVisible(hwnd) && !wcscmp(cls, s->cls) && (!s->title || !wcscmp(Text(hwnd), s->title)))
        printf("%lld\n", (long long)(INT_PTR)hwnd), ++s->found;
    return TRUE;
}
static int Find(Search s, long long timeout) {
    for (DWORD start = GetTickCount(); EnumWindows(FindProc, (LPARAM)&s), !s.found; Sleep(50))
        if (GetTickCount() - start >= timeout) return 1;
    return 0;
}

// The stored settings record, its fields by name; values taken literally.
#define FIELD(f) {#f, offsetof(SettingsRecord, f), sizeof(SettingsRecord::f)}
static const struct { const char* name; size_t offset, size; } Fields[] = {
    FIELD(makeExe), FIELD(makeOptions), FIELD(environment), FIELD(editorExe), FIELD(editorOptions),
    FIELD(currentDir), FIELD(editorKind), FIELD(flags), FIELD(toolbarStyle), FIELD(jumpKey),
    FIELD(statusBarShown), {"word", offsetof(SettingsRecord, editorKind), 4}};

static bool Stored(const char* value, void* data, DWORD size, bool write) {
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SpecKey, &key) != ERROR_SUCCESS) return false;
    LONG rc = write ? RegSetValueExA(key, value, 0, REG_BINARY, (const BYTE*)data, size)
                    : RegQueryValueExA(key, value, nullptr, nullptr, (BYTE*)data, &size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

static int Settings(bool set, int argc, wchar_t** argv) {
    SettingsRecord s;
    DefaultSettings(s);
    if (!Stored("Value", &s, sizeof s, false) && !set) return 1;
    for (int i = 0; i < argc; ++i) {
        char arg[4096], *value = arg;
        WideCharToMultiByte(932, 0, argv[i], -1, arg, sizeof arg, nullptr, nullptr);
        if (set && !(value = strchr(arg, '='))) return 2;
        if (set) *value++ = '\0';
        int known = 0;
        for (const auto& f : Fields) {
            char* at = (char*)&s + f.offset;
            unsigned v = 0;
            static wchar_t wide[4096];
            if (strcmp(arg, f.name)) continue;
            ++known;
            if (f.size > 4 && set) memset(at, 0, f.size), strncpy(at, value, f.size - 1);
            else if (f.size > 4) MultiByteToWideChar(932, 0, at, -1, wide, 4096), Print(wide);
            else if (set) v = (unsigned)strtoul(value, nullptr, 0), memcpy(at, &v, f.size);
            else memcpy(&v, at, f.size), printf("%u\n", v);
        }
        if (!known) return 2;
    }
    return set && !Stored("Value", &s, sizeof s, true);
}

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    const wchar_t* cmd = argv[1];
    argc -= 2;
    argv += 2;
    auto is = [cmd](const wchar_t* verb) { return !wcscmp(cmd, verb); };
    auto arg = [&](int i, long long otherwise) { return i < argc ? Number(argv[i]) : otherwise; };
    if (is(L"settings-get") || is(L"settings-set")) return Settings(cmd[9] == L's', argc, argv);
    if (is(L"delete-settings")) return RegDeleteKeyA(HKEY_CURRENT_USER, SpecKey), 0;
    if (is(L"position")) {  // position [X Y W H]: the stored window position, or a new one
        WindowPosition p = {};
        if (argc == 4) p = {(int)Number(argv[0]), (int)Number(argv[1]), (int)Number(argv[2]), (int)Number(argv[3])};
        if (!Stored("Position", &p, sizeof p, argc == 4)) return 1;
        return argc == 4 || printf("%d %d %d %d\n", p.x, p.y, p.width, p.height) < 0;
    }
    if (is(L"find") && argc >= 1) return Find({argv[0], argc > 1 && argv[1][0] ? argv[1] : nullptr, 0}, arg(2, 5000));
    if (argc < 1) return 2;
    HWND hwnd = (HWND)(INT_PTR)_wcstoi64(argv[0], nullptr, 0);
    if (is(L"gone")) {  // until the window is destroyed or hidden
        for (DWORD start = GetTickCount(); IsWindow(hwnd) && IsWindowVisible(hwnd); Sleep(50))
            if (GetTickCount() - start >= arg(1, 5000)) return 1;
        return 0;
    }
    if (!IsWindow(hwnd)) return 1;
    if (is(L"press"))  // as a click does: the notification reaches the dialog
        return !PostMessageW(hwnd, WM_COMMAND, arg(1, 0), (LPARAM)GetDlgItem(hwnd, (int)arg(1, 0)));
    if (is(L"post") && argc == 4) return !PostMessageW(hwnd, (UINT)arg(1, 0), arg(2, 0), arg(3, 0));
    if (is(L"send") && argc == 4) return printf("%lld\n", (long long)SendMessageW(hwnd, (UINT)arg(1, 0), arg(2, 0), arg(3, 0))), 0;
    // The verbs below act on the child with the id given after the window, if any.
    if (argc >= 2 && !(hwnd = GetDlgItem(hwnd, (int)Number(argv[1])))) return 1;
    if (is(L"item")) return printf("%lld\n", (long long)(INT_PTR)hwnd), 0;
    if (is(L"text")) return Print(Text(hwnd)), 0;
    if (is(L"style")) return printf("%lu\n", (unsigned long)GetWindowLongW(hwnd, GWL_STYLE)), 0;
    if (is(L"state")) return printf("visible=%d enabled=%d\n", !!IsWindowVisible(hwnd), !!IsWindowEnabled(hwnd)), 0;
    if (is(L"rect") || is(L"client")) {  // in screen coordinates
        RECT r;
        if (is(L"rect")) GetWindowRect(hwnd, &r);
        else GetClientRect(hwnd, &r), MapWindowPoints(hwnd, nullptr, (POINT*)&r, 2);
        return printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top), 0;
    }
    if (is(L"items")) {  // of a list box
        wchar_t text[1024];
        LRESULT count = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            text[0] = L'\0';
            if (SendMessageW(hwnd, LB_GETTEXTLEN, i, 0) < 1024) SendMessageW(hwnd, LB_GETTEXT, i, (LPARAM)text);
            Print(text);
        }
        return count < 0;
    }
    if (is(L"set-text") && argc == 3) return !SendMessageW(hwnd, WM_SETTEXT, 0, (LPARAM)argv[2]);
    return 2;
}
