// Conversions between the UTF-8 of script descriptions and the code page 932
// of the scripts; one implementation per platform.
#pragma once
#include <string>

namespace uninstal_script {

/// Converts UTF-8 text to code page 932; false when the UTF-8 is invalid or a
/// character has no code page 932 form.
bool Utf8ToCp932(const std::string& utf8, std::string* cp932);

/// Converts one code page 932 character (one or two bytes) to UTF-8; false
/// when it has no Unicode form or would not convert back to the same bytes.
bool Cp932CharToUtf8(const std::string& character, std::string* utf8);

/// Converts a command-line argument in the platform's encoding to code page 932.
bool ArgumentToCp932(const char* argument, std::string* cp932);

}  // namespace uninstal_script
