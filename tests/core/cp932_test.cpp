#include "bravik/core/cp932.h"
#include "tests/core/test.h"

using namespace cp932;

// A lead byte pairs with whatever byte follows, as the platform's functions do:
// "ソ" ends in '\', the other pair is stray bytes a broken tool could print.
TEST(Cp932, SearchesStepsCaseAndCuts) {
    for (const char* pair : {"\x83\x5C", "\x81:"}) {
        const char c = pair[1];
        const std::string text = std::string("a") + pair + "b" + c + "c" + pair;
        const char* t = text.c_str();
        EXPECT_EQ(t + 4, FindChar(t, c));
        EXPECT_EQ(t + 4, FindLastChar(t, c));
        EXPECT_EQ(t + 4, FindText(t, (std::string(1, c) + "c").c_str()));
        EXPECT_EQ(nullptr, FindText(t, (std::string(1, c) + "b").c_str()));
        EXPECT_EQ(t + 3, Next(t + 1));
        EXPECT_EQ(t + 1, Prev(t, t + 3));
        EXPECT_FALSE(IsCharStart(t, t + 2));
    }
    const char* lone = "a\x83";
    EXPECT_EQ(lone + 2, Next(lone + 1)) << "a lone lead byte before the NUL is one byte";
    EXPECT_EQ(lone + 1, Prev(lone, lone + 2));
    EXPECT_TRUE(EqualNoCase("ソa", "ソA"));
    EXPECT_FALSE(EqualNoCase("\x82\x61", "\x82\x41")) << "'Ｂ' ends in 'a', 'Ａ' in 'A'";
    EXPECT_FALSE(EqualNoCase("Path", "PATHEXT"));
    EXPECT_TRUE(EqualNoCaseN("pathext=", "PATH=", 4));
    EXPECT_FALSE(EqualNoCaseN("pathext=", "PATH=", 5));
    EXPECT_TRUE(EqualNoCaseN("ab", "AB", 10)) << "equal up to both NULs";
    char text[] = "abc\x82\x61z";
    UpperAscii(text);
    EXPECT_STREQ("ABC\x82\x61Z", text);
    const size_t WHOLE = (size_t)-1;  // CopyCut rather than CopyCutN
    const struct { size_t size; const char* src; size_t n, copied; const char* out; } cases[] = {
        {5, "abソc", WHOLE, 4, "abソ"}, {5, "abcソ", WHOLE, 3, "abc"}, {6, "ab\x83\x5C", 3, 2, "ab"},
        {6, "ab\x83", 3, 2, "ab"}, {6, "ab\x83\x5C", 4, 4, "ab\x83\x5C"},
    };
    for (const auto& c : cases) {
        char out[6] = "ZZZZZ";
        EXPECT_EQ(c.copied, c.n == WHOLE ? CopyCut(out, c.size, c.src) : CopyCutN(out, c.size, c.src, c.n)) << c.src;
        EXPECT_STREQ(c.out, out);
    }
    char buf[16] = "xxabソ";
    EXPECT_EQ(0u, CopyCut(buf, 0, "y"));
    EXPECT_EQ('x', buf[0]) << "nothing written into no room";
    EXPECT_EQ(4u, CopyCut(buf, sizeof buf, buf + 2)) << "within one buffer";
    EXPECT_EQ(6u, AppendCut(buf, 8, "cdソ"));  // "ソ" would need bytes 6 and 7
    EXPECT_STREQ("abソcd", buf);
}
