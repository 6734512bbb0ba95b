// Scripts built from descriptions by the builder's own parser, scratch folders and dialog 205 for UnInstal's Wine tests.
#pragma once
#include <string.h>
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/wine/wine_test_util.h"
#include "tools/uninstal-script/script_text.h"
#include "uninstal/core/script_format.h"
#include "uninstal/ui/resource.h"

/// The bytes of the script a UTF-8 description gives, with installDir (CP932) put in; empty when refused.
inline std::string BuildScript(const std::string& description, const std::string* installDir = nullptr) {
    uninstal_script::ScriptImage image;
    std::string message, warnings;
    return uninstal_script::ParseDescription(description, installDir, &image, &message, &warnings) ? image.Bytes() : "";
}

/// dataLength made to match what follows the header, so that only the record walk can refuse the block.
inline void FitDataLength(std::string* block) { uint32_t n = (uint32_t)(block->size() - SCRIPT_HEADER_SIZE); memcpy(&(*block)[12], &n, 4); }

struct ScratchFolder {  // removed with everything in it
    explicit ScratchFolder(const std::string& where) : path(where) { Remove(), CreateDirectoryA(path.c_str(), nullptr); }
    ~ScratchFolder() { Remove(); }
    void Remove() {
        std::string from = path + '\0';
        SHFILEOPSTRUCTA operation = {nullptr, FO_DELETE, from.c_str(), nullptr, FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI, 0, nullptr, nullptr};
        SHFileOperationA(&operation);
    }
    std::string operator/(const std::string& name) const { return path + "\\" + name; }
    std::string path;
};

inline std::string ScriptBlock(const std::string& records, const std::string& installDir, unsigned flags = 0xE0) {
    return BuildScript("flags " + std::to_string(flags) + "\nproduct \"BvuWineTest\"\ntitle \"Test\"\nmessage \"Remove\"\ndefault-dir \"\"\n" + records + "end\n", &installDir);
}

inline INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

inline HWND NewUninstallDialog() {  // from the test program's own copy of UnInstal's resources
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, QuietDialogProc, 0);
}
