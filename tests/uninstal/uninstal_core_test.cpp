// UnInstal's portable core. The script's check is tested through the reader's Wine test; menu locations,
// plain joins of paths and the help index by tests/e2e/uninstal.sh.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "uninstal/core/deferred_list.h"
#include "uninstal/core/path_text.h"
#include "uninstal/core/self_removal.h"

namespace {

// %c, %p, %s and %w reach the platform through the callback; their letters are checked by the Wine tests.
TEST(ExpandPathTextTest, MacrosSeparatorsAndCuts) {
    std::string dir = "C:\\" + std::string(250, 'd'), kanji = "C:\\" + std::string(254, 'd'), full = dir + "dd";
    std::string cut = (dir + "\\0123456789").substr(0, UNINSTAL_PATH_SIZE - 1) + " [cut]";
    const struct { const char *text, *installDir; std::string expected; } cases[] = {
        {"%i\\x", "C:\\App", "C:\\App\\x"}, {"%ix", "C:\\App", "C:\\App\\x"}, {"%ix", "C:\\", "C:\\x"}, {"%i\\x", "C:\\", "C:\\\\x"},
        {"%c\\a", "", "C:\\cur\\a"}, {"%w", "", " [cut]"}, {"%ix", "", "x"}, {"%qx", "C:\\App", "x"}, {"%表x", "C:\\App", "x"},
        {"C:\\plain\\%i", "C:\\App", "C:\\plain\\%i"}, {"%", "C:\\App", ""}, {nullptr, "C:\\App", ""}, {"%i\\x", nullptr, ""},
        {"%ix", "C:\\表", "C:\\表\\x"}, {"%ix", "C:\\表\\", "C:\\表\\x"},  // the last byte of "表" is 0x5C
        {"%i\\0123456789", dir.c_str(), cut}, {"%i表表表", kanji.c_str(), kanji + "\\ [cut]"},  // never a lone lead byte
        {"%i\\abc", full.c_str(), full + "\\abc"},  // exactly 259 bytes
    };
    for (const auto& c : cases) {
        char out[UNINSTAL_PATH_SIZE];
        int whole = ExpandPathText(out, c.text, c.installDir, [](char letter, char* dir) { return letter == 'c' ? strcpy(dir, "C:\\cur"), 1 : 0; });
        EXPECT_EQ(std::string(out) + (whole ? "" : " [cut]"), c.expected) << c.text;
    }
}

int removedCount;

std::string Batch(const std::string& exePath, size_t size = REMOVAL_BATCH_SIZE) {
    std::vector<char> out(size + 1, 'z');
    size_t length = FormatRemovalBatch(out.data(), size, exePath.c_str(), RemovalBatchName);
    EXPECT_TRUE(length == strlen(out.data()) && out[size] == 'z') << exePath;
    return out.data();
}

TEST(SelfRemovalTest, DeferredListAndBatch) {
    DeferredList list = {};
    for (int i = 0; i <= DEFERRED_MAX; ++i) EXPECT_EQ(AddDeferred(&list, i % 2, "x"), i < DEFERRED_MAX) << i;
    RunDeferred(&list, [](int, const char*) { ++removedCount; });
    EXPECT_TRUE(removedCount == DEFERRED_MAX && list.count == 0);
    EXPECT_NE(Batch("C:\\P\\UnInstal.exe").find("set /a n+=1\r\nif %n% geq 60 goto Gone\r\n"), std::string::npos);  // what the sandbox cannot see
    EXPECT_NE(Batch("C:\\App\\ソ.exe").find("rmdir \"C:\\App\"\r\n"), std::string::npos);  // "ソ" ends in 0x5C
    const std::string percent = Batch("C:\\100%\\UnInstal.exe");  // cmd would expand a single '%'
    EXPECT_TRUE(percent.find("del /f \"C:\\100%%\\UnInstal.exe\"\r\nif not exist \"C:\\100%%\\") != std::string::npos &&
                percent.find("rmdir \"C:\\100%%\"\r\n") != std::string::npos) << percent;
    std::string path = "C:\\" + std::string(250, 'p') + "\\U.exe";
    EXPECT_TRUE(Batch(path, 100).empty() && !Batch(path).empty());
    EXPECT_EQ(Batch("C:\\" + std::string(250, '%') + "\\U.exe"), "");  // doubles past 1000 bytes
}

}  // namespace
