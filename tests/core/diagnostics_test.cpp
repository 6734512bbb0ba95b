#include "bravik/core/diagnostics.h"
#include "tests/core/test.h"

// Parses a copy of the line that must stay unchanged, into a name buffer whose
// bytes past the 260 must survive. name nullptr: the name is not looked at.
static void ExpectParse(const std::string& line, int number, const char* name) {
    char got[DIAGNOSTIC_FILE_NAME_SIZE + 8];
    memset(got, 'Z', sizeof got);
    std::string copy = line;
    EXPECT_EQ(number, ParseDiagnosticLine(copy.c_str(), got)) << line;
    EXPECT_EQ(line, copy);
    EXPECT_EQ(std::string(8, 'Z'), std::string(got + DIAGNOSTIC_FILE_NAME_SIZE, 8)) << line;
    if (name) { EXPECT_STREQ(name, got) << line; }
}

// The keywords are hex escapes in the core; these literals catch a wrong one.
TEST(FindErrorKeyword, EachKeywordTableOrderCaseAndWholeCharacters) {
    for (const char* k : {"ERROR", "Error", "error", "WARNING", "Warning", "warning", "エラー", "ｴﾗｰ", "ワーニング",
                          "ﾜｰﾆﾝｸﾞ", "異常", "間違い", "誤"}) {
        std::string text = std::string("x.c: ") + k + " here";
        EXPECT_EQ(text.c_str() + 5, FindErrorKeyword(text.c_str())) << k;
    }
    const struct { const char* text; int at; } cases[] = {
        {"warning then Error", 13}, {"error ERROR error", 6}, {"エラー and warning", 11}, {"誤 then 異常", 8},
        {"eRRor and wArning only", -1}, {"\x81\x8C\xEB\x40", -1}, {"\x81\xB4\x81\xD7\x81\xB0", -1},  // trail bytes
        {"\x81\x40\x8C\xEB", 2}, {"abc\x8C", -1},  // a lone lead byte before the NUL
    };
    for (const auto& c : cases) {
        const char* at = FindErrorKeyword(c.text);
        EXPECT_EQ(c.at, at ? (int)(at - c.text) : -1) << c.text;
    }
}

// Form 1 is "<keyword> [code] name number:" (1a), "name number <keyword>" (1b)
// or "<keyword>: name, ... number" (1c); then "name:number:" (2),
// "name(number)" (3) and "name number:" (4), each tried while no number and
// name were found. The rows go through the branches in that order.
TEST(ParseDiagnosticLine, FormsAndHowTheyHandOn) {
    const struct { const char* line; int number; const char* name; } cases[] = {
        {"Error main.c 12: Undefined symbol 'x'", 12, "main.c"}, {"Error E2451 main.c 12: x", 12, "main.c"},
        {"Warning W8065 C:\\w\\make.cc 2585: x", 2585, "C:\\w\\make.cc"}, {"Error E2451 12: x", 12, "E2451"},
        {"Error E245x main.c 12: x", 12, "E245x main.c"}, {"Error e2451 a 1: x", 1, "e2451 a"},
        {"Error E2451main.c 12: x", 12, "E2451main.c"}, {"Error E2451 \t C:\\a.c 3: x", 3, "C:\\a.c"},
        {"Error xC:\\a 3: y", 0, ""}, {"Error C: x.c 3: y", 0, ""}, {"Error x.c 3: y; warning: z.c, 9", 3, "x.c"},
        {"ERROR 12: text", 12, "ERROR"}, {"Error\t12: x", 0, ""},  // 1a without a name; 4 needs a space
        {"test.c 12 Error: x", 12, "test.c"}, {".\\sub\\a.c 40 warning: x", 40, "sub\\a.c"},
        {"test.c -12 Error: x", -12, "test.c"}, {"test.c x12 Error: x", 0, nullptr}, {"5 Error: x.c", 0, ""},
        {"ab 5 Error: x.c", 5, "ab"}, {"ab 5 Error: .\\x", 0, nullptr}, {"Error: a, 5] x 7 warning: q", 7, "a"},
        {"Error: a, 5] b\x81. 7 warning: q", 7, "a"},  // a '.' trail byte is no dot
        {"Error: ゾーン.c, line 5", 5, "ゾーン.c"}, {"Error: a.c, 5; Warning: b.c, 6", 6, "b.c"},
        {"Error: a.c, 8; warning: b.c]", 8, "b.c"}, {"Error: , 42 foo", 0, ""},
        {"Error: , 42 foo(bar)", 42, "Error: , 42 foo"},
        {"MAKE : fatal error U1077: 'cl' : return code '0x2'", 0, nullptr}, {"main.c 12 エラー: 未定義", 0, ""},
        {"C:/src/main.c:12: error: x", 12, "C:\\src\\main.c"},
        {"ソース/表.c:3: warning: x", 3, "ソース\\表.c"}, {"ab:/x.c:9: y", 0, ""}, {"C:\\x:y:9: z", 0, ""},
        {"a\x81:12:", 0, nullptr}, {":12: x(y)", 12, ":12: x"},
        {"C:\\Program Files\\a.c(5) : error C1: y", 5, "C:\\Program Files\\a.c"},
        {"a.c :: (7)", 7, "a.c"}, {":(7)", 7, ":"}, {"(7) x", 0, nullptr}, {"x)(7)", 0, nullptr},
        {"test.c 12: error: x", 12, "test.c"}, {"C:\\d\\e.c 4: x", 4, "C:\\d\\e.c"}, {"123: x", 123, ""},
        {"MAKE/x : fatal error U1077: 'cl'", 0, "MAKE/x"},  // a name without a number stays unconverted
        {"a.c(99999999999999999999)", 2147483647, "a.c"}, {"a.c(2147483647)", 2147483647, "a.c"},
        {"a.c -99999999999 Error: x", -2147483647 - 1, "a.c"},
    };
    for (const auto& c : cases) ExpectParse(c.line, c.number, c.name);
    // Each form refuses a name longer than 259 bytes.
    const std::string fits = std::string(257, 'n') + ".c", tooLong = "n" + fits;
    const struct { const char *before, *after; int number, numberTooLong; } forms[] = {
        {"", "(5)", 5, 0}, {"", ":7: x", 7, 0}, {"", " 4 Error: x", 4, 0}, {"Error: ", ", 6", 6, 0},
        {"Error ", " 3: x", 3, 3}, {"", " 8: x", 8, 8},  // 1a, then 4 without a name; 4 keeps its number
    };
    for (const auto& f : forms) {
        ExpectParse(f.before + fits + f.after, f.number, fits.c_str());
        ExpectParse(f.before + tooLong + f.after, f.numberTooLong, "");
    }
}
