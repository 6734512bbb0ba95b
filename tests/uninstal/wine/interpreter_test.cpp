// The interpreter on real files, shortcuts and registry keys, with the boxes of
// a real dialog 205. What a sandbox installation loses under each box, the
// desktop, SendTo, Programs and browsed folders are checked end to end by
// tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/interpreter.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "tests/uninstal/test_scripts.h"

namespace {

const char TestClass[] = "bvuwinetest_bvu_file";

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override { dialog_ = NewUninstallDialog(); }
    void TearDown() override {
        DestroyWindow(dialog_);
        for (const char* key : {".bvuwinetest", TestClass}) SHDeleteKeyA(HKEY_CLASSES_ROOT, key);
    }
    /// Runs records with only the box given ticked (0: none).
    int Run(const std::string& records, int box, const std::string& installDir) {
        for (int id : {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE}) CheckDlgButton(dialog_, id, id == box);
        std::string block = ScriptBlock(records, installDir);
        EXPECT_FALSE(block.empty());
        return RunUninstallScript(dialog_, block.data());
    }
    ScratchFolder scratch_{"bvu_interpreter_test"};
    HWND dialog_ = nullptr;
};

// The platform refuses to delete a key with sub-keys: the class key stays while
// another verb is left under it, and no record takes a verb it does not name.
TEST_F(InterpreterTest, AssociationKeysGoBottomUpVerbByVerb) {
    const std::string cls = TestClass, keys[] = {".bvuwinetest", cls + "\\DefaultIcon", cls + "\\Shell\\open\\command",
                                                 cls + "\\Shell\\run\\command", cls};
    for (const std::string& key : keys) ASSERT_EQ(SHSetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, "x", 2), 0);
    const std::string association = "association \".bvuwinetest\" \"T\" \"%i\\\\x.exe %1\" \"%i\\\\x.exe,0\" ";
    const struct { const char *verb, *left; } runs[] = {{"\"\" \"\" \"3\"\n", "00111"}, {"\"open\" \"\" \"3\"\n", "00011"}, {"\"run\" \"\" \"1\"\n", "00000"}};
    for (const auto& c : runs) {
        EXPECT_EQ(Run(association + c.verb, IDC_ASSOCIATIONS, scratch_.path), 1);
        std::string left;
        for (const std::string& key : keys) left += KeyExists(HKEY_CLASSES_ROOT, key) ? '1' : '0';
        EXPECT_EQ(left, c.left) << c.verb;
    }
}

TEST_F(InterpreterTest, ShortcutWithoutATargetStays) {
    char programs[MAX_PATH];
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ScratchFolder folder("BvuWineTest Soft", programs);
    ASSERT_TRUE(WriteBytes(folder / "Tool.lnk", "lnk") && WriteBytes(folder / "Empty.lnk", "lnk"));
    EXPECT_EQ(Run("menu-folder 0x41 \"BvuWineTest Soft\"\nshortcut 0x20 0 \"Tool\" \"%i\\\\x.exe\" \"\" \"\" \"\"\n"
                  "shortcut 0x20 0 \"Empty\" \"\" \"\" \"\" \"\"\n", IDC_SHORTCUTS, scratch_.path), 1);
    EXPECT_FALSE(Exists(folder / "Tool.lnk"));
    EXPECT_TRUE(Exists(folder / "Empty.lnk"));
}

TEST_F(InterpreterTest, UnknownRecordTypeFailsAfterTheRecordsBeforeIt) {
    for (const char* name : {"before.txt", "after.txt"}) ASSERT_TRUE(WriteBytes(scratch_ / name, "x"));
    std::string block = ScriptBlock("file \"%i\\\\before.txt\"\n", scratch_.path);
    block.pop_back();  // the end record becomes type 9, followed by a file record and the end
    block += std::string("\x09\x07", 2) + scratch_.path + "\\after.txt" + std::string(2, '\0');
    FitDataLength(&block);
    EXPECT_EQ(RunUninstallScript(dialog_, block.data()), 0);
    EXPECT_FALSE(Exists(scratch_ / "before.txt"));
    EXPECT_TRUE(Exists(scratch_ / "after.txt"));
}

TEST_F(InterpreterTest, CutPathIsNeverDeleted) {
    // A file whose name is exactly what a cut expansion would give.
    std::string longDir = scratch_ / std::string(240 - scratch_.path.size(), 'd'), name = "abcdefghijklmnopqrstuvwxyz.txt";
    std::string cut = (longDir + "\\" + name).substr(0, UNINSTAL_PATH_SIZE - 1);
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), nullptr) && WriteBytes(cut, "x")) << cut;
    EXPECT_EQ(Run("file \"%i\\\\" + name + "\"\n", 0, longDir), 1);
    EXPECT_TRUE(Exists(cut));
}

TEST(ExpandPathTest, RealDirectories) {
    char current[MAX_PATH], windows[MAX_PATH], system[MAX_PATH], out[UNINSTAL_PATH_SIZE], joined[4 * UNINSTAL_PATH_SIZE] = "";
    GetCurrentDirectoryA(sizeof current, current);
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    for (const char* text : {"%c", "%w", "%s", "%p\\Quibrel"})
        strcat(strcat(joined, "|"), ExpandPath(out, text, "C:\\App") ? out : "<cut>");
    EXPECT_EQ(std::string(joined), std::string("|") + current + "|" + windows + "|" + system + "|C:\\Program Files\\Quibrel");
}

// A value may be stored without its NUL; one that fills all 260 bytes without one is too long to use.
TEST(ReadWindowsSettingTest, ValuesKeysAndLengths) {
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\BvuWineTest";
    const struct { const char* name; std::string stored; bool nul; std::string expected; } cases[] = {
        {"Fits", std::string(259, 'f'), true, std::string(259, 'f')}, {"Long", std::string(300, 'l'), true, ""},
        {"Full", std::string(260, 'b'), false, ""}, {"Bare", "bare", false, "bare"}, {"Missing", "", false, ""}};
    char out[UNINSTAL_PATH_SIZE];
    for (const auto& c : cases) {
        if (!c.stored.empty()) SHSetValueA(HKEY_CURRENT_USER, key, c.name, REG_SZ, c.stored.c_str(), c.stored.size() + c.nul);
        memset(out, 'z', sizeof out);
        ReadWindowsSetting(out, HKEY_CURRENT_USER, "BvuWineTest", c.name);
        EXPECT_EQ(std::string(out), c.expected) << c.name;
    }
    ReadWindowsSetting(out, HKEY_CURRENT_USER, "NoSuchKeyHere", "Fits");
    EXPECT_STREQ(out, "");
    SHDeleteKeyA(HKEY_CURRENT_USER, key);
}

TEST(ResolveMenuFolderTest, StartupStartMenuAndAMissingProgramsValue) {
    char startup[MAX_PATH], programs[UNINSTAL_PATH_SIZE], startMenu[UNINSTAL_PATH_SIZE], folder[UNINSTAL_PATH_SIZE];
    SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, FALSE);
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ReadWindowsSetting(startMenu, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
    EXPECT_TRUE(ResolveMenuFolder(nullptr, 0x02, folder) && !strcmp(folder, startup)) << folder;
    EXPECT_TRUE(ResolveMenuFolder(nullptr, 0x01, folder) && !strcmp(folder, startMenu)) << folder;
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    ASSERT_EQ(SHDeleteValueA(HKEY_CURRENT_USER, shellFolders, "Programs"), ERROR_SUCCESS);
    strcpy(folder, "unchanged");
    int result = ResolveMenuFolder(nullptr, 0x41, folder);
    SHSetValueA(HKEY_CURRENT_USER, shellFolders, "Programs", REG_SZ, programs, (DWORD)strlen(programs) + 1);
    EXPECT_TRUE(result && !strcmp(folder, "")) << folder;
}

}  // namespace
