#include "bravik/core/diagnostics.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

struct ParseCase {
    const char* line;
    int number;
    const char* name;  // nullptr: the name is not looked at (the result is 0)
    const char* why;
};

void ExpectParse(const ParseCase& c) {
    SCOPED_TRACE(std::string(c.line) + "  [" + c.why + "]");
    char name[DIAGNOSTIC_FILE_NAME_SIZE];
    memset(name, 'Z', sizeof name);
    std::string before = c.line;
    EXPECT_EQ(c.number, ParseDiagnosticLine(c.line, name));
    if (c.name) {
        EXPECT_STREQ(c.name, name);
    }
    EXPECT_EQ(before, c.line);
    EXPECT_LT(strnlen(name, sizeof name), sizeof name);
}

std::string Repeat(char c, size_t n) { return std::string(n, c); }

}  // namespace

TEST(ErrorKeywords, TextsAndOrderAsShownToUsers) {
    const char* expected[ERROR_KEYWORD_COUNT] = {
        "ERROR", "Error", "error", "WARNING", "Warning", "warning", "エラー",
        "ｴﾗｰ", "ワーニング", "ﾜｰﾆﾝｸﾞ", "異常", "間違い", "誤"};
    for (int i = 0; i < ERROR_KEYWORD_COUNT; ++i) EXPECT_STREQ(expected[i], errorKeywords[i]) << i;
    for (int i = 0; i < DIAGNOSTIC_KEYWORD_COUNT; ++i) EXPECT_EQ(errorKeywords[i], diagnosticKeywords[i]);
}

TEST(FindErrorKeyword, EachKeywordFoundInsideText) {
    for (int i = 0; i < ERROR_KEYWORD_COUNT; ++i) {
        std::string text = std::string("x.c: ") + errorKeywords[i] + " here";
        const char* at = FindErrorKeyword(text.c_str());
        ASSERT_NE(nullptr, at) << i;
        EXPECT_EQ(5, at - text.c_str()) << i;
    }
}

TEST(FindErrorKeyword, TableOrderWinsOverPositionAndCaseCounts) {
    struct { const char* text; int at; } cases[] = {
        {"warning then Error", 13},            // "Error" precedes "warning" in the table
        {"error ERROR error", 6},
        {"エラー and warning", 11},            // English words come first in the table
        {"誤 then 異常", 8},
        {"x.exe - 0 error(s), 0 warning(s)", 10},
        {"eRRor and wArning only", -1},
        {"Compiling...", -1},
        {"", -1},
        {"Errors: 0", 0},                     // a word that begins with a keyword
    };
    for (const auto& c : cases) {
        const char* at = FindErrorKeyword(c.text);
        EXPECT_EQ(c.at, at ? (int)(at - c.text) : -1) << c.text;
    }
}

TEST(FindErrorKeyword, NeverMatchesAcrossACharacterBoundary) {
    // 0x81 0x8C is one character; 0x8C 0xEB ("誤") only appears across the boundary.
    EXPECT_EQ(nullptr, FindErrorKeyword("\x81\x8C\xEB\x40"));
    // "ｴﾗｰ" spelled in trail bytes of three double-byte characters.
    EXPECT_EQ(nullptr, FindErrorKeyword("\x81\xB4\x81\xD7\x81\xB0"));
    // The same bytes on character boundaries are found.
    const char* text = "\x81\x40\x8C\xEB";
    EXPECT_EQ(text + 2, FindErrorKeyword(text));
    // A lone lead byte at the end of the text does not read past the NUL.
    EXPECT_EQ(nullptr, FindErrorKeyword("abc\x8C"));
}

TEST(ParseDiagnosticLine, WorkedExamples) {
    const ParseCase cases[] = {
        {"main.c(12) : error C2065: 'x' : undeclared identifier", 12, "main.c", "3"},
        {"src\\util.cpp(145) : warning C4101: 'i' : unreferenced local variable", 145, "src\\util.cpp", "3"},
        {"C:\\src\\main.c(12) : error C2065: 'x' : undeclared identifier", 12, "C:\\src\\main.c", "3"},
        {"C:\\Program Files\\x\\a.c(5) : error C1: y", 5, "C:\\Program Files\\x\\a.c", "3"},
        {"Error main.c 12: Undefined symbol 'x' in function main", 12, "main.c", "1a"},
        {"Warning ..\\src\\io.c 230: Possibly incorrect assignment", 230, "..\\src\\io.c", "1a"},
        {"Error E2451 main.c 12: Undefined symbol 'x'", 12, "E2451 main.c", "1a"},
        {"test.c 12 Error: undeclared symbol", 12, "test.c", "1b"},
        {".\\sub\\a.c 40 warning: x", 40, "sub\\a.c", "1b"},
        {"Error: main.c, line 12: syntax", 12, "main.c", "1c"},
        {"main.c:12: error: 'x' undeclared", 12, "main.c", "2"},
        {"src/lib/io.c:7: warning: implicit declaration of 'f'", 7, "src\\lib\\io.c", "2"},
        {"test.c 12: error: undeclared symbol", 12, "test.c", "4"},
        {"C:/src/main.c:12: error: 'x' undeclared", 0, nullptr, "drive letter"},
        {"MAKE : fatal error U1077: 'cl' : return code '0x2'", 0, nullptr, "-"},
        {"LINK : fatal error L1104: cannot open file 'x.lib'", 0, nullptr, "-"},
        {"Compiling...", 0, nullptr, "-"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, FurtherBehaviour) {
    const ParseCase cases[] = {
        // Keywords are case-sensitive: with "Error" this would be form 1c.
        {"eRRor: main.c, line 12: syntax", 0, "", "no keyword"},
        {"Error: main.c, line 12: syntax", 12, "main.c", "same line with the keyword"},
        // A Japanese keyword alone gives form 1 nothing; the kana stops form 4.
        {"main.c 12 エラー: 未定義", 0, "", "japanese keyword"},
        // Form 4 found "MAKE" but no number: the name stays, unconverted.
        {"MAKE/x : fatal error U1077: 'cl'", 0, "MAKE/x", "name without number"},
        {"a.c(3): see x/y.h", 3, "a.c", "slashes only in the name"},
        {"dir/a.c(3)", 3, "dir\\a.c", "slash in a found name"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, ValuesCarryOverBetweenFormsAndKeywords) {
    const ParseCase cases[] = {
        // 1c leaves 42 without a name; form 3 finds the name and no number of its own.
        {"Error: , 42 foo(bar)", 42, "Error: , 42 foo", "1c number, 3 name"},
        // Form 2 leaves 12 without a name; form 3 takes the name.
        {":12: x(y)", 12, ":12: x", "2 number, 3 name"},
        // Form 4 starts again from 0.
        {"Error: , 42 foo", 0, "", "4 resets the number"},
        // A later keyword's 1c replaces the earlier keyword's.
        {"Error: a.c, 5; Warning: b.c, 6", 6, "b.c", "later 1c wins"},
        // 1a ends the keyword loop.
        {"Error x.c 3: y; warning: z.c, 9", 3, "x.c", "1a stops"},
        // 1b without a "." keeps the name of the earlier keyword and takes its number.
        {"Error: a, 5] x 7 warning: q", 7, "a", "1b keeps the 1c name"},
        // 1b with a sign before the number, and with a letter there.
        {"test.c -12 Error: x", -12, "test.c", "1b signed"},
        {"test.c x12 Error: x", 0, nullptr, "1b letter gives 0"},
        // 1c without a number after the stop character keeps the number it had.
        {"Error: a.c, 8; warning: b.c]", 8, "b.c", "1c number kept"},
        // Form 3 trims trailing spaces and colons but never the first character.
        {"a.c :: (7)", 7, "a.c", "3 trims"},
        {":(7)", 7, ":", "3 keeps the first character"},
        {"(7) x", 0, nullptr, "3 without a name"},
        {"x)(7)", 0, nullptr, "3 needs '(' before ')'"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, DegenerateFormsDoNotMatch) {
    const ParseCase cases[] = {
        // 1a with nothing between the keyword and the number: form 4 takes the line.
        {"ERROR 12: text", 12, "ERROR", "1a without a name"},
        {"Error\t12: text", 0, "", "1a without a name, tab"},
        // 1b with the number in the first two places.
        {"5 Error: x.c", 0, "", "1b at the start"},
        {"a5 Error: x.c", 0, "", "1b in second place"},
        {"ab 5 Error: x.c", 5, "ab", "1b in third place matches"},
        // ".\" after the number: the name range is empty.
        {"ab 5 Error: .\\x", 0, nullptr, "1b empty range"},
        // Form 4 reads a number that reaches back to the first character whole.
        {"123: x", 123, "", "4 whole number"},
        {"ab", 0, "", "4 too short"},
        {"", 0, "", "empty line"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, LargeNumbersSaturate) {
    const ParseCase cases[] = {
        {"a.c(99999999999999999999)", 2147483647, "a.c", "saturated"},
        {"a.c -99999999999 Error: x", -2147483647 - 1, "a.c", "negative saturated"},
        {"a.c(0000)", 0, nullptr, "zero"},
        {"a.c(2147483647)", 2147483647, "a.c", "largest"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, MultibyteNamesAndTrailBytes) {
    const ParseCase cases[] = {
        // "ソ" and "表" end in 0x5C ('\'); the name is copied whole.
        {"C:\\ソース\\表.c(12) : error C1: y", 12, "C:\\ソース\\表.c", "3"},
        {"ソース/表.c:3: warning: x", 3, "ソース\\表.c", "2, slash after a 0x5C trail"},
        {"Error ソ\\表.c 9: x", 9, "ソ\\表.c", "1a"},
        // A ':' that is a trail byte is no colon: form 2 sees none before "12:".
        {"a\x81:12:", 0, nullptr, "colon trail byte"},
        // A '.' that is a trail byte is no dot: 1b leaves the name alone.
        {"Error: a, 5] b\x81. 7 warning: q", 7, "a", "dot trail byte"},
        // A real '.' followed by '\' moves the start of the name.
        {"Error: a, 5] .\\b 7 warning: q", 7, "b", "dot backslash"},
    };
    for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseDiagnosticLine, NamesLongerThan259BytesAreRefused) {
    std::string n259 = Repeat('n', 257) + ".c";
    std::string n260 = Repeat('n', 258) + ".c";
    struct { std::string line; int number; std::string name; } cases[] = {
        {n259 + "(5)", 5, n259},
        {n260 + "(5)", 0, ""},
        {n259 + ":7: x", 7, n259},
        {n260 + ":7: x", 0, ""},
        {"Error " + n259 + " 3: x", 3, n259},
        {"Error " + n260 + " 3: x", 3, ""},  // 1a refuses it; form 4 has the number but no name
        {n259 + " 4 Error: x", 4, n259},
        {n260 + " 4 Error: x", 0, ""},
        {"Error: " + n259 + ", 6", 6, n259},
        {"Error: " + n260 + ", 6", 0, ""},
        {n259 + " 8: x", 8, n259},
        {n260 + " 8: x", 8, ""},  // form 4 keeps its number; without a name it is no diagnostic
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line.substr(250));
        char name[DIAGNOSTIC_FILE_NAME_SIZE + 8];
        memset(name, 'Z', sizeof name);
        EXPECT_EQ(c.number, ParseDiagnosticLine(c.line.c_str(), name));
        EXPECT_EQ(c.name, std::string(name));
        for (size_t i = DIAGNOSTIC_FILE_NAME_SIZE; i < sizeof name; ++i) EXPECT_EQ('Z', name[i]);
    }
}
