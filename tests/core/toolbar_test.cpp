#include "bravik/core/toolbar.h"

#include <gtest/gtest.h>

#include <tuple>

TEST(Toolbar, LookFollowsStyleAndVersion) {
    const struct {
        int style, version, bitmap, imageW, imageH, buttonW, buttonH;
        bool flat, labels;
    } cases[] = {
        {0, 581, 2000, 16, 15, 23, 22, false, false},
        {1, 581, 2001, 21, 20, 28, 27, false, false},
        {2, 581, 2001, 21, 20, 28, 27, true, false},  // "small" flat uses the large images
        {3, 581, 2001, 21, 20, 28, 27, true, true},
        {4, 581, 2001, 21, 20, 28, 27, true, false},  // 4 and more behave like 2
        {57, 581, 2001, 21, 20, 28, 27, true, false},
        {-1, 581, 2001, 21, 20, 28, 27, false, false},  // never small, never flat
        {3, 470, 2001, 21, 20, 28, 27, true, true},
        {3, 469, 2001, 21, 20, 28, 27, false, false},
        {2, 469, 2001, 21, 20, 28, 27, false, false},
        {0, 400, 2000, 16, 15, 23, 22, false, false},
    };
    for (const auto& c : cases) {
        ToolbarLook l = ToolbarLookFor(c.style, c.version);
        EXPECT_EQ(std::make_tuple(c.bitmap, c.imageW, c.imageH, c.buttonW, c.buttonH, c.flat, c.labels),
                  std::make_tuple(l.bitmapId, l.imageWidth, l.imageHeight, l.buttonWidth, l.buttonHeight, l.flat, l.labels))
            << "style " << c.style << " version " << c.version;
    }
}

TEST(Toolbar, VersionRegistrationAndStyleChoices) {
    EXPECT_EQ(400, CommonControlsVersionFrom(false, 5, 81));
    EXPECT_EQ(581, CommonControlsVersionFrom(true, 5, 81));
    EXPECT_EQ(470, CommonControlsVersionFrom(true, 4, 70));
    EXPECT_EQ(600, CommonControlsVersionFrom(true, 6, 0));
    const struct { int version; bool classic; int styles; } cases[] = {{0, true, 2}, {400, true, 2}, {401, false, 4}, {581, false, 4}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.classic, UsesClassicControlRegistration(c.version)) << c.version;
        EXPECT_EQ(c.styles, ToolbarStyleChoiceCount(c.version)) << c.version;
    }
}

TEST(Toolbar, ButtonTableUsesEveryImageOnceInOrder) {
    const ToolbarPlace want[TOOLBAR_PLACE_COUNT] = {{101, 0}, {104, 1}, {102, 2}, {0, -1}, {106, 3},
                                                    {0, -1},  {107, 4}, {109, 5}, {0, -1}, {103, 6}};
    for (int i = 0; i < TOOLBAR_PLACE_COUNT; ++i) {
        EXPECT_EQ(want[i].command, ToolbarPlaces[i].command) << i;
        EXPECT_EQ(want[i].imageIndex, ToolbarPlaces[i].imageIndex) << i;
    }
}
