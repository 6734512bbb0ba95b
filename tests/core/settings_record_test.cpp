#include "bravik/core/settings_record.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(SettingsRecord, MissingValueGivesDefaults) {
    SettingsRecord s;
    memset(&s, 0xAB, sizeof s);
    ApplyLoadedSettings(s, false, 0);
    EXPECT_EQ(151u, s.formatTag);
    EXPECT_EQ(1, s.statusBarShown);
    EXPECT_EQ('\0', s.makeExe[0]);
    EXPECT_EQ(0, s.editorKind);
    EXPECT_EQ(0, s.flags);
    EXPECT_EQ(0, s.toolbarStyle);
    EXPECT_EQ(0, s.jumpKey);
    EXPECT_EQ('\0', s.currentDir[0]);
}

TEST(SettingsRecord, ShortRecordKeepsFieldsAndClearsWorkingDirectory) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    s.formatTag = 7;
    strcpy(s.makeExe, "nmake");
    s.flags = FLAG_MULTI_SELECT;
    strcpy(s.currentDir, "C:\\stale");
    ApplyLoadedSettings(s, true, SETTINGS_SHORT_SIZE);
    EXPECT_EQ(151u, s.formatTag);
    EXPECT_STREQ("nmake", s.makeExe);
    EXPECT_EQ(FLAG_MULTI_SELECT, s.flags);
    EXPECT_EQ(0, memcmp(s.currentDir, std::string(260, '\0').data(), 260));
}

TEST(SettingsRecord, FullRecordKeepsUnknownFormatTag) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    s.formatTag = 99;
    strcpy(s.currentDir, "D:\\work");
    ApplyLoadedSettings(s, true, sizeof s);
    EXPECT_EQ(99u, s.formatTag);
    EXPECT_STREQ("D:\\work", s.currentDir);
}

TEST(SettingsRecord, KindFlagsWordIsLittleEndianBytes3124To3127) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    SetKindFlagsWord(s, 0x00123401);
    const unsigned char* bytes = (const unsigned char*)&s + 3124;
    EXPECT_EQ(0x01, bytes[0]);
    EXPECT_EQ(0x34, bytes[1]);
    EXPECT_EQ(0x12, bytes[2]);
    EXPECT_EQ(0x00, bytes[3]);
    EXPECT_EQ(0x00123401u, GetKindFlagsWord(s));
}

TEST(JumpKeyTable, CodesAndLabels) {
    struct { int index; int code; const char* label; } cases[] = {
        {0, 13, "[Enter]"}, {1, 32, "[Space]"}, {2, 9, "[Tab]"}, {3, 27, "[Esc]"},
        {4, 45, "[Insert]"}, {5, 46, "[Delete]"}, {6, 36, "[Home]"}, {7, 35, "[End]"},
        {8, 33, "[PageUp]"}, {9, 34, "[PageDown]"}, {10, 112, "[F1]"}, {21, 123, "[F12]"},
    };
    for (auto& c : cases) {
        char label[40];
        JumpKeyLabel(c.index, label, sizeof label);
        EXPECT_EQ(c.code, JumpKeyCode(c.index)) << c.index;
        EXPECT_STREQ(c.label, label) << c.index;
    }
    EXPECT_EQ(13, JumpKeyCode(22));
    EXPECT_EQ(13, JumpKeyCode(-1));
}

TEST(WindowPosition, StoredPositionRules) {
    WindowPosition d;
    DefaultPosition(d);
    EXPECT_EQ((int32_t)0x80000000, d.x);
    EXPECT_EQ((int32_t)0x80000000, d.y);
    EXPECT_EQ(320, d.width);
    EXPECT_EQ(280, d.height);

    // Maximised: normal size and top, left edge of the maximised rectangle.
    WindowPosition p = PositionToStore(100, 50, 500, 350, false, -4);
    EXPECT_EQ(-4, p.x);
    EXPECT_EQ(50, p.y);
    EXPECT_EQ(400, p.width);
    EXPECT_EQ(300, p.height);
    // Minimised: the normal rectangle as it is.
    p = PositionToStore(100, 50, 500, 350, true, -32000);
    EXPECT_EQ(100, p.x);
}
