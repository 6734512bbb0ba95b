// Script blocks built from descriptions through the builder's own parser, so
// that tests read like the scripts they use (native and Wine tests alike).
#pragma once
#include <string.h>

#include <string>

#include "tools/uninstal-script/script_text.h"
#include "uninstal/core/script_format.h"

/// The bytes of the script a UTF-8 description gives, with installDir (code
/// page 932) put in when given; empty when refused.
inline std::string BuildScript(const std::string& description, const std::string* installDir = nullptr,
                               std::string* error = nullptr) {
    uninstal_script::ScriptImage image;
    std::string message, warnings;
    if (uninstal_script::ParseDescription(description, installDir, &image, &message, &warnings)) return image.Bytes();
    if (error) *error = message;
    return std::string();
}

/// Header lines and header strings of a small script; records follow.
inline std::string ScriptTop(const std::string& installDir = "C:\\\\App") {
    return "flags 0xE0\ninstall-dir \"" + installDir +
           "\"\nproduct \"Tool\"\ntitle \"Tool\"\nmessage \"Remove Tool\"\ndefault-dir \"%p\\\\Tool\"\n";
}

inline std::string Repeat(const std::string& text, int count) {
    std::string out;
    while (count-- > 0) out += text;
    return out;
}

inline void SetDataLength(std::string* block, uint32_t length) { memcpy(&(*block)[12], &length, 4); }

/// dataLength made to match what follows the header, so that only the walk can refuse the block.
inline void FitDataLength(std::string* block) {
    SetDataLength(block, (uint32_t)(block->size() - SCRIPT_HEADER_SIZE));
}
