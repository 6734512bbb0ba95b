#include "bravik/core/diagnostics.h"

#include <limits.h>
#include <stdint.h>
#include <string.h>

#include "bravik/core/cp932.h"

// Hex escapes: the fuzzing compiler cannot turn UTF-8 literals into CP932.
constexpr const char* errorKeywords[ERROR_KEYWORD_COUNT] = {
    "ERROR",
    "Error",
    "error",
    "WARNING",
    "Warning",
    "warning",
    "\x83\x47\x83\x89\x81\x5b",                  // エラー
    "\xb4\xd7\xb0",                              // ｴﾗｰ
    "\x83\x8f\x81\x5b\x83\x6a\x83\x93\x83\x4f",  // ワーニング
    "\xdc\xb0\xc6\xdd\xb8\xde",                  // ﾜｰﾆﾝｸﾞ
    "\x88\xd9\x8f\xed",                          // 異常
    "\x8a\xd4\x88\xe1\x82\xa2",                  // 間違い
    "\x8c\xeb",                                  // 誤
};
const char* const* const diagnosticKeywords = errorKeywords;

namespace {

enum : uint8_t { PLAIN = 0, LEAD = 1, STOP = 2 };

struct KeywordTable {
    uint16_t startsWith[256];  // bit i set: keyword i begins with this byte
    uint8_t kind[256];         // STOP: the NUL or a keyword's first byte; LEAD: other lead bytes
    unsigned char length[ERROR_KEYWORD_COUNT];
};

constexpr KeywordTable MakeKeywordTable() {
    KeywordTable t{};
    for (int i = 0; i < ERROR_KEYWORD_COUNT; ++i) {
        const char* k = errorKeywords[i];
        t.startsWith[(unsigned char)k[0]] |= (uint16_t)(1u << i);
        int n = 0;
        while (k[n]) ++n;
        t.length[i] = (unsigned char)n;
    }
    for (int c = 0; c < 256; ++c) {
        if (c == 0 || t.startsWith[c]) t.kind[c] = STOP;
        else if (cp932::IsLeadByte((unsigned char)c)) t.kind[c] = LEAD;
    }
    return t;
}
constexpr KeywordTable keywords = MakeKeywordTable();
static_assert(ERROR_KEYWORD_COUNT <= 16, "keyword sets are 16-bit masks");

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// From the character start p to the next character that may begin a keyword,
// or to the NUL: the per-byte loop that every line goes through.
inline const char* NextCandidate(const char* p) {
    for (;;) {
        uint8_t k = keywords.kind[(unsigned char)*p];
        if (k == PLAIN) {
            ++p;
        } else if (k == LEAD) {
            p += p[1] ? 2 : 1;
        } else {
            return p;
        }
    }
}

// p is a character start whose byte begins keyword i; the rest is compared
// here. A NUL in the text is a mismatch, so nothing past it is read.
inline bool KeywordAt(const char* p, int i) {
    const char* k = errorKeywords[i];
    for (int j = 1; j < keywords.length[i]; ++j)
        if (p[j] != k[j]) return false;
    return true;
}

// The first occurrence of each diagnostic keyword, found in one pass.
void FindDiagnosticKeywords(const char* line, const char* at[DIAGNOSTIC_KEYWORD_COUNT]) {
    unsigned open = (1u << DIAGNOSTIC_KEYWORD_COUNT) - 1;
    for (int i = 0; i < DIAGNOSTIC_KEYWORD_COUNT; ++i) at[i] = nullptr;
    for (const char* p = NextCandidate(line); *p && open; p = NextCandidate(cp932::Next(p))) {
        unsigned candidates = keywords.startsWith[(unsigned char)*p] & open;
        while (candidates) {
            int i = __builtin_ctz(candidates);
            candidates &= candidates - 1;
            if (KeywordAt(p, i)) {
                at[i] = p;
                open &= ~(1u << i);
            }
        }
    }
}

// Value of the digit run at p; larger values than 2147483648 saturate there.
long long RunMagnitude(const char* p) {
    long long v = 0;
    for (; IsDigit(*p); ++p) {
        v = v * 10 + (*p - '0');
        if (v > 2147483648LL) v = 2147483648LL;
    }
    return v;
}

int RunValue(const char* p) {
    long long v = RunMagnitude(p);
    return v > INT_MAX ? INT_MAX : (int)v;
}

// Text-to-integer conversion as atoi does it, without its overflow.
int DecimalAt(const char* p) {
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    long long v = RunMagnitude(p);
    if (negative) return (int)-v;
    return v > INT_MAX ? INT_MAX : (int)v;
}

// Writes [from, to) as the file name; an empty range writes "". A name that
// does not fit the caller's 260 bytes is refused and nothing is written.
bool TakeName(char* name, const char* from, const char* to) {
    size_t n = to > from ? (size_t)(to - from) : 0;
    if (n > (size_t)DIAGNOSTIC_FILE_NAME_SIZE - 1) return false;
    memcpy(name, from, n);
    name[n] = '\0';
    return true;
}

inline bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A drive letter's colon ("C:\" or "C:/" at the start of the scanned text or
// after a blank) belongs to a name, never ends one.
inline bool IsDriveColon(const char* text, const char* colon) {
    if (colon <= text || !IsAsciiLetter(colon[-1]) || (colon[1] != '\\' && colon[1] != '/')) return false;
    return colon - 1 == text || IsBlank(colon[-2]);
}

// The first ':' at or after text that is not a drive letter's.
const char* FindNameColon(const char* text) {
    const char* colon = cp932::FindChar(text, ':');
    while (colon && IsDriveColon(text, colon)) colon = cp932::FindChar(colon + 1, ':');
    return colon;
}

// Borland's message code before the name ("E2451 main.c"): the name starts
// after the code and its blanks, when anything follows them.
const char* SkipMessageCode(const char* from, const char* end) {
    if (end - from < 7 || from[0] < 'A' || from[0] > 'Z') return from;
    for (int i = 1; i <= 4; ++i)
        if (!IsDigit(from[i])) return from;
    if (!IsBlank(from[5])) return from;
    const char* name = from + 5;
    while (name < end && IsBlank(*name)) ++name;
    return name < end ? name : from;
}

// Form 1: "<keyword> name number:" (1a), "name number <keyword>" (1b),
// "<keyword>: name, ... number" (1c). Only 1a ends the loop over the keywords;
// a later keyword's 1b or 1c result replaces an earlier one's.
void KeywordForms(const char* line, int& number, char* name) {
    const char* at[DIAGNOSTIC_KEYWORD_COUNT];
    FindDiagnosticKeywords(line, at);
    const char* dot = nullptr;
    bool dotSearched = false;
    for (int i = 0; i < DIAGNOSTIC_KEYWORD_COUNT; ++i) {
        const char* k = at[i];
        if (!k) continue;
        const char* r = k + keywords.length[i];
        while (IsBlank(*r)) ++r;
        const char* colon = FindNameColon(r);
        if (!colon) continue;

        if (IsDigit(colon[-1])) {
            const char* run = colon - 1;
            while (run > r && IsDigit(run[-1])) --run;
            if (!IsBlank(run[-1])) continue;
            const char* end = run - 1;
            while (end > r && IsBlank(end[-1])) --end;
            // Nothing between the keyword and the number: no name to take.
            if (end <= r) continue;
            if (!TakeName(name, SkipMessageCode(r, end), end)) continue;
            number = RunValue(run);
            return;
        }

        const char* before = k;
        while (before > line && IsBlank(before[-1])) --before;
        if (k != line && before > line && IsDigit(before[-1])) {
            const char* run = before - 1;
            while (run > line && IsDigit(run[-1])) --run;
            // A number in the first two places leaves no room for a name.
            if (run - line < 2) continue;
            int n = DecimalAt(run - 1);
            if (!dotSearched) {
                dot = cp932::FindChar(line, '.');
                dotSearched = true;
            }
            if (dot) {
                const char* from = dot[1] == '\\' ? dot + 2 : line;
                const char* end = run - 1;
                while (end > from && IsBlank(end[-1])) --end;
                if (!TakeName(name, from, end)) continue;
            }
            number = n;
            continue;
        }

        const char* from = colon + 1;
        while (IsBlank(*from)) ++from;
        const char* stop = from;  // a trail byte can be ']' (ゾ is 0x83 0x5D)
        while (*stop && *stop != ',' && *stop != ']') stop = cp932::Next(stop);
        if (!TakeName(name, from, stop)) continue;
        if (*stop) {
            const char* d = stop + 1;
            while (*d && !IsDigit(*d)) ++d;
            if (*d) number = RunValue(d);
        }
    }
}

// Form 2: "name:number:", the name possibly beginning with a drive letter.
void NameColonNumber(const char* line, int& number, char* name) {
    name[0] = '\0';
    const char* colon = cp932::FindChar(line, ':');
    if (colon && IsDriveColon(line, colon)) colon = cp932::FindChar(colon + 1, ':');
    if (!colon || !IsDigit(colon[1])) return;
    const char* end = colon + 1;
    while (IsDigit(*end)) ++end;
    if (*end != ':') return;
    if (!TakeName(name, line, colon)) return;
    number = RunValue(colon + 1);
}

// Form 3: "name(number)".
void NameParenNumber(const char* line, int& number, char* name) {
    name[0] = '\0';
    const char* p = line;
    while ((unsigned char)*p >= 0x20 && *p != '(' && *p != ')') ++p;
    if (*p != '(') return;
    const char* end = p;
    while (end > line + 1 && (end[-1] == ' ' || end[-1] == ':')) --end;
    if (!TakeName(name, line, end)) return;
    if (IsDigit(p[1])) number = RunValue(p + 1);
}

// Form 4: "name number:" in plain ASCII; returns the number even without a name.
int NameSpaceNumber(const char* line, char* name) {
    name[0] = '\0';
    if (!line[0] || !line[1]) return 0;
    const char* colon = line + 2;
    for (;; ++colon) {
        unsigned char c = (unsigned char)*colon;
        if (c < 0x20 || c >= 0x80) return 0;
        if (c == ':') break;
    }
    const char* run = colon;
    while (run > line && IsDigit(run[-1])) --run;
    int number = run < colon ? RunValue(run) : 0;
    const char* spaces = run;
    while (spaces > line && spaces[-1] == ' ') --spaces;
    if (spaces < run && spaces - line >= 2) TakeName(name, line, spaces);
    return number;
}

}  // namespace

const char* FindErrorKeyword(const char* text) {
    if (!text) return nullptr;
    const char* best = nullptr;
    unsigned open = (1u << ERROR_KEYWORD_COUNT) - 1;  // keywords that can still win
    for (const char* p = NextCandidate(text); *p; p = NextCandidate(cp932::Next(p))) {
        unsigned candidates = keywords.startsWith[(unsigned char)*p] & open;
        while (candidates) {
            int i = __builtin_ctz(candidates);
            candidates &= candidates - 1;
            if (KeywordAt(p, i)) {
                best = p;
                if (i == 0) return best;
                open = (1u << i) - 1;
                break;
            }
        }
    }
    return best;
}

int ParseDiagnosticLine(const char* line, char* fileName) {
    fileName[0] = '\0';
    if (!line) return 0;
    int number = 0;
    KeywordForms(line, number, fileName);
    if (!(number && fileName[0])) NameColonNumber(line, number, fileName);
    if (!(number && fileName[0])) NameParenNumber(line, number, fileName);
    if (!(number && fileName[0])) number = NameSpaceNumber(line, fileName);
    if (number && fileName[0]) {
        for (char* p = fileName; *p; p = (char*)cp932::Next(p))
            if (*p == '/') *p = '\\';
    }
    return number;
}
