#include "bravik/core/output_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Strip(std::string text) {
    text.resize(StripEscapes(&text[0], text.size()));
    return text;
}
std::string Clean(std::string text) {
    text.resize(CleanOutputLine(&text[0], text.size()));
    return text;
}
std::string Repeat(const std::string& piece, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += piece;
    return out;
}

// UTF-8 spelled out in bytes; the expected texts are code page 932 literals.
const std::string LeftQuote = "\xE2\x80\x98", RightQuote = "\xE2\x80\x99";
const std::string A = "\xE3\x81\x82", Hyou = "\xE8\xA1\xA8";  // あ, 表 (its CP932 trail byte is '\\')

TEST(OutputText, EscapeSequencesAreRemoved) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"plain text", "plain text"},
        {"\x1b[01;31m\x1b[Kerror:\x1b[m\x1b[K x", "error: x"},
        {"\x1b[?25hcursor\x1b[2J", "cursor"},
        {"a\x1b" "(Bb", "aBb"},                          // another two-byte sequence
        {"a\x1b", "a"},                                  // cut off by the line end
        {"a\x1b[", "a"},
        {"a\x1b[31;1", "a"},
        {"a\x1b[31\x82\xA0" "b", "a\x82\xA0" "b"},      // broken by a lead byte, which stays
        {"\x1b\x82\xA0", "\x82\xA0"},                    // a lone ESC before a double-byte character
        {"\x1b\tx", "\tx"},
        {"ソ\x1b[0mソ表\x1b[1m\\", "ソソ表\\"},           // trail bytes 0x5C around the sequences
        {Repeat("\x1b[32mok\x1b[0m ", 200), Repeat("ok ", 200)},  // over 1,000 bytes
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, Strip(c.in)) << c.in;
}

TEST(OutputText, Utf8IsRecognisedOnlyWhenValidAndNotPlainAscii) {
    const struct {
        std::string text;
        bool utf8;
        size_t incompleteTail;
    } cases[] = {
        {"ascii only", false, 0},
        {LeftQuote + "x" + RightQuote, true, 0},
        {"\xF0\x9F\x98\x80", true, 0},
        {"ソース表示", false, 0},                        // code page 932
        {"a" + A.substr(0, 2), false, 2},               // truncated characters
        {"a" + A.substr(0, 1), false, 1},
        {A + "\xF0\x9F\x98", false, 3},
        {"ソ" + A.substr(0, 2), false, 0},              // not UTF-8 before the tail
        {"\xC0\xAF", false, 0},                         // overlong
        {"\xE0\x80\xAF", false, 0},
        {"\xED\xA0\x80", false, 0},                     // surrogate
        {"\xF4\x90\x80\x80", false, 0},                 // above U+10FFFF
        {"\xF8\x88\x80\x80\x80", false, 0},
        {"a\x80" "b", false, 0},
        {Repeat(A, 400), true, 0},
        {Repeat(A, 400) + "\xE3", false, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.utf8, IsUtf8Text(c.text.data(), c.text.size())) << c.text;
        EXPECT_EQ(c.incompleteTail, Utf8IncompleteTail(c.text.data(), c.text.size())) << c.text;
    }
}

TEST(OutputText, LinesAreCleanedToCodePage932) {
    const std::string x1000(1000, 'x');
    const struct {
        std::string in, out;
    } cases[] = {
        {"main.c:3:5: error: " + LeftQuote + "x" + RightQuote + " undeclared", "main.c:3:5: error: ‘x’ undeclared"},
        {"\x1b[01m\x1b[Kmain.c:3:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K" + LeftQuote + "x" + RightQuote +
             " undeclared",
         "main.c:3:5: error: ‘x’ undeclared"},
        {A + Hyou + "\xEF\xBD\xB1", "あ表ｱ"},             // half-width katakana becomes one byte
        {"caf\xC3\xA9 \xF0\x9F\x98\x80!", "caf? ?!"},     // no code page 932 form
        {"ソース\\表.c(3) : エラー", "ソース\\表.c(3) : エラー"},  // code page 932 stays
        {"a" + A.substr(0, 2), "a" + A.substr(0, 2)},     // truncated: not UTF-8, untouched
        {"\x1b[1m" "a\x82\xA0\x1b[0m", "a\x82\xA0"},       // escapes go from code page 932 text too
        {Repeat(A, 400), Repeat("あ", 400)},                // conversion in several chunks
        {x1000 + LeftQuote + "y" + RightQuote, x1000 + "‘y’"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.out, Clean(c.in)) << c.in;
}

}  // namespace
