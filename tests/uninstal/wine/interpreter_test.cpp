// The interpreter on real files, shortcuts and registry keys, with the check
// boxes of a real dialog 205. What a whole sandbox installation loses under
// each box alone is checked end to end by tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/interpreter.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>

#include "wine_test_util.h"

namespace {

const char SettingKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\BvuWineTest";
const char TestClass[] = "bvuwinetest_bvu_file";

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(nullptr);
        dialog_ = NewUninstallDialog();
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override {
        DestroyWindow(dialog_);
        for (const char* key : {".bvuwinetest", TestClass}) SHDeleteKeyA(HKEY_CLASSES_ROOT, key);
        CoUninitialize();
    }
    /// Runs records with only the box given ticked (0: none).
    int Run(const std::string& records, int box, const std::string& installDir) {
        for (int id : {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE}) CheckDlgButton(dialog_, id, id == box);
        std::string error, block = ScriptBlock(records, installDir, 0xE0, &error);
        EXPECT_FALSE(block.empty()) << error;
        return RunUninstallScript(dialog_, block.data());
    }
    ScratchFolder scratch_{"bvu_interpreter_test"};
    HWND dialog_ = nullptr;
};

// The platform refuses to delete a key with sub-keys: the class key stays
// while another verb is left under it, and no record takes a verb it does not name.
TEST_F(InterpreterTest, AssociationKeysGoBottomUpVerbByVerb) {
    std::string cls = TestClass;
    ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, ".bvuwinetest", nullptr, cls));
    ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, ".bvuwinetest", TestClass, ""));
    ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, cls + "\\DefaultIcon", nullptr, "x.exe,0"));
    ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, cls + "\\Shell\\open\\command", nullptr, "x.exe %1"));
    ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, cls + "\\Shell\\run\\command", nullptr, "x.exe /A %1"));
    const char* association = "association \".bvuwinetest\" \"T File\" \"%i\\\\x.exe %1\" \"%i\\\\x.exe,0\" ";
    EXPECT_EQ(Run(std::string(association) + "\"\" \"\" \"3\"\n", IDC_ASSOCIATIONS, scratch_.path), 1);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Shell\\open\\command"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Shell\\run\\command"));
    EXPECT_EQ(Run(std::string(association) + "\"open\" \"\" \"3\"\n", IDC_ASSOCIATIONS, scratch_.path), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".bvuwinetest"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\DefaultIcon"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Shell\\open"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, cls + "\\Shell\\run\\command"));
    EXPECT_EQ(Run(std::string(association) + "\"run\" \"\" \"1\"\n", IDC_ASSOCIATIONS, scratch_.path), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, cls));
}

TEST_F(InterpreterTest, ShortcutWithoutATargetStaysAndSoDoesItsFolder) {
    char programs[MAX_PATH];
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ASSERT_NE(programs[0], '\0');
    ScratchFolder folder("BvuWineTest Soft", programs);
    ASSERT_TRUE(WriteBytes(folder / "Tool.lnk", "lnk") && WriteBytes(folder / "Empty target.lnk", "lnk"));
    EXPECT_EQ(Run("menu-folder 0x41 \"BvuWineTest Soft\"\nshortcut 0x20 0 \"Tool\" \"%i\\\\x.exe\" \"\" \"\" \"\"\n"
                  "shortcut 0x20 0 \"Empty target\" \"\" \"\" \"\" \"\"\n",
                  IDC_SHORTCUTS, scratch_.path),
              1);
    EXPECT_FALSE(Exists(folder / "Tool.lnk"));
    EXPECT_TRUE(Exists(folder / "Empty target.lnk"));
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
    std::string longDir = scratch_ / std::string(240 - scratch_.path.size(), 'd');
    std::string name = "abcdefghijklmnopqrstuvwxyz.txt";
    std::string cut = (longDir + "\\" + name).substr(0, UNINSTAL_PATH_SIZE - 1);
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), nullptr)) << longDir;
    ASSERT_LT(cut.size(), (longDir + "\\" + name).size());
    ASSERT_TRUE(WriteBytes(cut, "x")) << cut;
    EXPECT_EQ(Run("file \"%i\\\\" + name + "\"\n", 0, longDir), 1);
    EXPECT_TRUE(Exists(cut));
}

TEST(ExpandPathTest, RealDirectories) {
    char current[MAX_PATH], windows[MAX_PATH], system[MAX_PATH], out[UNINSTAL_PATH_SIZE];
    GetCurrentDirectoryA(sizeof current, current);
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    const std::string currentX = current + std::string(current[strlen(current) - 1] == '\\' ? "x" : "\\x");
    const struct { const char* text; std::string expected; } cases[] = {
        {"%c\\x", currentX}, {"%w", windows}, {"%s\\y.dll", system + std::string("\\y.dll")},
        {"%p\\Quibrel\\Bravik", "C:\\Program Files\\Quibrel\\Bravik"}};
    for (const auto& c : cases) {
        EXPECT_EQ(ExpandPath(out, c.text, "C:\\App"), 1) << c.text;
        EXPECT_EQ(std::string(out), c.expected) << c.text;
    }
}

TEST(ReadWindowsSettingTest, ValuesKeysAndLengths) {
    char out[UNINSTAL_PATH_SIZE];
    ReadWindowsSetting(out, HKEY_LOCAL_MACHINE, nullptr, "ProgramFilesDir");
    EXPECT_STREQ(out, "C:\\Program Files");
    const std::string fits(259, 'f'), none;
    const struct { const char *key, *name; std::string stored; bool nul; std::string expected; } cases[] = {
        {"BvuWineTest", "Short", "value", true, "value"}, {"BvuWineTest", "Fits", fits, true, fits},
        {"BvuWineTest", "Long", std::string(300, 'l'), true, none},
        {"BvuWineTest", "Full", std::string(260, 'b'), false, none},
        {"BvuWineTest", "Bare", "bare", false, "bare"},  // stored without its NUL, as some writers do
        {"BvuWineTest", "Missing", none, false, none}, {"NoSuchKeyHere", "Short", none, false, none}};
    for (const auto& c : cases) {
        if (c.stored.empty()) continue;
        SHSetValueA(HKEY_CURRENT_USER, SettingKey, c.name, REG_SZ, c.stored.c_str(), c.stored.size() + c.nul);
    }
    for (const auto& c : cases) {
        memset(out, 'z', sizeof out);
        ReadWindowsSetting(out, HKEY_CURRENT_USER, c.key, c.name);
        EXPECT_EQ(std::string(out), c.expected) << c.key << " " << c.name;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, SettingKey);
}

// The desktop, SendTo, Programs and current folders are checked end to end by
// tests/e2e/uninstal_sandbox.sh.
TEST(ResolveMenuFolderTest, StartupStartMenuAndAMissingProgramsValue) {
    char startup[MAX_PATH], programs[UNINSTAL_PATH_SIZE], startMenu[UNINSTAL_PATH_SIZE], folder[UNINSTAL_PATH_SIZE];
    SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, FALSE);
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ReadWindowsSetting(startMenu, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
    ASSERT_NE(programs[0], '\0');
    EXPECT_NE(ResolveMenuFolder(nullptr, 0x02, folder), 0);
    EXPECT_STREQ(folder, startup);
    EXPECT_NE(ResolveMenuFolder(nullptr, 0x01, folder), 0);
    EXPECT_STREQ(folder, startMenu);
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    SHDeleteValueA(HKEY_CURRENT_USER, shellFolders, "Programs");
    strcpy(folder, "unchanged");
    int result = ResolveMenuFolder(nullptr, 0x41, folder);
    SHSetValueA(HKEY_CURRENT_USER, shellFolders, "Programs", REG_SZ, programs, (DWORD)strlen(programs) + 1);
    EXPECT_NE(result, 0);
    EXPECT_STREQ(folder, "");
}

}  // namespace
