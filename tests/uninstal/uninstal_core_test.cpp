// UnInstal's portable core: the script's check, path texts, the deferred list and the self-removal batch.
// Menu locations are checked through the Wine tests and tests/e2e/uninstal_sandbox.sh.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "uninstal/core/deferred_list.h"
#include "uninstal/core/path_text.h"
#include "uninstal/core/self_removal.h"
#include "test_scripts.h"

namespace {

const std::string Top = "flags 0xE0\ninstall-dir \"C:\\\\App\"\nproduct \"Tool\"\ntitle \"Tool\"\nmessage \"Remove Tool\"\ndefault-dir \"\"\n";

TEST(CheckScriptTest, CorruptedScripts) {
    const std::string top = "unchecked\n" + Top, strings = "product \"P\"\ntitle \"T\"\nmessage \"M\"\n";
    const std::string shortcuts = top + "menu-folder 0x41 \"S\"\n" + Repeat("shortcut 0x20 0 \"T\" \"x\" \"\" \"\" \"\"\n", 299);
    const struct { std::string description; ScriptFault fault; } cases[] = {
        {top + "file \"a\"\n", SCRIPT_NO_END_RECORD}, {top + "bytes 07 41 42\n", SCRIPT_RECORD_OPEN},
        {top + "bytes 04 20\n", SCRIPT_RECORD_OPEN},  // the fixed bytes run off
        {"unchecked\nproduct \"P\"\nbytes 41 42", SCRIPT_HEADER_STRINGS_OPEN}, {"unchecked\n" + strings, SCRIPT_HEADER_STRINGS_OPEN},
        {top + "bytes 09 41 42\n", SCRIPT_SOUND},  // an unknown type stops the walk
        {"unchecked\ninstall-dir-bytes " + Repeat("41 ", 260) + "\n" + strings + "default-dir \"\"\nend\n", SCRIPT_INSTALL_DIR_OPEN},
        {"unchecked\ndata-length 120000\n" + Top + "end\n", SCRIPT_DATA_TOO_LONG},
        {"unchecked\ndata-length 1000\n" + Top + "end\n", SCRIPT_DATA_SHORT},
        {shortcuts + "file \"x\"\nend\n", SCRIPT_SOUND}, {shortcuts + "menu-folder 0x41 \"S\"\nend\n", SCRIPT_TOO_MANY_DEFERRED},
        {std::string(SCRIPT_HEADER_SIZE - 1, '\0'), SCRIPT_HEADER_SHORT},  // taken as the block itself
    };
    for (const auto& c : cases) {
        std::string error, block = c.description[0] ? BuildScript(c.description, nullptr, &error) : c.description;
        ASSERT_FALSE(block.empty()) << error;
        EXPECT_EQ(CheckScript(block.data(), block.size()), c.fault) << c.description.substr(0, 200);
    }
}

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

// Plain joins are checked end to end by uninstal_sandbox.sh; here the cuts and the lead-byte rule.
TEST(PathTextTest, HelpIndexShortcutMenuFolderAndClassKey) {
    char out[UNINSTAL_PATH_SIZE] = "", folder[UNINSTAL_PATH_SIZE] = "C:\\P";
    EXPECT_TRUE(HelpIndexPath(out, "C:\\表示.Hlp") && !strcmp(out, "C:\\表示.gid")) << out;
    EXPECT_EQ(0, HelpIndexPath(out, "C:\\B.hlp.bak") + HelpIndexPath(out, "C:\\d.hlp\\x") + HelpIndexPath(out, "C:\\hlp"));
    EXPECT_EQ(ShortcutPath(out, std::string(251, 'f').c_str(), "name"), 0);
    EXPECT_EQ(strlen(out), UNINSTAL_PATH_SIZE - 1);
    EXPECT_EQ(ShortcutPath(out, std::string(UNINSTAL_PATH_SIZE - 1 - 9, 'f').c_str(), "name"), 1);  // + "\name.lnk"
    EXPECT_TRUE(AppendMenuFolder(folder, "") && !strcmp(folder, "C:\\P"));
    EXPECT_EQ(AppendMenuFolder(folder, std::string(UNINSTAL_PATH_SIZE, 'n').c_str()), 0);
    EXPECT_EQ(strlen(folder), UNINSTAL_PATH_SIZE - 1);
    EXPECT_TRUE(AssociationClassKey(out, sizeof out, "表ab") && !strcmp(out, "ab_bvu_file")) << out;
    EXPECT_EQ(0, AssociationClassKey(out, sizeof out, ".") + AssociationClassKey(out, sizeof out, "") + AssociationClassKey(out, 8, ".mak"));
}

int removedCount;

TEST(DeferredListTest, RefusesTheEntryPastItsSize) {
    DeferredList list = {};
    for (int i = 0; i <= DEFERRED_MAX; ++i) EXPECT_EQ(AddDeferred(&list, i % 2, "x"), i < DEFERRED_MAX) << i;
    RunDeferred(&list, [](int, const char*) { ++removedCount; });
    EXPECT_EQ(removedCount + AddDeferred(&list, 0, "again"), DEFERRED_MAX + 1);
    ReleaseDeferred(&list);
    EXPECT_EQ(list.count, 0);
}

std::string Batch(const std::string& exePath, size_t size = REMOVAL_BATCH_SIZE) {
    std::vector<char> out(size + 1, 'z');
    size_t length = FormatRemovalBatch(out.data(), size, exePath.c_str(), RemovalBatchName);
    EXPECT_EQ(length, strlen(out.data()));
    EXPECT_EQ(out[size], 'z');
    return out.data();
}

TEST(FormatRemovalBatchTest, BoundedLoopWithTheFolderCutAtTheLastRealSeparator) {
    EXPECT_EQ(Batch("C:\\Program Files\\Bravik\\UnInstal.exe"),
              "set n=0\r\n:Repeat\r\ndel /f \"C:\\Program Files\\Bravik\\UnInstal.exe\"\r\n"
              "if not exist \"C:\\Program Files\\Bravik\\UnInstal.exe\" goto Gone\r\n"
              "set /a n+=1\r\nif %n% geq 60 goto Gone\r\nping -n 2 127.0.0.1 >nul\r\ngoto Repeat\r\n"
              ":Gone\r\nrmdir \"C:\\Program Files\\Bravik\"\r\ndel \"\\BvDelIns.bat\"\r\n");
    EXPECT_NE(Batch("C:\\App\\ソ.exe").find("rmdir \"C:\\App\"\r\n"), std::string::npos);  // "ソ" ends in 0x5C
    const std::string percent = Batch("C:\\100%\\UnInstal.exe");  // cmd would expand a single '%'
    EXPECT_NE(percent.find("del /f \"C:\\100%%\\UnInstal.exe\"\r\nif not exist \"C:\\100%%\\"), std::string::npos);
    EXPECT_NE(percent.find("rmdir \"C:\\100%%\"\r\n"), std::string::npos);
    std::string path = "C:\\" + std::string(250, 'p') + "\\U.exe";
    EXPECT_EQ(Batch(path, 100), "");
    EXPECT_NE(Batch(path), "");
    EXPECT_EQ(Batch("C:\\" + std::string(250, '%') + "\\U.exe"), "");  // doubles past 1000 bytes
}

}  // namespace
