// Script blocks built from descriptions through the builder's own parser, so that tests read like
// the scripts they use; for the Wine tests also a scratch folder, files, keys and dialog 205.
#pragma once
#include <string.h>

#include <string>

#include "tools/uninstal-script/script_text.h"
#include "uninstal/core/script_format.h"

/// The bytes of the script a UTF-8 description gives, with installDir (CP932) put in; empty when refused.
inline std::string BuildScript(const std::string& description, const std::string* installDir = nullptr,
                               std::string* error = nullptr) {
    uninstal_script::ScriptImage image;
    std::string message, warnings;
    if (uninstal_script::ParseDescription(description, installDir, &image, &message, &warnings)) return image.Bytes();
    if (error) *error = message;
    return std::string();
}

inline std::string ScriptTop(const std::string& installDir = "C:\\\\App") {
    return "flags 0xE0\ninstall-dir \"" + installDir +
           "\"\nproduct \"Tool\"\ntitle \"Tool\"\nmessage \"Remove Tool\"\ndefault-dir \"%p\\\\Tool\"\n";
}

inline std::string Repeat(const std::string& text, int count) {
    std::string out;
    while (count-- > 0) out += text;
    return out;
}

/// dataLength made to match what follows the header, so that only the record walk can refuse the block.
inline void FitDataLength(std::string* block) {
    uint32_t length = (uint32_t)(block->size() - SCRIPT_HEADER_SIZE);
    memcpy(&(*block)[12], &length, 4);
}

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <fstream>

#include "uninstal/ui/resource.h"

/// A folder (below the temporary folder unless a parent is given), removed with everything in it.
struct ScratchFolder {
    void Remove() {
        std::string from = path + '\0';
        SHFILEOPSTRUCTA operation = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI, 0, nullptr, nullptr};
        SHFileOperationA(&operation);
    }
    explicit ScratchFolder(const char* name, const char* parent = nullptr) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path = parent ? std::string(parent) + "\\" + name : std::string(temp) + name;
        Remove();
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(); }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

inline bool WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream file(path.c_str(), std::ios::binary);
    return (file << bytes).good();
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline bool KeyExists(HKEY root, const std::string& path) {
    HKEY key;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

/// The script block for records with the given flags and install directory (code page 932).
inline std::string ScriptBlock(const std::string& records, const std::string& installDir, unsigned flags = 0xE0) {
    std::string strings = "product \"BvuWineTest\"\ntitle \"Test\"\nmessage \"Remove\"\ndefault-dir \"\"\n";
    return BuildScript("flags " + std::to_string(flags) + "\n" + strings + records + "end\n", &installDir);
}

inline INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

inline HWND NewUninstallDialog() {  // from the test program's own copy of UnInstal's resources
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, QuietDialogProc, 0);
}
/// UnInstal.exe as built, beside the test program.
inline std::string UnInstalPath() {
    char path[MAX_PATH];
    std::string folder(path, GetModuleFileNameA(nullptr, path, sizeof path));
    return folder.substr(0, folder.rfind('\\') + 1) + "UnInstal.exe";
}
#endif
