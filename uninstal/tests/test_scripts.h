// Script blocks for the tests, built from descriptions through the builder's
// own parser so that tests read like the scripts they use.
#pragma once
#include <string>

#include "tools/uninstal-script/script_text.h"

/// The bytes (header and data) of the script a UTF-8 description gives;
/// empty when the description is refused.
inline std::string BuildScript(const std::string& description, std::string* error = nullptr) {
    uninstal_script::ScriptImage image;
    std::string message, warnings;
    if (!uninstal_script::ParseDescription(description, nullptr, &image, &message, &warnings)) {
        if (error) *error = message;
        return std::string();
    }
    return image.Bytes();
}

/// Header lines and header strings of a small script; records follow.
inline std::string ScriptTop(const std::string& installDir = "C:\\\\App") {
    return "flags 0xE0\ninstall-dir \"" + installDir +
           "\"\nproduct \"Tool\"\ntitle \"Tool\"\nmessage \"Remove Tool\"\ndefault-dir \"%p\\\\Tool\"\n";
}
