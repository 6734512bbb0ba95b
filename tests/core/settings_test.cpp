#include "bravik/core/settings.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(Settings, ShortRecordGetsTagAndLosesWorkingDirectory) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    s.formatTag = 7;
    strcpy(s.makeExe, "nmake");
    strcpy(s.currentDir, "C:\\stale");
    ApplyLoadedSettings(s, true, SETTINGS_SHORT_SIZE);
    EXPECT_EQ(151u, s.formatTag);
    EXPECT_STREQ("nmake", s.makeExe);
    EXPECT_EQ(0, memcmp(s.currentDir, std::string(260, '\0').data(), 260));
}

TEST(Settings, KindFlagsWordIsTheLittleEndianWordAt3124) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    SetKindFlagsWord(s, 0x00123401);
    const unsigned char* bytes = (const unsigned char*)&s + 3124;
    EXPECT_EQ(0, memcmp(bytes, "\x01\x34\x12\x00", 4));
    EXPECT_EQ(0x00123401u, GetKindFlagsWord(s));
}

TEST(Settings, PositionToStoreGivesScreenCoordinates) {
    // The normal rectangle is relative to the work area; a taskbar at the top
    // or on the left moves the work area's origin away from 0,0.
    struct { int workLeft, workTop; bool minimised; int windowLeft; WindowPosition want; } cases[] = {
        {0, 0, false, 100, {100, 50, 400, 300}},
        {0, 40, false, 100, {100, 90, 400, 300}},     // taskbar at the top
        {60, 0, false, 160, {160, 50, 400, 300}},     // on the left
        {60, 40, true, -32000, {160, 90, 400, 300}},  // minimised: the icon's left edge is no use
        {0, 40, false, -4, {-4, 90, 400, 300}},       // maximised: its left edge counts
    };
    for (auto& c : cases) {
        WindowPosition p = PositionToStore(100, 50, 500, 350, c.workLeft, c.workTop, c.minimised, c.windowLeft);
        EXPECT_EQ(0, memcmp(&c.want, &p, sizeof p)) << c.workLeft << "," << c.workTop << ": " << p.x << " " << p.y;
    }
}
