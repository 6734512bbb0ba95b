// Helpers of the Wine-side tests: a scratch folder, files, registry keys and
// script blocks built through the script builder's parser.
#pragma once
#include <windows.h>

#include <string>

#include "tools/uninstal-script/script_text.h"

/// A folder below the temporary folder, removed with everything in it at the end.
class ScratchFolder {
  public:
    explicit ScratchFolder(const char* name) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + name;
        RemoveTree(path_);
        CreateDirectoryA(path_.c_str(), NULL);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    static void RemoveTree(const std::string& path) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path + "\\" + name);
                else
                    DeleteFileA((path + "\\" + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path.c_str());
    }

  private:
    std::string path_;
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

inline bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

inline bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

inline bool SetKeyValue(HKEY root, const std::string& path, const char* name, const std::string& value) {
    HKEY key;
    if (RegCreateKeyExA(root, path.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS) return false;
    LONG result = RegSetValueExA(key, name, 0, REG_SZ, (const BYTE*)value.c_str(), (DWORD)value.size() + 1);
    RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

inline void DeleteKeyTree(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS) return;
    char name[256];
    while (RegEnumKeyA(key, 0, name, sizeof name) == ERROR_SUCCESS) {
        DeleteKeyTree(key, name);
        if (KeyExists(key, name)) break;
    }
    RegCloseKey(key);
    RegDeleteKeyA(root, path.c_str());
}

/// The script block for records (UTF-8 description lines) with the given
/// flags and install directory (code page 932); empty when refused.
inline std::string ScriptBlock(const std::string& records, const std::string& installDir, unsigned flags = 0xE0,
                               std::string* error = nullptr) {
    char head[64];
    wsprintfA(head, "flags 0x%X\n", flags);
    std::string description = std::string(head) +
                              "product \"BvuWineTest\"\ntitle \"Test\"\nmessage \"Remove\"\ndefault-dir \"\"\n" +
                              records + "end\n";
    uninstal_script::ScriptImage image;
    std::string message, warnings;
    if (!uninstal_script::ParseDescription(description, &installDir, &image, &message, &warnings)) {
        if (error) *error = message;
        return std::string();
    }
    return image.Bytes();
}

/// A path as a quoted description string.
inline std::string Quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out + "\"";
}

/// The folder of the running test program, with a trailing '\'.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof path);
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\') + 1);
}
