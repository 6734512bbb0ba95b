// Helpers of the Wine-side tests: a scratch folder, files, registry keys and
// script blocks.
#pragma once
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <string>

#include "uninstal/ui/resource.h"
#include "tests/uninstal/test_scripts.h"

inline void RemoveTree(const std::string& path) {
    std::string from = path + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&operation);
}

/// A folder (below the temporary folder unless a parent is given), removed
/// with everything in it at the end.
struct ScratchFolder {
    explicit ScratchFolder(const char* name, const char* parent = nullptr) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = parent ? std::string(parent) + "\\" + name : std::string(temp) + name;
        RemoveTree(path);
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path); }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE) return false;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline bool SetKeyValue(HKEY root, const std::string& path, const char* name, const std::string& value) {
    return SHSetValueA(root, path.c_str(), name, REG_SZ, value.c_str(), (DWORD)value.size() + 1) == ERROR_SUCCESS;
}

/// The script block for records (UTF-8 description lines) with the given
/// flags and install directory (code page 932); empty when refused.
inline std::string ScriptBlock(const std::string& records, const std::string& installDir, unsigned flags = 0xE0,
                               std::string* error = nullptr) {
    std::string strings = "product \"BvuWineTest\"\ntitle \"Test\"\nmessage \"Remove\"\ndefault-dir \"\"\n";
    return BuildScript("flags " + std::to_string(flags) + "\n" + strings + records + "end\n", &installDir, error);
}

inline INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

/// Dialog 205 from the test program's own copy of UnInstal's resources, filled by nothing.
inline HWND NewUninstallDialog() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, QuietDialogProc, 0);
}

/// UnInstal.exe as built, beside the test program.
inline std::string UnInstalPath() {
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return folder.substr(0, folder.rfind('\\') + 1) + "UnInstal.exe";
}
