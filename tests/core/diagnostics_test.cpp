#include "bravik/core/diagnostics.h"
#include "tests/core/test.h"

// Parses a copy of the line that must stay unchanged, into a name buffer whose
// bytes past the 260 must survive. name nullptr: the name is not looked at.
static void ExpectParse(const std::string& line, int number, const char* name, const std::string& why) {
    SCOPED_TRACE(line.substr(0, 80) + "  [" + why + "]");
    char got[DIAGNOSTIC_FILE_NAME_SIZE + 8];
    memset(got, 'Z', sizeof got);
    std::string copy = line;
    EXPECT_EQ(number, ParseDiagnosticLine(copy.c_str(), got));
    EXPECT_EQ(line, copy);
    EXPECT_EQ(std::string(8, 'Z'), std::string(got + DIAGNOSTIC_FILE_NAME_SIZE, 8));
    if (name) { EXPECT_STREQ(name, got); }
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
        {"Errors: 0", 0}, {"eRRor and wArning only", -1}, {"", -1},
        {"\x81\x8C\xEB\x40", -1}, {"\x81\xB4\x81\xD7\x81\xB0", -1},  // "誤" across a boundary, "ｴﾗｰ" in trail bytes
        {"\x81\x40\x8C\xEB", 2}, {"abc\x8C", -1},                     // a lone lead byte before the NUL
    };
    for (const auto& c : cases) {
        const char* at = FindErrorKeyword(c.text);
        EXPECT_EQ(c.at, at ? (int)(at - c.text) : -1) << c.text;
    }
}

// Forms: 1a "<keyword> name number:", 1b "name number <keyword>", 1c
// "<keyword>: name, ... number", 2 "name:number:", 3 "name(number)", 4 "name number:".
TEST(ParseDiagnosticLine, FormsAndHowTheyHandOn) {
    const struct { const char* line; int number; const char* name; const char* why; } cases[] = {
        {"main.c(12) : error C2065: 'x' : undeclared", 12, "main.c", "3"}, {"Compiling...", 0, nullptr, "-"},
        {"C:\\Program Files\\x\\a.c(5) : error C1: y", 5, "C:\\Program Files\\x\\a.c", "3"},
        {"Error main.c 12: Undefined symbol 'x'", 12, "main.c", "1a"}, {"Error: ゾーン.c, line 5", 5, "ゾーン.c", "1c, ']' trail"},
        {"Error E2451 main.c 12: x", 12, "main.c", "1a, message code"}, {"test.c 12 Error: x", 12, "test.c", "1b"},
        {"Warning W8065 C:\\work\\make.cc 2585: x", 2585, "C:\\work\\make.cc", "1a, drive after a blank"},
        {"C:/src/main.c:12: error: x", 12, "C:\\src\\main.c", "2, drive"}, {"src/io.c:7: warning: x", 7, "src\\io.c", "2"},
        {".\\sub\\a.c 40 warning: x", 40, "sub\\a.c", "1b after '.\\'"}, {"test.c 12: error: x", 12, "test.c", "4"},
        {"MAKE : fatal error U1077: 'cl' : return code '0x2'", 0, nullptr, "-"},
        {"main.c 12 エラー: 未定義", 0, "", "no Japanese in 1, kana stops 4"}, {"Error: , 42 foo", 0, "", "4 from 0"},
        {"MAKE/x : fatal error U1077: 'cl'", 0, "MAKE/x", "4 name without number, unconverted"},
        {"Error: , 42 foo(bar)", 42, "Error: , 42 foo", "1c number, 3 name"}, {":12: x(y)", 12, ":12: x", "2, 3"},
        {"Error: a.c, 5; Warning: b.c, 6", 6, "b.c", "a later 1c wins"}, {"Error E2451 12: x", 12, "E2451", "code alone"},
        {"Error E245 main.c 12: x", 12, "E245 main.c", "code: 4 digits"}, {"Error e2451 a 1: x", 1, "e2451 a", "capital"},
        {"Error E2451main.c 12: x", 12, "E2451main.c", "code, blank"}, {"Error E2451 \t C:\\a.c 3: x", 3, "C:\\a.c", "blanks"},
        {"Error xC:\\a 3: y", 0, "", "1a: no drive in a word"}, {"Error C: x.c 3: y", 0, "", "1a: drive needs '\\'"},
        {"ab:/x.c:9: y", 0, "", "2: no drive in a word"}, {"C:\\x:y:9: z", 0, "", "2 skips the drive colon only"},
        {"C:\\d\\e.c 4: x", 4, "C:\\d\\e.c", "4 from the third byte"}, {"Error x.c 3: y; warning: z.c, 9", 3, "x.c", "1a ends"},
        {"Error: a, 5] x 7 warning: q", 7, "a", "1b without '.' keeps 1c's name"}, {"test.c -12 Error: x", -12, "test.c", "1b"},
        {"test.c x12 Error: x", 0, nullptr, "1b letter"}, {"Error: a.c, 8; warning: b.c]", 8, "b.c", "1c keeps the number"},
        {"a.c :: (7)", 7, "a.c", "3 trims"}, {":(7)", 7, ":", "3 first character"}, {"(7) x", 0, nullptr, "3 no name"},
        {"x)(7)", 0, nullptr, "3 '(' first"}, {"ERROR 12: text", 12, "ERROR", "1a no name, 4"}, {"Error\t12: x", 0, "", "4 space"},
        {"5 Error: x.c", 0, "", "1b at the start"}, {"ab 5 Error: x.c", 5, "ab", "1b third place"},
        {"ab 5 Error: .\\x", 0, nullptr, "1b empty range"}, {"123: x", 123, "", "4 number from the start"},
        {"a.c(99999999999999999999)", 2147483647, "a.c", "saturated"}, {"a.c(2147483647)", 2147483647, "a.c", "largest"},
        {"a.c -99999999999 Error: x", -2147483647 - 1, "a.c", "negative saturated"},
        {"ソース/表.c:3: warning: x", 3, "ソース\\表.c", "2, '/' after a 0x5C trail"}, {"a\x81:12:", 0, nullptr, "':' trail"},
        {"Error: a, 5] b\x81. 7 warning: q", 7, "a", "'.' trail"},
    };
    for (const auto& c : cases) ExpectParse(c.line, c.number, c.name, c.why);
}

TEST(ParseDiagnosticLine, EachFormRefusesNamesLongerThan259Bytes) {
    const std::string fits = std::string(257, 'n') + ".c", tooLong = "n" + fits;
    struct { const char* before; const char* after; int number, numberTooLong; const char* form; } forms[] = {
        {"", "(5)", 5, 0, "3"}, {"", ":7: x", 7, 0, "2"}, {"", " 4 Error: x", 4, 0, "1b"},
        {"Error: ", ", 6", 6, 0, "1c"}, {"Error ", " 3: x", 3, 3, "1a, then 4 without a name"},
        {"", " 8: x", 8, 8, "4 keeps its number"},
    };
    for (const auto& f : forms) {
        ExpectParse(f.before + fits + f.after, f.number, fits.c_str(), f.form);
        ExpectParse(f.before + tooLong + f.after, f.numberTooLong, "", f.form);
    }
}
