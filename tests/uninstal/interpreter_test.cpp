// The interpreter's portable parts: menu locations, the deferred list and
// the self-removal batch text.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "uninstal/core/deferred_list.h"
#include "uninstal/core/menu_location.h"
#include "uninstal/core/self_removal.h"

namespace {

TEST(DecodeMenuLocationTest, LowBitsFirstThenHighBits) {
    const struct { unsigned char flags; MenuLocation location; } cases[] = {
        {0x02, LOCATION_STARTUP}, {0xE2, LOCATION_STARTUP}, {0x12, LOCATION_STARTUP}, {0x03, LOCATION_DESKTOP},
        {0xC3, LOCATION_DESKTOP}, {0x04, LOCATION_SEND_TO}, {0xC4, LOCATION_SEND_TO}, {0x20, LOCATION_CURRENT},
        {0xA1, LOCATION_CURRENT}, {0xE0, LOCATION_CURRENT}, {0xC1, LOCATION_BROWSE_PROGRAMS},
        {0x80, LOCATION_BROWSE_START_MENU}, {0x81, LOCATION_BROWSE_START_MENU}, {0x41, LOCATION_PROGRAMS_SETTING},
        {0x45, LOCATION_PROGRAMS_SETTING}, {0x01, LOCATION_START_MENU_SETTING}, {0x00, LOCATION_START_MENU_SETTING},
        {0x1F, LOCATION_START_MENU_SETTING},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeMenuLocation(c.flags), c.location) << std::hex << (int)c.flags;
}

int removedCount;

void CountRemoved(int, const char*) { ++removedCount; }

// The order (a menu folder after the shortcuts in it) and the folder marks are
// checked end to end by uninstal_sandbox.sh, which finds the folder gone.
TEST(DeferredListTest, RefusesTheEntryPastItsSize) {
    DeferredList list;
    memset(&list, 0, sizeof list);
    for (int i = 0; i < DEFERRED_MAX; ++i) ASSERT_EQ(AddDeferred(&list, i % 2, "x"), 1) << i;
    EXPECT_EQ(AddDeferred(&list, 0, "one too many"), 0);
    EXPECT_EQ(list.count, DEFERRED_MAX);
    removedCount = 0;
    RunDeferred(&list, CountRemoved);
    EXPECT_EQ(removedCount, DEFERRED_MAX);
    ASSERT_EQ(AddDeferred(&list, 0, "again"), 1);
    ReleaseDeferred(&list);
    EXPECT_EQ(list.count, 0);
}

std::string Batch(const char* exePath, size_t size = REMOVAL_BATCH_SIZE) {
    std::vector<char> out(size + 1, 'z');
    size_t length = FormatRemovalBatch(out.data(), size, exePath, RemovalBatchName);
    EXPECT_EQ(length, strlen(out.data()));
    EXPECT_EQ(out[size], 'z');
    return out.data();
}

TEST(FormatRemovalBatchTest, BoundedLoopWithTheFolderCutAtTheLastRealSeparator) {
    EXPECT_EQ(Batch("C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe"),
              "set n=0\r\n:Repeat\r\ndel /f \"C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe\"\r\n"
              "if not exist \"C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe\" goto Gone\r\n"
              "set /a n+=1\r\nif %n% geq 60 goto Gone\r\nping -n 2 127.0.0.1 >nul\r\ngoto Repeat\r\n"
              ":Gone\r\nrmdir \"C:\\Program Files\\Quibrel\\Bravik\"\r\ndel \"\\BvDelIns.bat\"\r\n");
    const struct { const char *exe, *line; } cases[] = {
        {"C:\\App\\ソ.exe", "rmdir \"C:\\App\"\r\n"},  // "ソ" ends in the byte 0x5C
        {"C:\\表示\\UnInstal.exe", "rmdir \"C:\\表示\"\r\n"},
        {"C:\\100%\\UnInstal.exe", "del /f \"C:\\100%%\\UnInstal.exe\"\r\n"},  // cmd would expand a single '%'
        {"C:\\100%\\UnInstal.exe", "rmdir \"C:\\100%%\"\r\n"},
    };
    for (const auto& c : cases) EXPECT_NE(Batch(c.exe).find(c.line), std::string::npos) << Batch(c.exe);
    std::string path = "C:\\" + std::string(250, 'p') + "\\U.exe";
    EXPECT_EQ(Batch(path.c_str(), 100), "");
    EXPECT_NE(Batch(path.c_str()), "");
    std::string percent = "C:\\" + std::string(250, '%') + "\\U.exe";  // doubles past 1000 bytes
    EXPECT_EQ(Batch(percent.c_str()), "");
}

}  // namespace
