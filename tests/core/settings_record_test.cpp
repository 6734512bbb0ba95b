#include "bravik/core/settings_record.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(SettingsRecord, ShortRecordGetsTagAndLosesWorkingDirectory) {
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

TEST(SettingsRecord, KindFlagsWordIsTheLittleEndianWordAt3124) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    SetKindFlagsWord(s, 0x00123401);
    const unsigned char* bytes = (const unsigned char*)&s + 3124;
    EXPECT_EQ(0, memcmp(bytes, "\x01\x34\x12\x00", 4));
    EXPECT_EQ(0x00123401u, GetKindFlagsWord(s));
}

TEST(SettingsRecord, JumpKeyLabelsAndOutOfRangeIndexes) {
    struct { int index; int code; const char* label; } cases[] = {
        {0, 13, "[Enter]"}, {9, 34, "[PageDown]"}, {10, 112, "[F1]"}, {21, 123, "[F12]"}, {22, 13, "[Enter]"}, {-1, 13, "[Enter]"},
    };
    for (auto& c : cases) {
        char label[40];
        JumpKeyLabel(c.index, label, sizeof label);
        EXPECT_EQ(c.code, JumpKeyCode(c.index)) << c.index;
        EXPECT_STREQ(c.label, label) << c.index;
    }
}

TEST(SettingsRecord, PositionToStoreUsesTheWindowsLeftEdgeUnlessMinimised) {
    WindowPosition p = PositionToStore(100, 50, 500, 350, false, -4);
    EXPECT_EQ(-4, p.x);
    EXPECT_EQ(50, p.y);
    EXPECT_EQ(400, p.width);
    EXPECT_EQ(300, p.height);
    EXPECT_EQ(100, PositionToStore(100, 50, 500, 350, true, -32000).x);
}
