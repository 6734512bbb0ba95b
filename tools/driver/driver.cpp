// Drives Bravik and UnInstal from another process for the end-to-end tests:
// finds their windows, sends them messages, reads their texts and states, and
// reads or writes the stored settings and other registry values; for UnInstal
// it also makes and removes a sandbox installation and runs the uninstaller
// through its dialog. Texts travel as UTF-8 on the command line and in the
// output (the wide messages are marshalled between processes, the ANSI ones
// are not always). Every number may be given by name: the ids as Bravik's and
// UnInstal's resource headers spell them, and the system's messages and dialog
// ids the scripts use. One result per line; exit code 0
// on success, 1 when a window or value was not found in time, 2 on bad usage.
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

#include "bravik/core/settings.h"
#include "bravik/ui/resource.h"
#include "uninstal/ui/resource.h"

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
    {"makeExe", offsetof(SettingsRecord, makeExe), sizeof(SettingsRecord::makeExe)},
    {"makeOptions", offsetof(SettingsRecord, makeOptions), sizeof(SettingsRecord::makeOptions)},
    {"environment", offsetof(SettingsRecord, environment), sizeof(SettingsRecord::environment)},
    {"editorExe", offsetof(SettingsRecord, editorExe), sizeof(SettingsRecord::editorExe)},
    {"editorOptions", offsetof(SettingsRecord, editorOptions), sizeof(SettingsRecord::editorOptions)},
    {"currentDir", offsetof(SettingsRecord, currentDir), sizeof(SettingsRecord::currentDir)},
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
          "  reg-delete ROOT KEY | sandbox-create|sandbox-state|sandbox-clean DIR TAG [--keep]\n"
          "  uninstal-run EXE [--boxes XYZ] [--press ok|cancel] [--browser ok|cancel|pick:NAME] [--shots PREFIX]\n",
          stderr);
    return 2;
}

// --- UnInstal: a sandbox installation ---------------------------------------

// sandbox-create|sandbox-state|sandbox-clean DIR TAG [--keep]: files and
// folders in DIR, a Programs-menu folder with a shortcut, desktop and SendTo
// shortcuts, a file association with two verbs and an Add/Remove key, made
// with the real shell and registry calls; state prints each one present or
// absent. --keep adds a folder with a file no uninstall script names.
enum ItemKind { ItemFile, ItemFolder, ItemShortcut, ItemKey };
struct Item {
    std::string name;
    ItemKind kind;
    std::string path;  // file system path, or key path below root
    HKEY root;
};

static std::string ShellFolder(int id) {
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, id, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// The Programs folder as the uninstaller's 0x41 location reads it.
static std::string ProgramsSetting() {
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    SHGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Programs",
                nullptr, path, &size);
    return path;
}

static const char UninstallKeys[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// lower is the tag in lower case: the extension's and the file class's name.
static std::vector<Item> SandboxItems(const std::string& d, const std::string& tag, const std::string& lower,
                                      bool keep) {
    std::string classKey = lower + "_bvu_file";
    std::string menuFolder = ProgramsSetting() + "\\" + tag + " Soft", shortcut = "\\" + tag + " Tool.lnk";
    std::vector<Item> items = {
        {"file App.exe", ItemFile, d + "\\App.exe", nullptr},
        {"file Readme.txt", ItemFile, d + "\\Readme.txt", nullptr},
        {"file App.HLP", ItemFile, d + "\\App.HLP", nullptr},
        {"file App.gid", ItemFile, d + "\\App.gid", nullptr},
        {"file Data\\table.dat", ItemFile, d + "\\Data\\table.dat", nullptr},
        {"folder Data", ItemFolder, d + "\\Data", nullptr},
        {"file UnInstal.exe", ItemFile, d + "\\UnInstal.exe", nullptr},
        {"folder install", ItemFolder, d, nullptr},
        {"shortcut programs", ItemShortcut, menuFolder + shortcut, nullptr},
        {"folder programs", ItemFolder, menuFolder, nullptr},
        {"shortcut desktop", ItemShortcut, ShellFolder(CSIDL_DESKTOPDIRECTORY) + shortcut, nullptr},
        {"shortcut sendto", ItemShortcut, ShellFolder(CSIDL_SENDTO) + shortcut, nullptr},
        {"key extension", ItemKey, "." + lower, HKEY_CLASSES_ROOT},
        {"key class", ItemKey, classKey, HKEY_CLASSES_ROOT},
        {"key class-open", ItemKey, classKey + "\\Shell\\open", HKEY_CLASSES_ROOT},
        {"key class-run", ItemKey, classKey + "\\Shell\\run", HKEY_CLASSES_ROOT},
        {"key uninstall", ItemKey, UninstallKeys + tag, HKEY_LOCAL_MACHINE},
    };
    if (keep) {
        items.push_back({"file Keep\\notes.txt", ItemFile, d + "\\Keep\\notes.txt", nullptr});
        items.push_back({"folder Keep", ItemFolder, d + "\\Keep", nullptr});
    }
    return items;
}

static bool WriteText(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written;
    BOOL ok = WriteFile(file, text, (DWORD)strlen(text), &written, nullptr);
    CloseHandle(file);
    return ok != FALSE;
}

static bool MakeShortcut(const std::string& path, const std::string& target, const std::string& directory) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(directory.c_str());
    link->SetIconLocation(target.c_str(), 0);
    IPersistFile* file = nullptr;
    bool ok = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void**)&file))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Save(wide, TRUE));
        file->Release();
    }
    link->Release();
    return ok;
}

static bool SetKey(HKEY root, const std::string& path, const char* name, const std::string& value) {
    return SHSetValueA(root, path.c_str(), name, REG_SZ, value.c_str(), (DWORD)value.size() + 1) == ERROR_SUCCESS;
}

static bool Present(const Item& item) {
    if (item.kind == ItemKey) {
        HKEY key;
        if (RegOpenKeyExA(item.root, item.path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    DWORD attributes = GetFileAttributesA(item.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (item.kind == ItemFolder) == ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

static int SandboxCreate(const std::vector<Item>& items, const std::string& d, const std::string& tag,
                         const std::string& lower, bool keep) {
    std::string app = d + "\\App.exe", extension = "." + lower, classKey = lower + "_bvu_file";
    bool ok = true;
    // Parent folders first; CreateDirectory fails harmlessly on those that exist.
    for (size_t i = 0; i <= d.size(); ++i)
        if (i == d.size() || (d[i] == '\\' && i > 2)) CreateDirectoryA(d.substr(0, i).c_str(), nullptr);
    ok &= CreateDirectoryA((d + "\\Data").c_str(), nullptr) != FALSE;
    for (const char* name : {"\\App.exe", "\\Readme.txt", "\\App.HLP", "\\App.gid", "\\Data\\table.dat"})
        ok &= WriteText(d + name, "sandbox\r\n");
    if (keep) {
        ok &= CreateDirectoryA((d + "\\Keep").c_str(), nullptr) != FALSE;
        ok &= WriteText(d + "\\Keep\\notes.txt", "not in the script\r\n");
    }
    for (const Item& item : items)
        if (item.name == "folder programs") ok &= CreateDirectoryA(item.path.c_str(), nullptr) != FALSE;
    for (const Item& item : items)
        if (item.kind == ItemShortcut) ok &= MakeShortcut(item.path, app, d);
    ok &= SetKey(HKEY_CLASSES_ROOT, extension, nullptr, classKey);
    ok &= SetKey(HKEY_CLASSES_ROOT, extension, classKey.c_str(), "");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey, nullptr, tag + " File");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\DefaultIcon", nullptr, app + ",0");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\Shell\\open\\command", nullptr, app + " %1");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\Shell\\run\\command", nullptr, "\"" + app + "\" /A %1");
    std::string uninstall = UninstallKeys + tag;
    ok &= SetKey(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", tag + " (Remove Only)");
    ok &= SetKey(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", d + "\\UnInstal.exe");
    puts(ok ? "created" : "create failed");
    return ok ? 0 : 1;
}

static int SandboxClean(const std::vector<Item>& items) {
    // Files and keys, then the folders in two passes (the menu folder's
    // shortcut and the install folder's subfolders go first).
    for (const Item& item : items) {
        if (item.kind == ItemFile || item.kind == ItemShortcut) DeleteFileA(item.path.c_str());
        if (item.kind == ItemKey) SHDeleteKeyA(item.root, item.path.c_str());
    }
    for (int pass = 0; pass < 2; ++pass)
        for (const Item& item : items)
            if (item.kind == ItemFolder) RemoveDirectoryA(item.path.c_str());
    bool left = false;
    for (const Item& item : items) left |= Present(item);
    puts(left ? "clean left something" : "clean");
    return left ? 1 : 0;
}

static int Sandbox(const wchar_t* cmd, int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    char dir[MAX_PATH], tag[64], lower[64];
    WideToCp932(argv[0], dir, sizeof dir);
    WideToCp932(argv[1], tag, sizeof tag);
    CharLowerA(strcpy(lower, tag));
    // Cleaning always covers the kept folder, whichever way it was made.
    bool keep = (argc > 2 && !wcscmp(argv[2], L"--keep")) || !wcscmp(cmd, L"clean");
    std::vector<Item> items = SandboxItems(dir, tag, lower, keep);
    CoInitialize(nullptr);
    if (!wcscmp(cmd, L"create")) return SandboxCreate(items, dir, tag, lower, keep);
    if (!wcscmp(cmd, L"clean")) return SandboxClean(items);
    if (wcscmp(cmd, L"state")) return Usage();
    for (const Item& item : items) printf("%s %s\n", item.name.c_str(), Present(item) ? "present" : "absent");
    return 0;
}

// --- UnInstal: its dialog ---------------------------------------------------

// uninstal-run EXE [--boxes XYZ] [--press ok|cancel] [--browser ok|cancel|pick:NAME]
// [--shots PREFIX]: starts the uninstaller and, as a user would, reads its
// dialog, sets the three boxes ('1' tick, '0' clear, '-' leave), presses OK or
// Cancel, answers the folder browser and the message box and waits for the
// end. Every text it met, one a line; screenshots as PREFIX-WHAT.bmp.
struct RunOptions {
    const wchar_t* boxes = nullptr;
    const wchar_t* press = L"ok";
    const wchar_t* browser = L"cancel";
    const wchar_t* shots = nullptr;
};
static const Name UninstalBoxes[] = {
    {"IDC_ASSOCIATIONS", IDC_ASSOCIATIONS}, {"IDC_SHORTCUTS", IDC_SHORTCUTS}, {"IDC_ADDREMOVE", IDC_ADDREMOVE}};
static const DWORD StepMs = 50, RunTimeoutMs = 20000;

// Saves what the screen shows of a window as a 24-bit BMP.
static void SaveShot(HWND window, const RunOptions& options, const wchar_t* what) {
    if (!options.shots) return;
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::vector<char> pixels((size_t)((width * 3 + 3) & ~3) * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), (BITMAPINFO*)&info, DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER head = {};
    head.bfType = 0x4D42;  // "BM"
    head.bfOffBits = sizeof head + sizeof info;
    head.bfSize = head.bfOffBits + (DWORD)pixels.size();
    wchar_t path[MAX_PATH];
    swprintf(path, MAX_PATH, L"%ls-%ls.bmp", options.shots, what);
    FILE* file = _wfopen(path, L"wb");
    if (!file) return;
    fwrite(&head, sizeof head, 1, file);
    fwrite(&info, sizeof info, 1, file);
    fwrite(pixels.data(), 1, pixels.size(), file);
    fclose(file);
}

// The label, then the window's text on one line (its line ends as \n).
static void SayText(const char* label, HWND window) {
    wchar_t text[2048] = L"", line[4096];
    SendMessageTimeoutW(window, WM_GETTEXT, 2048, (LPARAM)text, SMTO_ABORTIFHUNG, 2000, nullptr);
    size_t n = 0;
    for (const wchar_t* p = text; *p && n + 3 < 4096; ++p) {
        if (*p == L'\n') line[n++] = L'\\';
        if (*p != L'\r') line[n++] = *p == L'\n' ? L'n' : *p;
    }
    line[n] = L'\0';
    fputs(label, stdout);
    PrintWide(line);
}

static bool IsClass(HWND window, const char* name) {
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    return !strcmp(cls, name);
}

struct ProcessDialogs {
    DWORD pid;
    std::vector<HWND> found;
};

static BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
    ProcessDialogs* d = (ProcessDialogs*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == d->pid && IsWindowVisible(window) && IsClass(window, "#32770")) d->found.push_back(window);
    return TRUE;
}

static BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    ((std::vector<HWND>*)param)->push_back(window);
    return TRUE;
}

static bool Press(HWND dialog, int id) {
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id)) != FALSE;
}

static void SetBoxes(HWND dialog, const wchar_t* boxes) {
    for (int i = 0; i < 3 && boxes[i]; ++i) {
        if (boxes[i] == L'-') continue;
        HWND box = GetDlgItem(dialog, (int)UninstalBoxes[i].value);
        bool want = boxes[i] == L'1';
        if (want == (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED)) continue;
        if (!IsWindowEnabled(box)) {
            printf("box %s is disabled: left as it is\n", UninstalBoxes[i].name);
            continue;
        }
        SendMessageW(box, BM_CLICK, 0, 0);
        if (want != (SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED))
            printf("box %s did not change\n", UninstalBoxes[i].name);
    }
}

// Answers a dialog that is not the uninstall dialog: the folder browser (it
// holds a tree view) or the message box.
static void Answer(HWND window, const RunOptions& options) {
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, (LPARAM)&children);
    HWND tree = nullptr;
    for (HWND child : children)
        if (IsClass(child, "SysTreeView32")) tree = child;
    SaveShot(window, options, tree ? L"browser" : L"msgbox");
    SayText(tree ? "browser: " : "msgbox title: ", window);
    for (HWND child : children)
        if (IsClass(child, "Static") && GetWindowTextLengthW(child) > 0)
            SayText(tree ? "browser text: " : "msgbox text: ", child);
    // "pick:NAME" types the name into the tree, whose incremental search
    // selects the folder of that name, then confirms.
    if (tree && !wcsncmp(options.browser, L"pick:", 5)) {
        for (const wchar_t* p = options.browser + 5; *p; ++p) PostMessageW(tree, WM_CHAR, *p, 1);
        Sleep(500);
    }
    Press(window, tree && !wcscmp(options.browser, L"cancel") ? IDCANCEL : IDOK);
}

static HWND WaitUninstalDialog(DWORD pid) {
    for (DWORD waited = 0; waited < RunTimeoutMs; waited += StepMs) {
        ProcessDialogs d = {pid, {}};
        EnumWindows(CollectDialog, (LPARAM)&d);
        for (HWND window : d.found)
            if (GetDlgItem(window, IDC_ASSOCIATIONS)) return window;
        Sleep(StepMs);
    }
    return nullptr;
}

static void DescribeDialog(HWND dialog) {
    SayText("title: ", dialog);
    SayText("message: ", GetDlgItem(dialog, IDC_MESSAGE));
    for (const Name& b : UninstalBoxes) {
        HWND box = GetDlgItem(dialog, (int)b.value);
        printf("box %s %s %s ", b.name, SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED ? "ticked" : "clear",
               IsWindowEnabled(box) ? "enabled" : "disabled");
        SayText("", box);
    }
    SayText("button ok: ", GetDlgItem(dialog, IDOK));
    SayText("button cancel: ", GetDlgItem(dialog, IDCANCEL));
}

// Presses the dialog's button, then answers every other dialog of the
// process until it ends; false when it did not end in time.
static bool PressAndAnswer(HWND dialog, HANDLE process, DWORD pid, const RunOptions& options) {
    SaveShot(dialog, options, L"dialog");
    Press(dialog, !wcscmp(options.press, L"cancel") ? IDCANCEL : IDOK);
    std::vector<HWND> answered = {dialog};
    for (DWORD waited = 0; waited < RunTimeoutMs; waited += StepMs) {
        if (WaitForSingleObject(process, StepMs) == WAIT_OBJECT_0) return true;
        ProcessDialogs d = {pid, {}};
        EnumWindows(CollectDialog, (LPARAM)&d);
        for (HWND window : d.found) {
            bool seen = false;
            for (HWND w : answered) seen = seen || w == window;
            if (seen) continue;
            Sleep(200);  // let the box finish painting its texts
            Answer(window, options);
            answered.push_back(window);
        }
    }
    return false;
}

static int UninstalRun(int argc, wchar_t** argv) {
    if (argc < 1 || argc % 2 == 0) return Usage();
    RunOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const wchar_t** value = !wcscmp(argv[i], L"--boxes")     ? &options.boxes
                                : !wcscmp(argv[i], L"--press")   ? &options.press
                                : !wcscmp(argv[i], L"--browser") ? &options.browser
                                : !wcscmp(argv[i], L"--shots")   ? &options.shots
                                                                 : nullptr;
        if (!value) return Usage();
        *value = argv[i + 1];
    }
    // The uninstaller runs in its own folder, as when started from there (its
    // batch then lands in the root of that drive), and detached, as when
    // started from the shell: the batch must not write into this console.
    std::wstring exe = argv[0], directory = exe.substr(0, exe.rfind(L'\\')), commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                        directory.c_str(), &startup, &process)) {
        printf("start failed %lu\n", GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);
    HWND dialog = WaitUninstalDialog(process.dwProcessId);
    if (!dialog) puts("no dialog");
    if (dialog) DescribeDialog(dialog);
    if (dialog && options.boxes) SetBoxes(dialog, options.boxes);
    bool ended = dialog && PressAndAnswer(dialog, process.hProcess, process.dwProcessId, options);
    DWORD code = 0;
    if (!ended) {
        puts("timeout: uninstaller ended by force");
        TerminateProcess(process.hProcess, 99);
        WaitForSingleObject(process.hProcess, 5000);
    } else if (GetExitCodeProcess(process.hProcess, &code)) {
        printf("exit %lu\n", code);
    }
    CloseHandle(process.hProcess);
    return ended ? 0 : 1;
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
    if (!wcsncmp(cmd, L"sandbox-", 8)) return Sandbox(cmd + 8, argc, argv);
    if (!wcscmp(cmd, L"uninstal-run")) return UninstalRun(argc, argv);
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
        return Press(hwnd, (int)ParseNumber(argv[1])) ? 0 : 1;
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
