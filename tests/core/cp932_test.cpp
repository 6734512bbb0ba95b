#include "bravik/core/cp932.h"
#include "tests/core/test.h"

// What the callers' own tests cannot reach: a count ending inside a pair, no
// room at all, a copy within one buffer, trail bytes compared
// as bytes ("Ｂ" ends in 'a', "Ａ" in 'A').
TEST(Cp932, CopiesAndComparisonsAtTheirEdges) {
    char out[8] = "ZZZZZZZ", buf[16] = "xxabソ";
    EXPECT_EQ(2u, cp932::CopyCutN(out, sizeof out, "ab\x83\x5C", 3));
    EXPECT_STREQ("ab", out);
    EXPECT_EQ(0u, cp932::CopyCut(out, 0, "y"));
    EXPECT_EQ('a', out[0]) << "nothing written into no room";
    EXPECT_EQ(4u, cp932::CopyCut(buf, sizeof buf, buf + 2));
    EXPECT_STREQ("abソ", buf);
    EXPECT_FALSE(cp932::EqualNoCase("\x82\x61", "\x82\x41"));
    EXPECT_TRUE(cp932::EqualNoCase("ソa", "ソA"));
}
