#include "tools/uninstal-script/text_encoding.h"

#include <windows.h>

namespace uninstal_script {

static bool ToWide(UINT codePage, const std::string& in, std::wstring* out) {
    out->clear();
    if (in.empty()) return true;
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), nullptr, 0);
    if (n <= 0) return false;
    out->resize(n);
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), (int)in.size(), &(*out)[0], n) == n;
}

static bool FromWide(UINT codePage, const std::wstring& in, std::string* out) {
    out->clear();
    if (in.empty()) return true;
    BOOL usedDefault = FALSE;
    BOOL* check = codePage == CP_UTF8 ? nullptr : &usedDefault;
    DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(codePage, flags, in.data(), (int)in.size(), nullptr, 0, nullptr, check);
    if (n <= 0 || usedDefault) return false;
    out->resize(n);
    return WideCharToMultiByte(codePage, flags, in.data(), (int)in.size(), &(*out)[0], n, nullptr, check) == n &&
           !usedDefault;
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    std::wstring wide;
    return ToWide(CP_UTF8, utf8, &wide) && FromWide(932, wide, cp932);
}

bool Cp932CharToUtf8(const std::string& character, std::string* utf8) {
    std::wstring wide;
    std::string bytes;
    return ToWide(932, character, &wide) && FromWide(CP_UTF8, wide, utf8) && FromWide(932, wide, &bytes) &&
           bytes == character;
}

bool ArgumentToCp932(const char* argument, std::string* cp932) {
    std::wstring wide;
    return ToWide(CP_ACP, argument, &wide) && FromWide(932, wide, cp932);
}

}  // namespace uninstal_script
