// The interpreter's portable parts: menu locations, the deferred list and
// the self-removal batch text.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "uninstal/core/deferred_list.h"
#include "uninstal/core/menu_location.h"
#include "uninstal/core/removal_batch.h"

using namespace uninstal;

namespace {

TEST(DecodeMenuLocationTest, LowBitsFirstThenHighBits) {
    struct Case {
        unsigned char flags;
        MenuLocation location;
    } cases[] = {
        {0x02, kLocationStartup},          {0xE2, kLocationStartup},          {0x12, kLocationStartup},
        {0x03, kLocationDesktop},          {0xC3, kLocationDesktop},          {0x04, kLocationSendTo},
        {0xC4, kLocationSendTo},           {0x20, kLocationCurrent},          {0xA1, kLocationCurrent},
        {0xE0, kLocationCurrent},          {0xC1, kLocationBrowsePrograms},   {0x80, kLocationBrowseStartMenu},
        {0x81, kLocationBrowseStartMenu},  {0x41, kLocationProgramsSetting},  {0x45, kLocationProgramsSetting},
        {0x01, kLocationStartMenuSetting}, {0x00, kLocationStartMenuSetting}, {0x1F, kLocationStartMenuSetting},
    };
    for (const Case& c : cases) EXPECT_EQ(DecodeMenuLocation(c.flags), c.location) << std::hex << (int)c.flags;
}

std::vector<std::string> removed;

void RecordRemoval(int folder, const char* path) {
    removed.push_back(std::string(folder ? "folder " : "file ") + path);
}

TEST(DeferredListTest, RunsLastFirst) {
    DeferredList list;
    memset(&list, 0, sizeof list);
    removed.clear();
    ASSERT_EQ(AddDeferred(&list, 1, "C:\\Menu\\Soft"), 1);
    ASSERT_EQ(AddDeferred(&list, 0, "C:\\Menu\\Soft\\Tool.lnk"), 1);
    ASSERT_EQ(AddDeferred(&list, 0, "C:\\Desktop\\Tool.lnk"), 1);
    RunDeferred(&list, RecordRemoval);
    std::vector<std::string> expected = {"file C:\\Desktop\\Tool.lnk", "file C:\\Menu\\Soft\\Tool.lnk",
                                         "folder C:\\Menu\\Soft"};
    EXPECT_EQ(removed, expected);
    EXPECT_EQ(list.count, 0);
}

TEST(DeferredListTest, RefusesTheEntryPastItsSize) {
    DeferredList list;
    memset(&list, 0, sizeof list);
    for (int i = 0; i < kDeferredMax; ++i) ASSERT_EQ(AddDeferred(&list, i % 2, "x"), 1) << i;
    EXPECT_EQ(AddDeferred(&list, 0, "one too many"), 0);
    EXPECT_EQ(list.count, kDeferredMax);
    removed.clear();
    RunDeferred(&list, RecordRemoval);
    EXPECT_EQ(removed.size(), (size_t)kDeferredMax);
    ASSERT_EQ(AddDeferred(&list, 0, "again"), 1);
    ReleaseDeferred(&list);
    EXPECT_EQ(list.count, 0);
}

std::string Batch(const char* exePath, size_t size = kRemovalBatchSize) {
    std::vector<char> out(size + 1, 'z');
    size_t length = FormatRemovalBatch(out.data(), size, exePath, kRemovalBatchName);
    EXPECT_EQ(length, strlen(out.data()));
    EXPECT_EQ(out[size], 'z');
    return out.data();
}

TEST(FormatRemovalBatchTest, FiveLinesForTheInstalledUninstaller) {
    EXPECT_EQ(Batch("C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe"),
              ":Repeat\r\n"
              "del \"C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe\"\r\n"
              "if exist \"C:\\Program Files\\Quibrel\\Bravik\\UnInstal.exe\" goto Repeat\r\n"
              "rmdir \"C:\\Program Files\\Quibrel\\Bravik\"\r\n"
              "del \"\\BvDelIns.bat\"\r\n");
}

TEST(FormatRemovalBatchTest, FolderIsCutAtTheLastRealSeparator) {
    // "ソ" ends in the byte 0x5C: a byte search would cut inside the name.
    std::string text = Batch("C:\\App\\ソ.exe");
    EXPECT_NE(text.find("rmdir \"C:\\App\"\r\n"), std::string::npos) << text;
    text = Batch("C:\\表示\\UnInstal.exe");
    EXPECT_NE(text.find("rmdir \"C:\\表示\"\r\n"), std::string::npos) << text;
}

TEST(FormatRemovalBatchTest, PercentSignsAreDoubled) {
    std::string text = Batch("C:\\100%\\UnInstal.exe");
    EXPECT_NE(text.find("del \"C:\\100%%\\UnInstal.exe\""), std::string::npos) << text;
    EXPECT_NE(text.find("rmdir \"C:\\100%%\"\r\n"), std::string::npos) << text;
}

TEST(FormatRemovalBatchTest, TooLongForTheBufferGivesNothing) {
    std::string path = "C:\\" + std::string(250, 'p') + "\\U.exe";
    EXPECT_EQ(Batch(path.c_str(), 100), "");
    EXPECT_NE(Batch(path.c_str()), "");
    std::string percent = "C:\\" + std::string(250, '%') + "\\U.exe";  // doubles past 1000 bytes
    EXPECT_EQ(Batch(percent.c_str()), "");
}

}  // namespace
