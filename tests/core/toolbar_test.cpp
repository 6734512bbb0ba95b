#include "bravik/core/toolbar.h"
#include "tests/core/test.h"

TEST(Toolbar, LookVersionAndButtons) {
    const struct { int style, version, bitmap, imageW, imageH, buttonW, buttonH; bool flat, labels; } cases[] = {
        {0, 581, 2000, 16, 15, 23, 22, false, false}, {1, 581, 2001, 21, 20, 28, 27, false, false},
        {2, 581, 2001, 21, 20, 28, 27, true, false},  // "small" flat uses the large images
        {3, 581, 2001, 21, 20, 28, 27, true, true}, {57, 581, 2001, 21, 20, 28, 27, true, false},
        {-1, 581, 2001, 21, 20, 28, 27, false, false}, {3, 470, 2001, 21, 20, 28, 27, true, true},
        {3, 469, 2001, 21, 20, 28, 27, false, false},
    };
    for (const auto& c : cases) {
        ToolbarLook l = ToolbarLookFor(c.style, c.version);
        EXPECT_EQ(std::make_tuple(c.bitmap, c.imageW, c.imageH, c.buttonW, c.buttonH, c.flat, c.labels),
                  std::make_tuple(l.bitmapId, l.imageWidth, l.imageHeight, l.buttonWidth, l.buttonHeight, l.flat, l.labels))
            << "style " << c.style << " version " << c.version;
    }
    EXPECT_EQ(400, CommonControlsVersionFrom(false, 5, 81));
    EXPECT_EQ(470, CommonControlsVersionFrom(true, 4, 70));
    const struct { int version; bool classic; int styles; } versions[] = {{400, true, 2}, {401, false, 4}};
    for (const auto& c : versions) {
        EXPECT_EQ(c.classic, UsesClassicControlRegistration(c.version)) << c.version;
        EXPECT_EQ(c.styles, ToolbarStyleChoiceCount(c.version)) << c.version;
    }
    const int commands[TOOLBAR_PLACE_COUNT] = {101, 104, 102, 0, 106, 0, 107, 109, 0, 103};
    int image = 0;  // every image once, in order, between the separators
    for (int i = 0; i < TOOLBAR_PLACE_COUNT; ++i) {
        EXPECT_EQ(commands[i], ToolbarPlaces[i].command) << i;
        EXPECT_EQ(commands[i] ? image++ : -1, ToolbarPlaces[i].imageIndex) << i;
    }
    EXPECT_EQ(TOOLBAR_IMAGE_COUNT, image);
}
