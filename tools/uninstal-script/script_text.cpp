#include "tools/uninstal-script/script_text.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <set>
#include <vector>

#include "bravik/core/cp932.h"
#include "tools/uninstal-script/text_encoding.h"
#include "uninstal/core/script_format.h"

namespace uninstal_script {

namespace {

const char* const HeaderStringNames[SCRIPT_HEADER_STRINGS] = {"product", "title", "message", "default-dir"};
const size_t TITLE_MAX = TITLE_SIZE - 1;

struct RecordKeyword {
    const char* keyword;
    unsigned char type;
};
const RecordKeyword RecordKeywords[] = {
    {"association", RECORD_ASSOCIATION}, {"menu-folder", RECORD_MENU_FOLDER}, {"shortcut", RECORD_SHORTCUT},
    {"uninstall-entry", RECORD_ADD_REMOVE}, {"directory", RECORD_DIRECTORY}, {"file", RECORD_FILE},
};

const char DumpPreamble[] =
    "# UnInstal uninstall script, built with: uninstal-script build THIS-FILE UnInstal.exe OUTPUT\n"
    "# Strings are UTF-8 in double quotes and are stored in code page 932;\n"
    "# escapes: \\\\ \\\" \\r \\n \\t \\xNN. Numbers are decimal or 0x hexadecimal.\n";

// ---- reading a description ----

struct Token {
    bool quoted;
    std::string text;  // quoted: code page 932 bytes; bare: the word
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FlushUtf8(std::string* run, std::string* out, std::string* error) {
    std::string converted;
    if (!Utf8ToCp932(*run, &converted)) {
        *error = "text has no code page 932 form (or is not UTF-8): \"" + *run + "\"";
        return false;
    }
    *out += converted;
    run->clear();
    return true;
}

// Reads a quoted string starting after its opening quote; *i ends after the closing quote.
bool ReadQuoted(const std::string& line, size_t* i, std::string* out, std::string* error) {
    std::string run;
    out->clear();
    while (*i < line.size()) {
        char c = line[(*i)++];
        if (c == '"') return FlushUtf8(&run, out, error);
        if (c != '\\') {
            run += c;
            continue;
        }
        if (!FlushUtf8(&run, out, error)) return false;
        if (*i >= line.size()) break;
        char e = line[(*i)++];
        switch (e) {
        case '\\': *out += '\\'; break;
        case '"': *out += '"'; break;
        case 'r': *out += '\r'; break;
        case 'n': *out += '\n'; break;
        case 't': *out += '\t'; break;
        case 'x': {
            int hi = *i < line.size() ? HexDigit(line[*i]) : -1;
            int lo = *i + 1 < line.size() ? HexDigit(line[*i + 1]) : -1;
            if (hi < 0 || lo < 0) {
                *error = "\\x needs two hexadecimal digits";
                return false;
            }
            *out += (char)(hi * 16 + lo);
            *i += 2;
            break;
        }
        default:
            *error = std::string("unknown escape \\") + e;
            return false;
        }
    }
    *error = "string without its closing quote";
    return false;
}

bool Tokenize(const std::string& line, std::vector<Token>* tokens, std::string* error) {
    tokens->clear();
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            ++i;
            Token token = {true, std::string()};
            if (!ReadQuoted(line, &i, &token.text, error)) return false;
            tokens->push_back(token);
        } else {
            size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' && line[i] != '"') ++i;
            tokens->push_back(Token{false, line.substr(start, i - start)});
        }
    }
    return true;
}

bool ParseNumber(const Token& token, uint32_t max, uint32_t* value) {
    if (token.quoted || token.text.empty()) return false;
    const std::string& w = token.text;
    uint64_t v = 0;
    size_t i = 0;
    int base = 10;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        base = 16;
        i = 2;
    }
    for (; i < w.size(); ++i) {
        int d = HexDigit(w[i]);
        if (d < 0 || d >= base) return false;
        v = v * base + d;
        if (v > max) return false;
    }
    *value = (uint32_t)v;
    return true;
}

struct Description {
    uint32_t flags = 0x100E0;
    uint32_t wordAt4 = 3;
    uint32_t wordAt8 = 0;
    bool wordAt8Auto = true;
    uint32_t dataLength = 0;
    bool dataLengthAuto = true;
    std::string installDir;
    bool installDirBytes = false;
    std::string data;
    std::string trailing;
    int headerStrings = 0;
    bool ended = false;
    bool unchecked = false;
    bool hasData = false;
    std::set<std::string> seen;
};

class Parser {
  public:
    explicit Parser(Description* d) : d_(d) {}
    bool Line(const std::vector<Token>& tokens, std::string* error);

  private:
    bool HeaderField(const std::string& keyword, const std::vector<Token>& tokens, std::string* error);
    bool HeaderString(int index, const std::vector<Token>& tokens, std::string* error);
    bool Record(const RecordKeyword& keyword, const std::vector<Token>& tokens, std::string* error);
    bool Bytes(const std::vector<Token>& tokens, std::string* out, std::string* error);
    Description* d_;
};

bool AppendString(const Token& token, std::string* out, std::string* error) {
    if (!token.quoted) {
        *error = "expected a quoted string, found " + token.text;
        return false;
    }
    if (memchr(token.text.data(), 0, token.text.size())) {
        *error = "a string cannot hold a NUL byte";
        return false;
    }
    *out += token.text;
    *out += '\0';
    return true;
}

bool Parser::Line(const std::vector<Token>& tokens, std::string* error) {
    if (tokens.empty()) return true;
    if (tokens[0].quoted) {
        *error = "a line starts with a keyword, not a string";
        return false;
    }
    const std::string& keyword = tokens[0].text;
    if (keyword == "unchecked") {
        if (d_->hasData || tokens.size() != 1) {
            *error = "unchecked stands alone, before the script's data";
            return false;
        }
        d_->unchecked = true;
        return true;
    }
    for (int i = 0; i < SCRIPT_HEADER_STRINGS; ++i)
        if (keyword == HeaderStringNames[i]) return HeaderString(i, tokens, error);
    for (const RecordKeyword& record : RecordKeywords)
        if (keyword == record.keyword) return Record(record, tokens, error);
    if (keyword == "end") {
        if (tokens.size() != 1) {
            *error = "end takes nothing";
            return false;
        }
        if (!d_->unchecked && (d_->ended || d_->headerStrings < SCRIPT_HEADER_STRINGS)) {
            *error = d_->ended ? "a second end" : "end before the four header strings";
            return false;
        }
        d_->hasData = true;
        d_->ended = true;
        d_->data += '\0';
        return true;
    }
    if (keyword == "bytes" || keyword == "trailing") {
        if (!d_->unchecked) {
            *error = keyword + " needs unchecked at the top of the description";
            return false;
        }
        d_->hasData = true;
        return Bytes(tokens, keyword == "bytes" ? &d_->data : &d_->trailing, error);
    }
    return HeaderField(keyword, tokens, error);
}

bool Parser::HeaderField(const std::string& keyword, const std::vector<Token>& tokens, std::string* error) {
    static const char* const Fields[] = {"flags", "word-at-4", "word-at-8", "data-length", "install-dir",
                                          "install-dir-bytes"};
    bool known = false;
    for (const char* field : Fields) known |= keyword == field;
    if (!known) {
        *error = "unknown keyword " + keyword;
        return false;
    }
    if (!d_->seen.insert(keyword.compare(0, 11, "install-dir") == 0 ? "install-dir" : keyword).second) {
        *error = keyword + " given twice";
        return false;
    }
    if (keyword == "install-dir-bytes") {
        if (!d_->unchecked) {
            *error = "install-dir-bytes needs unchecked at the top of the description";
            return false;
        }
        d_->installDirBytes = true;
        if (!Bytes(tokens, &d_->installDir, error)) return false;
        if (d_->installDir.size() > UNINSTAL_PATH_SIZE) {
            *error = "install-dir-bytes holds more than 260 bytes";
            return false;
        }
        return true;
    }
    if (tokens.size() != 2) {
        *error = keyword + " takes one value";
        return false;
    }
    if (keyword == "install-dir") {
        std::string value;
        if (!AppendString(tokens[1], &value, error)) return false;
        value.pop_back();
        if (value.size() > UNINSTAL_PATH_SIZE - 1) {
            *error = "install-dir is longer than 259 bytes";
            return false;
        }
        d_->installDir = value;
        return true;
    }
    bool isAuto = !tokens[1].quoted && tokens[1].text == "auto";
    uint32_t value = 0;
    if (!isAuto && !ParseNumber(tokens[1], 0xFFFFFFFFu, &value)) {
        *error = keyword + " needs a number, found " + tokens[1].text;
        return false;
    }
    if (keyword == "word-at-8") {
        d_->wordAt8Auto = isAuto;
        d_->wordAt8 = value;
    } else if (keyword == "data-length") {
        d_->dataLengthAuto = isAuto;
        d_->dataLength = value;
    } else if (isAuto) {
        *error = keyword + " has no automatic value";
        return false;
    } else if (keyword == "flags") {
        d_->flags = value;
    } else {
        d_->wordAt4 = value;
    }
    return true;
}

bool Parser::HeaderString(int index, const std::vector<Token>& tokens, std::string* error) {
    if (tokens.size() != 2) {
        *error = tokens[0].text + " takes one string";
        return false;
    }
    if (!d_->unchecked && index != d_->headerStrings) {
        *error = std::string("header strings come in the order product, title, message, default-dir; expected ") +
                 (d_->headerStrings < SCRIPT_HEADER_STRINGS ? HeaderStringNames[d_->headerStrings] : "records");
        return false;
    }
    size_t before = d_->data.size();
    if (!AppendString(tokens[1], &d_->data, error)) return false;
    if (!d_->unchecked && index == 1 && d_->data.size() - before - 1 > TITLE_MAX) {
        *error = "the title is longer than 79 bytes";
        return false;
    }
    d_->hasData = true;
    d_->headerStrings = index + 1;
    return true;
}

bool Parser::Record(const RecordKeyword& keyword, const std::vector<Token>& tokens, std::string* error) {
    const RecordLayout* layout = FindRecordLayout(keyword.type);
    if (!d_->unchecked && (d_->headerStrings < SCRIPT_HEADER_STRINGS || d_->ended)) {
        *error = d_->ended ? "a record after end" : "a record before the four header strings";
        return false;
    }
    if (tokens.size() != 1u + layout->fixedBytes + layout->stringCount) {
        char text[120];
        snprintf(text, sizeof text, "%s takes %d number(s) and %d string(s)", keyword.keyword, layout->fixedBytes,
                 layout->stringCount);
        *error = text;
        return false;
    }
    std::string record(1, (char)keyword.type);
    for (int i = 0; i < layout->fixedBytes; ++i) {
        uint32_t value;
        if (!ParseNumber(tokens[1 + i], 255, &value)) {
            *error = keyword.keyword + std::string(" needs a byte value (0 to 255), found ") + tokens[1 + i].text;
            return false;
        }
        record += (char)value;
    }
    for (int i = 0; i < layout->stringCount; ++i)
        if (!AppendString(tokens[1 + layout->fixedBytes + i], &record, error)) return false;
    d_->data += record;
    d_->hasData = true;
    return true;
}

bool Parser::Bytes(const std::vector<Token>& tokens, std::string* out, std::string* error) {
    for (size_t i = 1; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (t.quoted || t.text.size() != 2 || HexDigit(t.text[0]) < 0 || HexDigit(t.text[1]) < 0) {
            *error = "bytes are two hexadecimal digits each, found " + t.text;
            return false;
        }
        *out += (char)(HexDigit(t.text[0]) * 16 + HexDigit(t.text[1]));
    }
    return true;
}

void Put32(std::string* bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) (*bytes)[offset + i] = (char)((value >> (8 * i)) & 0xFF);
}

// ---- writing a description ----

std::string Quote(const std::string& s) {
    std::string out = "\"";
    char hex[8];
    for (size_t i = 0; i < s.size();) {
        unsigned char c = (unsigned char)s[i];
        switch (c) {
        case '"': out += "\\\""; ++i; continue;
        case '\\': out += "\\\\"; ++i; continue;
        case '\r': out += "\\r"; ++i; continue;
        case '\n': out += "\\n"; ++i; continue;
        case '\t': out += "\\t"; ++i; continue;
        default: break;
        }
        if (c >= 0x20 && c < 0x7F) {
            out += (char)c;
            ++i;
            continue;
        }
        size_t n = (cp932::IsLeadByte(c) && i + 1 < s.size()) ? 2 : 1;
        std::string utf8;
        if (c >= 0x80 && Cp932CharToUtf8(s.substr(i, n), &utf8)) {
            out += utf8;
        } else {
            for (size_t k = 0; k < n; ++k) {
                snprintf(hex, sizeof hex, "\\x%02X", (unsigned char)s[i + k]);
                out += hex;
            }
        }
        i += n;
    }
    return out + "\"";
}

void PutBytesLines(const char* keyword, const char* p, const char* end, std::string* text, int perLine = 16) {
    char hex[4];
    while (p < end) {
        *text += keyword;
        for (int k = 0; k < perLine && p < end; ++k, ++p) {
            snprintf(hex, sizeof hex, " %02X", (unsigned char)*p);
            *text += hex;
        }
        *text += '\n';
    }
}

// Writes the data's header strings and records; returns false when some of
// it had to be written as plain bytes.
bool DumpData(const char* p, const char* end, std::string* lines) {
    for (int i = 0; i < SCRIPT_HEADER_STRINGS; ++i) {
        const char* next = NthStringIn(p, end, 1);
        if (!next) {
            PutBytesLines("bytes", p, end, lines);
            return false;
        }
        *lines += std::string(HeaderStringNames[i]) + " " + Quote(std::string(p, next - 1)) + "\n";
        p = next;
    }
    *lines += '\n';
    char number[8];
    while (p < end) {
        unsigned char type = (unsigned char)*p;
        if (type == RECORD_END) {
            *lines += "end\n";
            PutBytesLines("bytes", p + 1, end, lines);
            return p + 1 == end;
        }
        const RecordLayout* layout = FindRecordLayout(type);
        const char* strings =
            layout && (size_t)(end - p) >= 1u + layout->fixedBytes ? RecordStrings(p, layout) : nullptr;
        const char* next = strings ? NthStringIn(strings, end, layout->stringCount) : nullptr;
        if (!next) {
            PutBytesLines("bytes", p, end, lines);
            return false;
        }
        for (const RecordKeyword& keyword : RecordKeywords)
            if (keyword.type == type) *lines += keyword.keyword;
        for (int i = 0; i < layout->fixedBytes; ++i) {
            snprintf(number, sizeof number, " 0x%02X", (unsigned char)p[1 + i]);
            *lines += number;
        }
        for (const char* s = strings; s < next; s += strlen(s) + 1) *lines += " " + Quote(s);
        *lines += '\n';
        p = next;
    }
    return true;
}

}  // namespace

bool ParseDescription(const std::string& text, const std::string* installDir, ScriptImage* image,
                      std::string* error, std::string* warnings) {
    Description d;
    Parser parser(&d);
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    int lineNumber = 0;
    while (start <= text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string::npos) stop = text.size();
        ++lineNumber;
        std::vector<Token> tokens;
        std::string message;
        if (!Tokenize(text.substr(start, stop - start), &tokens, &message) || !parser.Line(tokens, &message)) {
            *error = "line " + std::to_string(lineNumber) + ": " + message;
            return false;
        }
        start = stop + 1;
    }
    if (installDir) {
        if (installDir->size() > UNINSTAL_PATH_SIZE - 1 || memchr(installDir->data(), 0, installDir->size())) {
            *error = "the install directory is longer than 259 bytes";
            return false;
        }
        d.installDir = *installDir;
    }
    if (!d.unchecked && (d.headerStrings < SCRIPT_HEADER_STRINGS || !d.ended)) {
        *error = d.headerStrings < SCRIPT_HEADER_STRINGS ? "the description lacks header strings"
                                                         : "the description has no end";
        return false;
    }

    uint32_t dataLength = d.dataLengthAuto ? (uint32_t)d.data.size() : d.dataLength;
    image->header.assign(SCRIPT_HEADER_SIZE, '\0');
    Put32(&image->header, 0, d.flags);
    Put32(&image->header, 4, d.wordAt4);
    Put32(&image->header, 8, d.wordAt8Auto ? SCRIPT_OFFSET + dataLength : d.wordAt8);
    Put32(&image->header, 12, dataLength);
    image->header.replace(16, d.installDir.size(), d.installDir);
    image->data = d.data;
    image->trailing = d.trailing;

    std::string bytes = image->Bytes();
    ScriptFault fault = CheckScript(bytes.data(), bytes.size());
    if (fault != SCRIPT_SOUND) {
        std::string message = std::string("the uninstaller would refuse this script: ") + DescribeScriptFault(fault);
        if (!d.unchecked) {
            *error = message;
            return false;
        }
        *warnings += message + "\n";
    }
    return true;
}

bool DumpDescription(const std::string& bytes, std::string* text, std::string* error) {
    if (bytes.size() < SCRIPT_HEADER_SIZE) {
        *error = "fewer than 276 bytes: no script header";
        return false;
    }
    ScriptHeader header;
    memcpy(&header, bytes.data(), sizeof header);
    size_t available = bytes.size() - SCRIPT_HEADER_SIZE;
    size_t dataSize = header.dataLength < available ? header.dataLength : available;
    const char* data = bytes.data() + SCRIPT_HEADER_SIZE;

    std::string lines;
    bool regular = DumpData(data, data + dataSize, &lines);
    const char* title = NthStringIn(data, data + dataSize, 1);
    const char* message = NthStringIn(data, data + dataSize, 2);
    bool longTitle = title && message && (size_t)(message - title - 1) > TITLE_MAX;
    const char* dirEnd = (const char*)memchr(header.installDir, 0, sizeof header.installDir);
    bool plainDir = dirEnd != nullptr;
    for (const char* p = dirEnd; p && p < header.installDir + sizeof header.installDir; ++p) plainDir &= *p == '\0';
    bool sound = CheckScript(bytes.data(), bytes.size()) == SCRIPT_SOUND;
    bool unchecked = !regular || !sound || longTitle || !plainDir || available > dataSize;

    char number[64];
    *text = DumpPreamble;
    if (unchecked) *text += "unchecked\n";
    snprintf(number, sizeof number, "flags 0x%X\nword-at-4 %u\n", header.uninstallFlags, header.wordAt4);
    *text += number;
    if (header.scriptEnd == SCRIPT_OFFSET + header.dataLength)
        *text += "word-at-8 auto\n";
    else {
        snprintf(number, sizeof number, "word-at-8 0x%X\n", header.scriptEnd);
        *text += number;
    }
    if (header.dataLength == dataSize)
        *text += "data-length auto\n";
    else {
        snprintf(number, sizeof number, "data-length %u\n", header.dataLength);
        *text += number;
    }
    if (plainDir) {
        *text += "install-dir " + Quote(header.installDir) + "\n";
    } else {
        size_t used = sizeof header.installDir;
        while (used > 0 && header.installDir[used - 1] == '\0') --used;
        PutBytesLines("install-dir-bytes", header.installDir, header.installDir + used, text, (int)UNINSTAL_PATH_SIZE);
    }
    *text += "\n" + lines;
    PutBytesLines("trailing", data + dataSize, bytes.data() + bytes.size(), text);
    return true;
}

}  // namespace uninstal_script
