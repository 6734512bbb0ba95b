// Drives Bravik from another process for the end-to-end tests: finds its
// windows, sends them messages, reads their texts and states, and reads or
// writes the stored settings and other registry values. Texts travel as UTF-8
// on the command line and in the output (the wide messages are marshalled
// between processes, the ANSI ones are not always). Every number may be given
// by name: Bravik's ids as its resource header spells them, and the system's
// messages and dialog ids the scripts use. One result per line; exit code 0
// on success, 1 when a window or value was not found in time, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include "bravik/core/settings.h"
#include DRIVER_IDS_HEADER

static const char SpecKey[] = "Software\\Quibrel\\Bravik\\Spec";

static void PrintWide(const wchar_t* text) {
    static char utf8[65536];
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr) <= 0) utf8[0] = '\0';
    fputs(utf8, stdout);
    fputc('\n', stdout);
}

static void PrintCp932(const char* text) {
    static wchar_t wide[32768];
    if (MultiByteToWideChar(932, 0, text, -1, wide, 32768) <= 0) wide[0] = L'\0';
    PrintWide(wide);
}

static void WideToCp932(const wchar_t* text, char* out, int size) {
    if (WideCharToMultiByte(932, 0, text, -1, out, size, nullptr, nullptr) <= 0) out[0] = '\0';
}

struct Name {
    const char* name;
    long long value;
};
static const Name Names[] = {
#include "resource_names.inc"
    {"IDOK", IDOK}, {"IDCANCEL", IDCANCEL},
    {"WM_CLOSE", WM_CLOSE}, {"WM_COMMAND", WM_COMMAND}, {"WM_KEYDOWN", WM_KEYDOWN}, {"WM_SYSCOMMAND", WM_SYSCOMMAND},
    {"SW_MAXIMIZE", SW_MAXIMIZE}, {"SW_MINIMIZE", SW_MINIMIZE}, {"SC_KEYMENU", SC_KEYMENU},
    {"VK_RETURN", VK_RETURN}, {"VK_ESCAPE", VK_ESCAPE}, {"VK_UP", VK_UP}, {"VK_DOWN", VK_DOWN},
    {"VK_LEFT", VK_LEFT}, {"VK_RIGHT", VK_RIGHT}, {"EM_POSFROMCHAR", EM_POSFROMCHAR},
    {"TVM_GETNEXTITEM", TVM_GETNEXTITEM}, {"TVM_EXPAND", TVM_EXPAND}, {"TVM_SELECTITEM", TVM_SELECTITEM},
    {"TVGN_ROOT", TVGN_ROOT}, {"TVGN_CHILD", TVGN_CHILD}, {"TVGN_CARET", TVGN_CARET}, {"TVE_EXPAND", TVE_EXPAND},
    // The common dialogs' controls (file name, file types) and those of the
    // folder browser and the message box as Wine numbers them.
    {"FILE_NAME", cmb13}, {"FILE_NAME_EDIT", edt1}, {"FILE_TYPES", cmb1},
    {"BROWSE_TREE", 14145}, {"BROWSE_TITLE", 14146}, {"MSGBOX_TEXT", 0xFFFF}, {"MSGBOX_ICON", 1088},
    {"PANE", 0},  // the run dialog's output pane keeps the id it was created with
};

// A number, or the value of a name from the table above.
static long long ParseNumber(const wchar_t* arg) {
    char name[64];
    if (!iswalpha(arg[0]) || !WideCharToMultiByte(CP_UTF8, 0, arg, -1, name, sizeof name, nullptr, nullptr))
        return _wcstoi64(arg, nullptr, 0);
    for (const Name& n : Names)
        if (!strcmp(n.name, name)) return n.value;
    fprintf(stderr, "driver: unknown name %s\n", name);
    exit(2);
}
static HWND ParseWindow(const wchar_t* arg) { return (HWND)(INT_PTR)_wcstoi64(arg, nullptr, 0); }

struct FindRequest {
    const wchar_t* className;
    const wchar_t* title;  // exact title, or nullptr for any
    bool visibleOnly;
    HWND found;
};

static BOOL CALLBACK FindProc(HWND hwnd, LPARAM param) {
    FindRequest* r = (FindRequest*)param;
    wchar_t cls[256];
    GetClassNameW(hwnd, cls, 256);
    if (wcscmp(cls, r->className) != 0) return TRUE;
    if (r->visibleOnly && !IsWindowVisible(hwnd)) return TRUE;
    if (r->title) {
        wchar_t text[1024] = L"";
        SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, nullptr);
        if (wcscmp(text, r->title) != 0) return TRUE;
    }
    r->found = hwnd;
    return FALSE;
}

static HWND WaitForWindow(const wchar_t* cls, const wchar_t* title, bool visibleOnly, int timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        FindRequest r = {cls, title, visibleOnly, nullptr};
        EnumWindows(FindProc, (LPARAM)&r);
        if (r.found) return r.found;
        if ((int)(GetTickCount() - start) >= timeoutMs) return nullptr;
        Sleep(50);
    }
}

struct OwnedRequest {
    HWND owner;
    HWND found;
};

static BOOL CALLBACK OwnedProc(HWND hwnd, LPARAM param) {
    OwnedRequest* r = (OwnedRequest*)param;
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == r->owner) {
        r->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

static BOOL CALLBACK ChildTextProc(HWND hwnd, LPARAM) {
    wchar_t text[1024] = L"";
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, 500, nullptr);
    PrintWide(text);
    return TRUE;
}

static BOOL CALLBACK ListProc(HWND hwnd, LPARAM) {
    wchar_t cls[256], text[512] = L"", line[1024];
    GetClassNameW(hwnd, cls, 256);
    SendMessageTimeoutW(hwnd, WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 500, nullptr);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    swprintf(line, 1024, L"%lld %ls pid=%lu visible=%d \"%ls\"", (long long)(INT_PTR)hwnd, cls, pid,
             IsWindowVisible(hwnd) ? 1 : 0, text);
    PrintWide(line);
    return TRUE;
}

// Sends a message whose result lands in a buffer: the buffer is placed in the
// target process, since these messages are not marshalled.
static LRESULT SendWithRemoteBuffer(HWND hwnd, UINT msg, WPARAM wParam, void* buffer, SIZE_T size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return -1;
    void* remote = VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    LRESULT result = -1;
    if (remote) {
        WriteProcessMemory(process, remote, buffer, size, nullptr);
        result = SendMessageW(hwnd, msg, wParam, (LPARAM)remote);
        ReadProcessMemory(process, remote, buffer, size, nullptr);
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return result;
}

// --- the stored settings ---------------------------------------------------

struct TextField {
    const char* name;
    size_t offset;
    size_t size;
};
static const TextField TextFields[] = {
    {"makeExe", offsetof(SettingsRecord, makeExe), 260},
    {"makeOptions", offsetof(SettingsRecord, makeOptions), 260},
    {"environment", offsetof(SettingsRecord, environment), 2080},
    {"editorExe", offsetof(SettingsRecord, editorExe), 260},
    {"editorOptions", offsetof(SettingsRecord, editorOptions), 260},
    {"currentDir", offsetof(SettingsRecord, currentDir), 260},
};
struct NumberField {
    const char* name;
    size_t offset;
    size_t width;
};
static const NumberField NumberFields[] = {
    {"formatTag", offsetof(SettingsRecord, formatTag), 4},
    {"editorKind", offsetof(SettingsRecord, editorKind), 1},
    {"flags", offsetof(SettingsRecord, flags), 1},
    {"word", offsetof(SettingsRecord, editorKind), 4},
    {"toolbarStyle", offsetof(SettingsRecord, toolbarStyle), 4},
    {"jumpKey", offsetof(SettingsRecord, jumpKey), 4},
    {"lastVariant", offsetof(SettingsRecord, lastVariant), 4},
    {"statusBarShown", offsetof(SettingsRecord, statusBarShown), 4},
};

static bool ReadStored(const char* value, void* out, DWORD size, DWORD* got) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, SpecKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD length = size;
    LONG rc = RegQueryValueExA(key, value, nullptr, nullptr, (BYTE*)out, &length);
    RegCloseKey(key);
    if (got) *got = length;
    return rc == ERROR_SUCCESS;
}

static bool WriteStored(const char* value, const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyA(HKEY_CURRENT_USER, SpecKey, &key) != ERROR_SUCCESS) return false;
    LONG rc = RegSetValueExA(key, value, 0, REG_BINARY, (const BYTE*)data, size);
    RegCloseKey(key);
    return rc == ERROR_SUCCESS;
}

// settings-get [field]: prints "field=value" for every field, or the value of one.
static int SettingsGet(int argc, wchar_t** argv) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    DWORD got = 0;
    if (!ReadStored("Value", &s, sizeof s, &got)) return 1;
    char only[64] = "";
    if (argc > 0) WideToCp932(argv[0], only, sizeof only);
    bool found = false;
    for (const TextField& f : TextFields) {
        if (only[0] && strcmp(only, f.name) != 0) continue;
        char line[2200];
        snprintf(line, sizeof line, "%s%s%s", only[0] ? "" : f.name, only[0] ? "" : "=", (char*)&s + f.offset);
        PrintCp932(line);
        found = true;
    }
    for (const NumberField& f : NumberFields) {
        if (only[0] && strcmp(only, f.name) != 0) continue;
        long long v = 0;
        if (f.width == 1)
            v = *((uint8_t*)&s + f.offset);
        else if (f.name[0] == 'w' || f.name[0] == 'f')
            v = *(uint32_t*)((char*)&s + f.offset);
        else
            v = *(int32_t*)((char*)&s + f.offset);
        if (only[0])
            printf("%lld\n", v);
        else
            printf("%s=%lld\n", f.name, v);
        found = true;
    }
    if (!only[0]) printf("size=%lu\n", got);
    return found ? 0 : 2;
}

// settings-set field=value ...: changes the stored record (defaults when none).
// Values are taken literally: a path such as Z:\tmp\new\x keeps its
// backslashes. settings-set-lines FIELD LINE...: a text field of several
// lines, joined with CR LF.
static bool ReadOrDefault(SettingsRecord& s) {
    DWORD got = 0;
    if (!ReadStored("Value", &s, sizeof s, &got) || got != sizeof s) DefaultSettings(s);
    return true;
}

static bool SetTextField(SettingsRecord& s, const char* name, int count, wchar_t** lines) {
    for (const TextField& f : TextFields) {
        if (strcmp(name, f.name) != 0) continue;
        char* field = (char*)&s + f.offset;
        memset(field, 0, f.size);
        size_t n = 0;
        for (int i = 0; i < count; ++i) {
            char line[4096];
            WideToCp932(lines[i], line, sizeof line);
            if (i > 0 && n + 3 < f.size) {
                field[n++] = '\r';
                field[n++] = '\n';
            }
            for (const char* p = line; *p && n + 1 < f.size; ++p) field[n++] = *p;
        }
        return true;
    }
    return false;
}

static int SettingsSet(int argc, wchar_t** argv) {
    SettingsRecord s;
    ReadOrDefault(s);
    for (int i = 0; i < argc; ++i) {
        char arg[4096];
        WideToCp932(argv[i], arg, sizeof arg);
        char* eq = strchr(arg, '=');
        if (!eq) return 2;
        *eq = '\0';
        const wchar_t* value = wcschr(argv[i], L'=') + 1;
        bool known = SetTextField(s, arg, 1, (wchar_t**)&value);
        for (const NumberField& f : NumberFields) {
            if (strcmp(arg, f.name) != 0) continue;
            long long v = _wcstoi64(value, nullptr, 0);
            if (f.width == 1)
                *((uint8_t*)&s + f.offset) = (uint8_t)v;
            else
                *(uint32_t*)((char*)&s + f.offset) = (uint32_t)v;
            known = true;
        }
        if (!known) return 2;
    }
    return WriteStored("Value", &s, sizeof s) ? 0 : 1;
}

static int SettingsSetLines(int argc, wchar_t** argv) {
    if (argc < 1) return 2;
    SettingsRecord s;
    ReadOrDefault(s);
    char name[64];
    WideToCp932(argv[0], name, sizeof name);
    if (!SetTextField(s, name, argc - 1, argv + 1)) return 2;
    return WriteStored("Value", &s, sizeof s) ? 0 : 1;
}

// crashes: prints the program each running debugger was started for (Wine
// starts winedbg from the crashing process, whose name is the one to report),
// then ends both so that no crash dialog stays on the display.
static int Crashes() {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snap == INVALID_HANDLE_VALUE) return 1;
    PROCESSENTRY32W all[1024];
    int count = 0;
    all[0].dwSize = sizeof all[0];
    for (BOOL more = Process32FirstW(snap, &all[0]); more && count < 1023; more = Process32NextW(snap, &all[count])) {
        ++count;
        all[count].dwSize = sizeof all[count];
    }
    CloseHandle(snap);
    for (int i = 0; i < count; ++i) {
        if (_wcsicmp(all[i].szExeFile, L"winedbg.exe") != 0) continue;
        const wchar_t* crashed = L"(a program that has ended)";
        for (int j = 0; j < count; ++j)
            if (all[j].th32ProcessID == all[i].th32ParentProcessID) crashed = all[j].szExeFile;
        PrintWide(crashed);
        const DWORD ends[] = {all[i].th32ProcessID, all[i].th32ParentProcessID};
        for (DWORD pid : ends) {
            HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid);
            if (process) {
                TerminateProcess(process, 1);
                CloseHandle(process);
            }
        }
    }
    return 0;
}

// --- the registry -----------------------------------------------------------

static HKEY RootKey(const wchar_t* name) {
    if (!wcscmp(name, L"HKCU")) return HKEY_CURRENT_USER;
    if (!wcscmp(name, L"HKLM")) return HKEY_LOCAL_MACHINE;
    if (!wcscmp(name, L"HKCR")) return HKEY_CLASSES_ROOT;
    return nullptr;
}

// reg-read ROOT KEY VALUE: the size, then the bytes in hex. reg-write ROOT KEY
// VALUE FILE: the file's bytes as a binary value. reg-delete ROOT KEY: the
// key with everything under it.
static int Registry(const wchar_t* cmd, int argc, wchar_t** argv) {
    HKEY root = argc >= 2 ? RootKey(argv[0]) : nullptr;
    if (!root) return 2;
    if (!wcscmp(cmd, L"reg-delete")) return SHDeleteKeyW(root, argv[1]) == ERROR_SUCCESS ? 0 : 1;
    static BYTE data[65536];
    HKEY key;
    if (!wcscmp(cmd, L"reg-read") && argc >= 3) {
        if (RegOpenKeyExW(root, argv[1], 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
        DWORD size = sizeof data;
        LONG rc = RegQueryValueExW(key, argv[2], nullptr, nullptr, data, &size);
        RegCloseKey(key);
        if (rc != ERROR_SUCCESS) return 1;
        printf("%lu", (unsigned long)size);
        for (DWORD i = 0; i < size; ++i) printf(" %02x", data[i]);
        printf("\n");
        return 0;
    }
    if (!wcscmp(cmd, L"reg-write") && argc >= 4) {
        FILE* f = _wfopen(argv[3], L"rb");
        if (!f) return 1;
        size_t size = fread(data, 1, sizeof data, f);
        fclose(f);
        if (RegCreateKeyW(root, argv[1], &key) != ERROR_SUCCESS) return 1;
        LONG rc = RegSetValueExW(key, argv[2], 0, REG_BINARY, data, (DWORD)size);
        RegCloseKey(key);
        return rc == ERROR_SUCCESS ? 0 : 1;
    }
    return 2;
}

// --- commands -------------------------------------------------------------

static int Usage() {
    fputs("usage: driver <verb> ...   (HWND [ID]: the window, or its child with that id)\n"
          "  windows | find CLASS [TITLE] [MS] | find-visible CLASS [TITLE] [MS] | gone HWND [MS]\n"
          "  owned HWND [MS] | item HWND ID | children HWND | crashes\n"
          "  text HWND [ID] | style HWND [ID] | state HWND [ID] | rect HWND [ID] | client HWND\n"
          "  list-items HWND [ID] | list-select HWND INDEX... | combo HWND ID [INDEX] | combo-items HWND ID\n"
          "  check HWND ID | set-check HWND ID 0|1 | focus HWND | status HWND [ID]\n"
          "  button-count HWND [ID] | button-size HWND [ID] | toolbar-rect HWND INDEX\n"
          "  pane-text HWND | selection PANE | line-of PANE CHAR | caret-line PANE | char-pos PANE LINE\n"
          "  set-text HWND ID TEXT | set-lines HWND ID LINE...\n"
          "  press HWND ID | command HWND ID | close HWND | show HWND CMD | menu HWND | key HWND VK\n"
          "  post HWND MSG WPARAM LPARAM | send HWND MSG WPARAM LPARAM\n"
          "  settings-get [FIELD] | settings-set F=V... | settings-set-lines FIELD LINE... | delete-settings\n"
          "  position-get | position-set X Y W H | reg-read ROOT KEY VALUE | reg-write ROOT KEY VALUE FILE\n"
          "  reg-delete ROOT KEY\n",
          stderr);
    return 2;
}

static int Find(int argc, wchar_t** argv, bool visibleOnly) {
    if (argc < 1) return Usage();
    // An empty title or "-" matches any.
    const wchar_t* title = argc > 1 && argv[1][0] && wcscmp(argv[1], L"-") != 0 ? argv[1] : nullptr;
    int timeout = argc > 2 ? (int)ParseNumber(argv[2]) : 5000;
    HWND hwnd = WaitForWindow(argv[0], title, visibleOnly, timeout);
    if (!hwnd) return 1;
    printf("%lld\n", (long long)(INT_PTR)hwnd);
    return 0;
}

static int ListItems(HWND list) {
    LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR) return 1;
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[1024] = L"";
        if (SendMessageW(list, LB_GETTEXTLEN, i, 0) < 1024) SendMessageW(list, LB_GETTEXT, i, (LPARAM)text);
        PrintWide(text);
    }
    return 0;
}

static int PrintText(HWND hwnd) {
    static wchar_t text[32768];
    text[0] = L'\0';
    SendMessageW(hwnd, WM_GETTEXT, 32768, (LPARAM)text);
    PrintWide(text);
    return 0;
}

static int WaitOwned(HWND owner, int timeout) {
    DWORD start = GetTickCount();
    for (;;) {
        OwnedRequest r = {owner, nullptr};
        EnumWindows(OwnedProc, (LPARAM)&r);
        if (r.found) {
            printf("%lld\n", (long long)(INT_PTR)r.found);
            return 0;
        }
        if ((int)(GetTickCount() - start) >= timeout) return 1;
        Sleep(50);
    }
}

static int SetText(HWND hwnd, int count, wchar_t** lines) {
    // One line is put literally; several are joined with CR LF (for multi-line edits).
    static wchar_t text[8192];
    size_t n = 0;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && n + 3 < 8192) {
            text[n++] = L'\r';
            text[n++] = L'\n';
        }
        for (const wchar_t* p = lines[i]; *p && n + 1 < 8192; ++p) text[n++] = *p;
    }
    text[n] = L'\0';
    return SendMessageW(hwnd, WM_SETTEXT, 0, (LPARAM)text) ? 0 : 1;
}

static int PrintRect(HWND hwnd, bool client) {
    RECT r;
    if (!client) {
        if (!GetWindowRect(hwnd, &r)) return 1;
    } else {
        // Client rectangle in screen coordinates.
        GetClientRect(hwnd, &r);
        MapWindowPoints(hwnd, nullptr, (POINT*)&r, 2);
    }
    printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
    return 0;
}

static int Status(HWND bar) {
    // Whether the bar is in simple mode, then the text it shows (in simple
    // mode every part number reads the simple text).
    wchar_t text[1024];
    memset(text, 0, sizeof text);
    LRESULT simple = SendMessageW(bar, SB_ISSIMPLE, 0, 0);
    SendWithRemoteBuffer(bar, SB_GETTEXTW, 0, text, sizeof text - sizeof(wchar_t));
    printf("simple=%d\n", simple ? 1 : 0);
    PrintWide(text);
    return 0;
}

static int Focus(HWND hwnd) {
    // The id of the control that has the keyboard focus in the window's thread.
    GUITHREADINFO info;
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info) || !info.hwndFocus) return 1;
    printf("%d\n", GetDlgCtrlID(info.hwndFocus));
    return 0;
}

static int ListSelect(HWND list, int argc, wchar_t** argv) {
    // Selects the given items as clicks would (single or multiple selection).
    LONG style = GetWindowLongW(list, GWL_STYLE);
    bool multiple = (style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0;
    if (multiple) SendMessageW(list, LB_SETSEL, FALSE, -1);
    for (int i = 0; i < argc; ++i) {
        WPARAM index = (WPARAM)ParseNumber(argv[i]);
        if (multiple)
            SendMessageW(list, LB_SETSEL, TRUE, (LPARAM)index);
        else
            SendMessageW(list, LB_SETCURSEL, index, 0);
    }
    return 0;
}

static int Number(long long value) {
    printf("%lld\n", value);
    return 0;
}

// Verbs whose second argument is a child's id.
static bool TakesId(const wchar_t* cmd) {
    static const wchar_t* const verbs[] = {L"text",         L"style",        L"state", L"rect",  L"list-items",
                                           L"status",       L"button-count", L"item",  L"press", L"check",
                                           L"button-size",  L"set-check",    L"combo", L"combo-items",
                                           L"set-text",     L"set-lines"};
    for (const wchar_t* v : verbs)
        if (!wcscmp(cmd, v)) return true;
    return false;
}

// Verbs on a window alone, or on its child when an id follows.
static int OnWindow(const wchar_t* cmd, HWND hwnd) {
    if (!wcscmp(cmd, L"text")) return PrintText(hwnd);
    if (!wcscmp(cmd, L"style")) return Number((unsigned long)GetWindowLongW(hwnd, GWL_STYLE));
    if (!wcscmp(cmd, L"state")) {
        printf("visible=%d enabled=%d\n", IsWindowVisible(hwnd) ? 1 : 0, IsWindowEnabled(hwnd) ? 1 : 0);
        return 0;
    }
    if (!wcscmp(cmd, L"rect")) return PrintRect(hwnd, false);
    if (!wcscmp(cmd, L"list-items")) return ListItems(hwnd);
    if (!wcscmp(cmd, L"status")) return Status(hwnd);
    if (!wcscmp(cmd, L"button-count")) return Number(SendMessageW(hwnd, TB_BUTTONCOUNT, 0, 0));
    // Width and height packed as the toolbar answers: height in the high word.
    if (!wcscmp(cmd, L"button-size")) return Number(SendMessageW(hwnd, TB_GETBUTTONSIZE, 0, 0));
    return -1;
}

// Verbs on the run dialog's output pane (an edit control).
static int OnPane(const wchar_t* cmd, HWND pane, int argc, wchar_t** argv) {
    static const wchar_t* const verbs[] = {L"selection", L"caret-line", L"line-of", L"char-pos"};
    bool known = false;
    for (const wchar_t* v : verbs) known = known || !wcscmp(cmd, v);
    if (!known) return -1;
    DWORD start = 0, end = 0;
    SendMessageW(pane, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    if (!wcscmp(cmd, L"selection")) {
        printf("%lu %lu\n", start, end);
        return 0;
    }
    if (!wcscmp(cmd, L"caret-line")) return Number(SendMessageW(pane, EM_LINEFROMCHAR, start, 0));
    if (!wcscmp(cmd, L"line-of") && argc >= 1)
        return Number(SendMessageW(pane, EM_LINEFROMCHAR, (WPARAM)ParseNumber(argv[0]), 0));
    if (!wcscmp(cmd, L"char-pos") && argc >= 1) {
        // Client position of the first character of the given line.
        LRESULT index = SendMessageW(pane, EM_LINEINDEX, (WPARAM)ParseNumber(argv[0]), 0);
        LRESULT pos = SendMessageW(pane, EM_POSFROMCHAR, (WPARAM)index, 0);
        printf("%d %d\n", (int)(short)LOWORD(pos), (int)(short)HIWORD(pos));
        return 0;
    }
    return -1;
}

static int Run(int argc, wchar_t** argv) {
    if (argc < 1) return Usage();
    const wchar_t* cmd = argv[0];
    --argc;
    ++argv;
    if (!wcscmp(cmd, L"windows")) {
        EnumWindows(ListProc, 0);
        return 0;
    }
    if (!wcscmp(cmd, L"crashes")) return Crashes();
    if (!wcscmp(cmd, L"find")) return Find(argc, argv, false);
    if (!wcscmp(cmd, L"find-visible")) return Find(argc, argv, true);
    if (!wcscmp(cmd, L"settings-get")) return SettingsGet(argc, argv);
    if (!wcscmp(cmd, L"settings-set")) return SettingsSet(argc, argv);
    if (!wcscmp(cmd, L"settings-set-lines")) return SettingsSetLines(argc, argv);
    if (!wcsncmp(cmd, L"reg-", 4)) return Registry(cmd, argc, argv);
    if (!wcscmp(cmd, L"delete-settings")) {
        RegDeleteKeyA(HKEY_CURRENT_USER, SpecKey);
        return 0;
    }
    if (!wcscmp(cmd, L"position-set") && argc >= 4) {
        WindowPosition p = {(int32_t)ParseNumber(argv[0]), (int32_t)ParseNumber(argv[1]), (int32_t)ParseNumber(argv[2]),
                            (int32_t)ParseNumber(argv[3])};
        return WriteStored("Position", &p, sizeof p) ? 0 : 1;
    }
    if (!wcscmp(cmd, L"position-get")) {
        WindowPosition p;
        DWORD got = 0;
        if (!ReadStored("Position", &p, sizeof p, &got)) return 1;
        printf("%d %d %d %d\n", p.x, p.y, p.width, p.height);
        return 0;
    }
    if (argc < 1) return Usage();
    HWND hwnd = ParseWindow(argv[0]);
    if (!wcscmp(cmd, L"gone")) {
        // Until the window is destroyed or hidden.
        DWORD start = GetTickCount();
        int timeout = argc > 1 ? (int)ParseNumber(argv[1]) : 5000;
        while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
            if ((int)(GetTickCount() - start) >= timeout) return 1;
            Sleep(50);
        }
        return 0;
    }
    if (!IsWindow(hwnd)) return 1;
    if (!wcscmp(cmd, L"owned")) return WaitOwned(hwnd, argc > 1 ? (int)ParseNumber(argv[1]) : 5000);
    if (!wcscmp(cmd, L"pane-text")) return PrintText(GetDlgItem(hwnd, 0));
    HWND target = hwnd;
    if (TakesId(cmd) && argc >= 2) target = GetDlgItem(hwnd, (int)ParseNumber(argv[1]));
    if (!target) return 1;
    int rc = OnWindow(cmd, target);
    if (rc >= 0) return rc;
    rc = OnPane(cmd, hwnd, argc - 1, argv + 1);
    if (rc >= 0) return rc;
    if (!wcscmp(cmd, L"item") && argc >= 2) return Number((long long)(INT_PTR)target);
    if (!wcscmp(cmd, L"children")) {
        // The texts of the window's child windows, one a line.
        EnumChildWindows(hwnd, ChildTextProc, 0);
        return 0;
    }
    if (!wcscmp(cmd, L"client")) return PrintRect(hwnd, true);
    if (!wcscmp(cmd, L"focus")) return Focus(hwnd);
    if ((!wcscmp(cmd, L"set-text") || !wcscmp(cmd, L"set-lines")) && argc >= 2)
        return SetText(target, argc - 2, argv + 2);
    if ((!wcscmp(cmd, L"post") || !wcscmp(cmd, L"send")) && argc >= 4) {
        UINT msg = (UINT)ParseNumber(argv[1]);
        WPARAM wp = (WPARAM)ParseNumber(argv[2]);
        LPARAM lp = (LPARAM)ParseNumber(argv[3]);
        if (cmd[0] == L'p') return PostMessageW(hwnd, msg, wp, lp) ? 0 : 1;
        return Number(SendMessageW(hwnd, msg, wp, lp));
    }
    if (!wcscmp(cmd, L"close")) return PostMessageW(hwnd, WM_CLOSE, 0, 0) ? 0 : 1;
    if (!wcscmp(cmd, L"show") && argc >= 2) return ShowWindow(hwnd, (int)ParseNumber(argv[1])), 0;
    // The window's menu as Alt+Space opens it; key then posts keys into its loop.
    if (!wcscmp(cmd, L"menu")) return PostMessageW(hwnd, WM_SYSCOMMAND, SC_KEYMENU, L' ') ? 0 : 1;
    if (!wcscmp(cmd, L"key") && argc >= 2)
        return PostMessageW(hwnd, WM_KEYDOWN, (WPARAM)ParseNumber(argv[1]), 0) ? 0 : 1;
    if (!wcscmp(cmd, L"command") && argc >= 2)
        return PostMessageW(hwnd, WM_COMMAND, (WPARAM)ParseNumber(argv[1]), 0) ? 0 : 1;
    if (!wcscmp(cmd, L"press") && argc >= 2) {
        // As a click does: the button's notification reaches its dialog.
        int id = (int)ParseNumber(argv[1]);
        return PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)target) ? 0 : 1;
    }
    if (!wcscmp(cmd, L"check") && argc >= 2) return Number(SendMessageW(target, BM_GETCHECK, 0, 0));
    if (!wcscmp(cmd, L"set-check") && argc >= 3)
        return SendMessageW(target, BM_SETCHECK, (WPARAM)ParseNumber(argv[2]), 0), 0;
    if (!wcscmp(cmd, L"combo") && argc >= 2) {
        if (argc >= 3) SendMessageW(target, CB_SETCURSEL, (WPARAM)ParseNumber(argv[2]), 0);
        return Number(SendMessageW(target, CB_GETCURSEL, 0, 0));
    }
    if (!wcscmp(cmd, L"combo-items") && argc >= 2) {
        LRESULT count = SendMessageW(target, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t text[512] = L"";
            SendMessageW(target, CB_GETLBTEXT, i, (LPARAM)text);
            PrintWide(text);
        }
        return 0;
    }
    if (!wcscmp(cmd, L"list-select")) return ListSelect(hwnd, argc - 1, argv + 1);
    if (!wcscmp(cmd, L"toolbar-rect") && argc >= 2) {
        // Screen rectangle of the toolbar's button at the given index.
        RECT r = {0, 0, 0, 0};
        if (!SendWithRemoteBuffer(hwnd, TB_GETITEMRECT, (WPARAM)ParseNumber(argv[1]), &r, sizeof r)) return 1;
        MapWindowPoints(hwnd, nullptr, (POINT*)&r, 2);
        printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
        return 0;
    }
    return Usage();
}

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    int rc = Run(argc - 1, argv + 1);
    fflush(stdout);
    return rc;
}
