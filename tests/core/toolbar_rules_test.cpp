#include "bravik/core/toolbar_rules.h"

#include <gtest/gtest.h>

struct LookCase {
    int style, version;
    int bitmap, imageW, imageH, buttonW, buttonH;
    bool flat, labels;
};

TEST(ToolbarRules, LookFollowsStyleAndVersion) {
    const LookCase cases[] = {
        {0, 581, 2000, 16, 15, 23, 22, false, false},
        {1, 581, 2001, 21, 20, 28, 27, false, false},
        {2, 581, 2001, 21, 20, 28, 27, true, false},   // "small" flat uses the large images
        {3, 581, 2001, 21, 20, 28, 27, true, true},
        {4, 581, 2001, 21, 20, 28, 27, true, false},   // 4 and more behave like 2
        {57, 581, 2001, 21, 20, 28, 27, true, false},
        {-1, 581, 2001, 21, 20, 28, 27, false, false}, // never small, never flat
        {3, 470, 2001, 21, 20, 28, 27, true, true},
        {3, 469, 2001, 21, 20, 28, 27, false, false},
        {2, 469, 2001, 21, 20, 28, 27, false, false},
        {0, 400, 2000, 16, 15, 23, 22, false, false},
    };
    for (const LookCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "style " << c.style << " version " << c.version);
        ToolbarLook look = ToolbarLookFor(c.style, c.version);
        EXPECT_EQ(c.bitmap, look.bitmapId);
        EXPECT_EQ(c.imageW, look.imageWidth);
        EXPECT_EQ(c.imageH, look.imageHeight);
        EXPECT_EQ(c.buttonW, look.buttonWidth);
        EXPECT_EQ(c.buttonH, look.buttonHeight);
        EXPECT_EQ(c.flat, look.flat);
        EXPECT_EQ(c.labels, look.labels);
    }
}

TEST(ToolbarRules, ImagesFitTheBitmapsSideBySide) {
    // Bitmap 2000 is 112 x 15 and 2001 is 147 x 20: seven images each.
    ToolbarLook small = ToolbarLookFor(0, 581), large = ToolbarLookFor(1, 581);
    EXPECT_EQ(112, small.imageWidth * TOOLBAR_IMAGE_COUNT);
    EXPECT_EQ(15, small.imageHeight);
    EXPECT_EQ(147, large.imageWidth * TOOLBAR_IMAGE_COUNT);
    EXPECT_EQ(20, large.imageHeight);
}

TEST(ToolbarRules, VersionRegistrationAndStyleChoices) {
    EXPECT_EQ(400, CommonControlsVersionFrom(false, 5, 81));
    EXPECT_EQ(581, CommonControlsVersionFrom(true, 5, 81));
    EXPECT_EQ(470, CommonControlsVersionFrom(true, 4, 70));
    EXPECT_EQ(600, CommonControlsVersionFrom(true, 6, 0));

    EXPECT_TRUE(UsesClassicControlRegistration(400));
    EXPECT_TRUE(UsesClassicControlRegistration(0));
    EXPECT_FALSE(UsesClassicControlRegistration(401));

    EXPECT_EQ(2, ToolbarStyleChoiceCount(400));
    EXPECT_EQ(4, ToolbarStyleChoiceCount(401));
    EXPECT_EQ(4, ToolbarStyleChoiceCount(581));
}

TEST(ToolbarRules, ButtonTableUsesEveryImageOnceInOrder) {
    const int expectedCommands[TOOLBAR_PLACE_COUNT] = {101, 104, 102, 0, 106, 0, 107, 109, 0, 103};
    int nextImage = 0;
    for (int i = 0; i < TOOLBAR_PLACE_COUNT; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(expectedCommands[i], ToolbarPlaces[i].command);
        if (ToolbarPlaces[i].command == 0) {
            EXPECT_EQ(-1, ToolbarPlaces[i].imageIndex);
        } else {
            EXPECT_EQ(nextImage, ToolbarPlaces[i].imageIndex);
            ++nextImage;
        }
    }
    EXPECT_EQ(TOOLBAR_IMAGE_COUNT, nextImage);
}
