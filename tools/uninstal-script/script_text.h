// The readable description of an uninstall script, and the translation
// between it and the script's bytes (header, data, anything after them).
#pragma once
#include <string>

namespace uninstal_script {

/// A script as bytes: the 276-byte header, the data, and bytes after the data
/// that only a deliberately broken script has.
struct ScriptImage {
    std::string header;
    std::string data;
    std::string trailing;
    std::string Bytes() const { return header + data + trailing; }
};

/// Builds the script a description (UTF-8) gives. installDir, when not null,
/// is a code page 932 text that replaces the description's install-dir.
/// Returns false with error set to "line N: ..." or a whole-script fault.
/// warnings receives notes about a script the uninstaller would still take.
bool ParseDescription(const std::string& text, const std::string* installDir, ScriptImage* image,
                      std::string* error, std::string* warnings);

/// Writes the description of the script whose bytes start with its header.
/// The description builds the same bytes again. False when the bytes are
/// shorter than a header.
bool DumpDescription(const std::string& bytes, std::string* text, std::string* error);

}  // namespace uninstal_script
