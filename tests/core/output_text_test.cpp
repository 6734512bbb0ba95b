#include "bravik/core/output_text.h"
#include "tests/core/test.h"

// UTF-8 spelled out in bytes; the expected texts are code page 932 literals.
TEST(OutputText, EscapesGoAndUtf8BecomesCodePage932) {
    const std::string A = "\xE3\x81\x82", quoted = "\xE2\x80\x98x\xE2\x80\x99";  // あ, ‘x’
    const struct { std::string in, out; } cases[] = {
        {"\x1b[?25hcur\x1b[2J", "cur"},
        {"a\x1b" "(Bb", "aBb"}, {"a\x1b", "a"}, {"a\x1b[31;1", "a"}, {"\x1b\x82\xA0", "\x82\xA0"},
        {"a\x1b[31\x82\xA0" "b", "a\x82\xA0" "b"},  // a sequence broken by a lead byte, which stays
        {"ソ\x1b[0mソ表\x1b[1m\\", "ソソ表\\"}, {A + "\xE8\xA1\xA8\xEF\xBD\xB1", "あ表ｱ"},  // half-width: one byte
        {"caf\xC3\xA9 \xF0\x9F\x98\x80!", "caf? ?!"},
        {std::string(1000, 'x') + quoted, std::string(1000, 'x') + "‘x’"},
        {"\xC0\xAF", "\xC0\xAF"}, {"\xE0\x80\xAF", "\xE0\x80\xAF"},
        {"\xED\xA0\x80", "\xED\xA0\x80"},  // not UTF-8: as it is
        {"\xF4\x90\x80\x80", "\xF4\x90\x80\x80"}, {"\xF8\x88\x80\x80\x80", "\xF8\x88\x80\x80\x80"},
        {"a" + A.substr(0, 2), "a" + A.substr(0, 2)},
    };
    for (auto c : cases) EXPECT_EQ(c.out, c.in.substr(0, CleanOutputLine(&c.in[0], c.in.size()))) << c.in;
    const struct { std::string text; size_t tail; } tails[] = {
        {"a" + A.substr(0, 2), 2}, {A + "\xF0\x9F\x98", 3}, {"ソ" + A.substr(0, 2), 0},
    };
    for (const auto& c : tails) EXPECT_EQ(c.tail, Utf8IncompleteTail(c.text.data(), c.text.size())) << c.text;
}
