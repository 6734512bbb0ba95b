// A sandbox installation for the end-to-end tests: files and folders in an
// install directory, a Programs-menu folder with a shortcut, desktop and
// SendTo shortcuts, a file association with two verbs and an Add/Remove key.
#include <objbase.h>
#include <shlobj.h>
#include <string.h>

#include <string>
#include <vector>

#include "driver.h"

namespace {

enum ItemKind { kFile, kFolder, kShortcut, kKey };

struct Item {
    std::string name;
    ItemKind kind;
    std::string path;  // file system path, or key path below root
    HKEY root;
};

struct Sandbox {
    std::string installDir;
    std::string tag;
    bool keep;
    std::vector<Item> items;
};

std::string ShellFolder(int id) {
    char path[MAX_PATH] = "";
    LPITEMIDLIST list = NULL;
    if (SUCCEEDED(SHGetSpecialFolderLocation(NULL, id, &list))) {
        SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
    }
    return path;
}

// The Programs folder as the uninstaller's 0x41 location reads it.
std::string ProgramsSetting() {
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0,
                      KEY_READ, &key) == ERROR_SUCCESS) {
        RegQueryValueExA(key, "Programs", NULL, NULL, (BYTE*)path, &size);
        RegCloseKey(key);
    }
    return path;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return text;
}

Sandbox MakeSandbox(const std::string& installDir, const std::string& tag, bool keep) {
    Sandbox s = {installDir, tag, keep, {}};
    const std::string& d = installDir;
    std::string menuFolder = ProgramsSetting() + "\\" + tag + " Soft";
    std::string shortcut = tag + " Tool.lnk";
    std::string extension = "." + Lower(tag);
    std::string classKey = Lower(tag) + "_bvu_file";
    s.items = {
        {"file App.exe", kFile, d + "\\App.exe", NULL},
        {"file Readme.txt", kFile, d + "\\Readme.txt", NULL},
        {"file App.HLP", kFile, d + "\\App.HLP", NULL},
        {"file App.gid", kFile, d + "\\App.gid", NULL},
        {"file Data\\table.dat", kFile, d + "\\Data\\table.dat", NULL},
        {"folder Data", kFolder, d + "\\Data", NULL},
        {"file UnInstal.exe", kFile, d + "\\UnInstal.exe", NULL},
        {"folder install", kFolder, d, NULL},
        {"shortcut programs", kShortcut, menuFolder + "\\" + shortcut, NULL},
        {"folder programs", kFolder, menuFolder, NULL},
        {"shortcut desktop", kShortcut, ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + shortcut, NULL},
        {"shortcut sendto", kShortcut, ShellFolder(CSIDL_SENDTO) + "\\" + shortcut, NULL},
        {"key extension", kKey, extension, HKEY_CLASSES_ROOT},
        {"key class", kKey, classKey, HKEY_CLASSES_ROOT},
        {"key class-open", kKey, classKey + "\\Shell\\open", HKEY_CLASSES_ROOT},
        {"key class-run", kKey, classKey + "\\Shell\\run", HKEY_CLASSES_ROOT},
        {"key uninstall", kKey, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + tag, HKEY_LOCAL_MACHINE},
    };
    if (keep) {
        s.items.push_back({"file Keep\\notes.txt", kFile, d + "\\Keep\\notes.txt", NULL});
        s.items.push_back({"folder Keep", kFolder, d + "\\Keep", NULL});
    }
    return s;
}

bool WriteText(const std::string& path, const char* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written;
    BOOL ok = WriteFile(file, text, (DWORD)strlen(text), &written, NULL);
    CloseHandle(file);
    return ok != FALSE;
}

bool MakeShortcut(const std::string& path, const std::string& target, const std::string& directory) {
    IShellLinkA* link = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void**)&link)))
        return false;
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(directory.c_str());
    link->SetIconLocation(target.c_str(), 0);
    IPersistFile* file = NULL;
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

bool SetKey(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS) return false;
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

bool DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return false;
    char name[256];
    while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS)
        if (!DeleteKeyTree(key, name)) break;
    RegCloseKey(key);
    return RegDeleteKeyA(root, path.c_str()) == ERROR_SUCCESS;
}

bool Present(const Item& item) {
    if (item.kind == kKey) {
        HKEY key;
        if (RegOpenKeyExA(item.root, item.path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
        RegCloseKey(key);
        return true;
    }
    DWORD attributes = GetFileAttributesA(item.path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    return (item.kind == kFolder) == ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

int Create(const Sandbox& s) {
    const std::string& d = s.installDir;
    std::string app = d + "\\App.exe";
    std::string classKey = Lower(s.tag) + "_bvu_file";
    bool ok = true;
    // Parent folders first; CreateDirectory fails harmlessly on those that exist.
    for (size_t i = 0; i <= d.size(); ++i) {
        if (i == d.size() || (d[i] == '\\' && i > 2)) CreateDirectoryA(d.substr(0, i).c_str(), NULL);
    }
    ok &= CreateDirectoryA((d + "\\Data").c_str(), NULL) != FALSE;
    for (const char* name : {"\\App.exe", "\\Readme.txt", "\\App.HLP", "\\App.gid", "\\Data\\table.dat"})
        ok &= WriteText(d + name, "sandbox\r\n");
    if (s.keep) {
        ok &= CreateDirectoryA((d + "\\Keep").c_str(), NULL) != FALSE;
        ok &= WriteText(d + "\\Keep\\notes.txt", "not in the script\r\n");
    }
    for (const Item& item : s.items)
        if (item.name == "folder programs") ok &= CreateDirectoryA(item.path.c_str(), NULL) != FALSE;
    for (const Item& item : s.items)
        if (item.kind == kShortcut) ok &= MakeShortcut(item.path, app, d);
    std::string extension = "." + Lower(s.tag);
    ok &= SetKey(HKEY_CLASSES_ROOT, extension, NULL, classKey);
    ok &= SetKey(HKEY_CLASSES_ROOT, extension, classKey.c_str(), "");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey, NULL, s.tag + " File");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\DefaultIcon", NULL, app + ",0");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\Shell\\open\\command", NULL, app + " %1");
    ok &= SetKey(HKEY_CLASSES_ROOT, classKey + "\\Shell\\run\\command", NULL, "\"" + app + "\" /A %1");
    std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + s.tag;
    ok &= SetKey(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", s.tag + " (Remove Only)");
    ok &= SetKey(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", d + "\\UnInstal.exe");
    Say(ok ? "created" : "create failed");
    return ok ? 0 : 1;
}

int State(const Sandbox& s) {
    for (const Item& item : s.items) Say(item.name + (Present(item) ? " present" : " absent"));
    return 0;
}

int Clean(const Sandbox& s) {
    // Files before folders, deepest keys first: the item list is in that order
    // except for the folders, which go in a second pass.
    for (const Item& item : s.items) {
        if (item.kind == kFile || item.kind == kShortcut) DeleteFileA(item.path.c_str());
        if (item.kind == kKey) DeleteKeyTree(item.root, item.path);
    }
    for (int pass = 0; pass < 2; ++pass)
        for (const Item& item : s.items)
            if (item.kind == kFolder) RemoveDirectoryA(item.path.c_str());
    bool left = false;
    for (const Item& item : s.items) left |= Present(item);
    Say(left ? "clean left something" : "clean");
    return left ? 1 : 0;
}

}  // namespace

int SandboxCommand(int argc, char** argv) {
    if (argc < 5) return 2;
    // Cleaning always covers the kept folder, whichever way it was made.
    bool keep = (argc > 5 && strcmp(argv[5], "--keep") == 0) || strcmp(argv[2], "clean") == 0;
    Sandbox s = MakeSandbox(argv[3], argv[4], keep);
    if (strcmp(argv[2], "create") == 0) return Create(s);
    if (strcmp(argv[2], "state") == 0) return State(s);
    if (strcmp(argv[2], "clean") == 0) return Clean(s);
    return 2;
}
