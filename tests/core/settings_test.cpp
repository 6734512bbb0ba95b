#include "bravik/core/settings.h"
#include "tests/core/test.h"

TEST(Settings, ShortRecordKindFlagsWordAndStoredPosition) {
    SettingsRecord s;
    memset(&s, 0, sizeof s);
    s.formatTag = 7;
    strcpy(s.makeExe, "nmake");
    strcpy(s.currentDir, "C:\\stale");
    ApplyLoadedSettings(s, true, SETTINGS_SHORT_SIZE);  // stored before the working directory was added
    EXPECT_EQ(151u, s.formatTag);
    EXPECT_STREQ("nmake", s.makeExe);
    EXPECT_EQ(0, memcmp(s.currentDir, std::string(260, '\0').data(), 260));
    SetKindFlagsWord(s, 0x00123401);
    EXPECT_EQ(0, memcmp((const char*)&s + 3124, "\x01\x34\x12\x00", 4)) << "little-endian at 3124";
    EXPECT_EQ(0x00123401u, GetKindFlagsWord(s));
    // The normal rectangle is relative to the work area, whose origin a taskbar
    // at the top or on the left moves away from 0,0.
    const struct { int workLeft, workTop; bool minimised; int windowLeft; WindowPosition want; } cases[] = {
        {0, 40, false, 100, {100, 90, 400, 300}}, {60, 0, false, 160, {160, 50, 400, 300}},
        {60, 40, true, -32000, {160, 90, 400, 300}},  // minimised: the icon's left edge is no use
        {0, 40, false, -4, {-4, 90, 400, 300}},       // maximised: its left edge counts
    };
    for (auto& c : cases) {
        WindowPosition p = PositionToStore(100, 50, 500, 350, c.workLeft, c.workTop, c.minimised, c.windowLeft);
        EXPECT_EQ(0, memcmp(&c.want, &p, sizeof p)) << c.workLeft << "," << c.workTop << ": " << p.x << " " << p.y;
    }
}
