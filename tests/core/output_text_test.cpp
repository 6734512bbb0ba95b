#include "bravik/core/output_text.h"
#include "tests/core/test.h"

static std::string Repeat(const std::string& piece, int n) {
    std::string out;
    while (n--) out += piece;
    return out;
}

// UTF-8 spelled out in bytes; the expected texts are code page 932 literals.
static const std::string Quoted = "\xE2\x80\x98x\xE2\x80\x99", A = "\xE3\x81\x82";  // ‘x’, あ

TEST(OutputText, EscapeSequencesAreRemoved) {
    const struct { std::string in, out; } cases[] = {
        {"\x1b[01;31m\x1b[Kerror:\x1b[m\x1b[K x", "error: x"}, {"\x1b[?25hcursor\x1b[2J", "cursor"},
        {"a\x1b" "(Bb", "aBb"}, {"a\x1b", "a"}, {"a\x1b[31;1", "a"},  // cut off by the line end
        {"a\x1b[31\x82\xA0" "b", "a\x82\xA0" "b"},  // broken by a lead byte, which stays
        {"\x1b\x82\xA0", "\x82\xA0"}, {"ソ\x1b[0mソ表\x1b[1m\\", "ソソ表\\"},
        {Repeat("\x1b[32mok\x1b[0m ", 200), Repeat("ok ", 200)},
    };
    for (auto c : cases) EXPECT_EQ(c.out, c.in.substr(0, StripEscapes(&c.in[0], c.in.size()))) << c.in;
}

TEST(OutputText, Utf8IsRecognisedOnlyWhenValidAndNotPlainAscii) {
    const struct { std::string text; bool utf8; size_t incompleteTail; } cases[] = {
        {"ascii only", false, 0}, {Quoted, true, 0}, {"\xF0\x9F\x98\x80", true, 0}, {"ソース表示", false, 0},
        {"a" + A.substr(0, 2), false, 2}, {A + "\xF0\x9F\x98", false, 3}, {"ソ" + A.substr(0, 2), false, 0},
        {"\xC0\xAF", false, 0}, {"\xE0\x80\xAF", false, 0}, {"\xED\xA0\x80", false, 0},  // overlong, surrogate
        {"\xF4\x90\x80\x80", false, 0}, {"\xF8\x88\x80\x80\x80", false, 0}, {"a\x80" "b", false, 0},
        {Repeat(A, 400) + "\xE3", false, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.utf8, IsUtf8Text(c.text.data(), c.text.size())) << c.text;
        EXPECT_EQ(c.incompleteTail, Utf8IncompleteTail(c.text.data(), c.text.size())) << c.text;
    }
}

TEST(OutputText, LinesAreCleanedToCodePage932) {
    const struct { std::string in, out; } cases[] = {
        {"\x1b[01m\x1b[Kmain.c:3:5:\x1b[m\x1b[K error: " + Quoted, "main.c:3:5: error: ‘x’"},
        {A + "\xE8\xA1\xA8\xEF\xBD\xB1", "あ表ｱ"},           // 表's trail byte is '\'; half-width katakana is one byte
        {"caf\xC3\xA9 \xF0\x9F\x98\x80!", "caf? ?!"},       // no code page 932 form
        {"ソース\\表.c(3) : エラー", "ソース\\表.c(3) : エラー"}, {"a" + A.substr(0, 2), "a" + A.substr(0, 2)},
        {Repeat(A, 400), Repeat("あ", 400)}, {std::string(1000, 'x') + Quoted, std::string(1000, 'x') + "‘x’"},
    };
    for (auto c : cases) EXPECT_EQ(c.out, c.in.substr(0, CleanOutputLine(&c.in[0], c.in.size()))) << c.in;
}
