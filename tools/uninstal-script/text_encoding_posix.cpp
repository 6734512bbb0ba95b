#include "tools/uninstal-script/text_encoding.h"

#include <iconv.h>

namespace uninstal_script {

static bool Convert(const char* to, const char* from, const std::string& in, std::string* out) {
    out->clear();
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return false;
    std::string buffer(in.size() * 4 + 4, '\0');
    char* source = const_cast<char*>(in.data());
    size_t sourceLeft = in.size();
    char* target = &buffer[0];
    size_t targetLeft = buffer.size();
    size_t result = iconv(cd, &source, &sourceLeft, &target, &targetLeft);
    iconv_close(cd);
    // glibc counts characters it replaced rather than refused in the result.
    if (result != 0 || sourceLeft != 0) return false;
    out->assign(buffer.data(), buffer.size() - targetLeft);
    return true;
}

bool Utf8ToCp932(const std::string& utf8, std::string* cp932) {
    return Convert("CP932", "UTF-8", utf8, cp932);
}

bool Cp932CharToUtf8(const std::string& character, std::string* utf8) {
    std::string back;
    return Convert("UTF-8", "CP932", character, utf8) && Convert("CP932", "UTF-8", *utf8, &back) && back == character;
}

bool ArgumentToCp932(const char* argument, std::string* cp932) {
    return Utf8ToCp932(argument, cp932);
}

}  // namespace uninstal_script
