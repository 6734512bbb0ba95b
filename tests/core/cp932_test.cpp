#include "bravik/core/cp932.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

using namespace cp932;

namespace {

// A lead byte takes the next byte as its partner whatever that byte is, as the
// platform's own character functions do. "ソ" really ends in '\'; the other
// pairs are stray bytes that a broken tool could print, and must not match either.
struct TrailCase {
    char trail;
    const char* pair;
};
const TrailCase trailCases[] = {
    {'\\', "\x83\x5C"},  // ソ
    {'%', "\x81%"},
    {':', "\x81:"},
    {'(', "\x81("},
    {'.', "\x81."},
};

}  // namespace

TEST(Cp932, SearchesSkipTrailBytes) {
    for (const auto& c : trailCases) {
        SCOPED_TRACE(c.trail);
        const std::string needle(1, c.trail);
        const std::string only = std::string("a") + c.pair + "b";
        EXPECT_EQ(nullptr, FindChar(only.c_str(), c.trail));
        EXPECT_EQ(nullptr, FindLastChar(only.c_str(), c.trail));
        EXPECT_EQ(nullptr, FindText(only.c_str(), needle.c_str()));

        // a, pair, b, the real character, c, pair
        const std::string text = std::string("a") + c.pair + "b" + c.trail + "c" + c.pair;
        const char* t = text.c_str();
        EXPECT_EQ(t + 4, FindChar(t, c.trail));
        EXPECT_EQ(t + 4, FindLastChar(t, c.trail));
        EXPECT_EQ(t + 4, FindText(t, (needle + "c").c_str()));
        EXPECT_EQ(nullptr, FindText(t, (needle + "b").c_str()));
        EXPECT_EQ(t + 3, Next(t + 1));
        EXPECT_EQ(t + 1, Prev(t, t + 3));
        EXPECT_TRUE(IsCharStart(t, t + 1));
        EXPECT_FALSE(IsCharStart(t, t + 2));
        EXPECT_TRUE(IsCharStart(t, t + 6));
        EXPECT_FALSE(IsCharStart(t, t + 7));
        EXPECT_TRUE(IsCharStart(t, t + text.size()));
    }
}

TEST(Cp932, NextAndPrevAtTheEdges) {
    const char* lone = "a\x83";
    EXPECT_EQ(lone + 2, Next(lone + 1));  // a lone lead byte before the NUL is one byte
    EXPECT_EQ(lone + 2, Next(lone + 2));  // never past the NUL
    EXPECT_EQ(lone, Prev(lone, lone));
    EXPECT_EQ(lone + 1, Prev(lone, lone + 2));
    EXPECT_EQ(nullptr, FindChar("", 'a'));
    EXPECT_STREQ("", FindText("", ""));
}

TEST(Cp932, CaseInsensitiveComparisonKeepsDoubleByteCharactersWhole) {
    struct { const char* a; const char* b; bool equal; } cases[] = {
        {"PATH", "path", true},
        {"Path", "PATHEXT", false},
        {"ソa", "ソA", true},
        {"\x83\x5C", "\x83\x7C", false},  // same lead, trail '\' against '|'
        {"\x82\x61", "\x82\x41", false},  // "Ｂ" ends in 'a'; its trail is not a letter to fold
        {"%1", "%1", true},
        {"", "", true},
    };
    for (const auto& c : cases) EXPECT_EQ(c.equal, EqualNoCase(c.a, c.b)) << c.a << " " << c.b;
    EXPECT_TRUE(EqualNoCaseN("pathext=", "PATH=", 4));
    EXPECT_FALSE(EqualNoCaseN("pathext=", "PATH=", 5));
    EXPECT_TRUE(EqualNoCaseN("ab", "AB", 10));  // equal up to both NULs
}

TEST(Cp932, UpperAsciiLeavesTrailBytes) {
    char text[] = "abc\x82\x61z\x81\x61";  // "Ｂ" and a stray pair, both ending in 'a'
    UpperAscii(text);
    EXPECT_STREQ("ABC\x82\x61Z\x81\x61", text);
}

TEST(Cp932, CopiesCutOnCharacterBoundaries) {
    char out[6];
    memset(out, 'Z', sizeof out);
    EXPECT_EQ(4u, CopyCut(out, 5, "abソc"));
    EXPECT_STREQ("abソ", out);
    EXPECT_EQ(3u, CopyCut(out, 5, "abcソ"));  // the pair does not fit: dropped whole
    EXPECT_STREQ("abc", out);
    EXPECT_EQ(0u, CopyCut(out, 1, "x"));
    EXPECT_STREQ("", out);
    EXPECT_EQ(0u, CopyCut(out, 0, "x"));  // nothing written at all

    EXPECT_EQ(2u, CopyCutN(out, 6, "ab\x83\x5C", 3));  // n ends inside the pair
    EXPECT_STREQ("ab", out);
    EXPECT_EQ(2u, CopyCutN(out, 6, "ab\x83", 3));  // a lead byte in the last place is dropped
    EXPECT_STREQ("ab", out);
    EXPECT_EQ(4u, CopyCutN(out, 6, "ab\x83\x5C", 4));
    EXPECT_STREQ("ab\x83\x5C", out);

    char buf[8] = "ab";
    EXPECT_EQ(4u, AppendCut(buf, sizeof buf, "ソ"));
    EXPECT_EQ(6u, AppendCut(buf, sizeof buf, "cdソ"));  // "ソ" would need bytes 6 and 7
    EXPECT_STREQ("abソcd", buf);
}

TEST(Cp932, CopyCutMayMoveWithinOneBuffer) {
    char buf[16] = "xxabソ";
    EXPECT_EQ(4u, CopyCut(buf, sizeof buf, buf + 2));
    EXPECT_STREQ("abソ", buf);
}
