// The interpreter on real files, folders, shortcuts and registry keys, with
// the check boxes of a real dialog 205 (built from the program's resources).
#include "uninstal/interpreter.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <string.h>

#include <string>

#include "uninstal/core/script_format.h"
#include "uninstal/resource.h"
#include "wine_test_util.h"

using namespace uninstal;

namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\BvuWineTest";
const char kSettingKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\BvuWineTest";

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class InterpreterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitialize(NULL);
        dialog_ = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_UNINSTALL), NULL, QuietDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
        dir_ = scratch_.path();
    }
    void TearDown() override {
        DestroyWindow(dialog_);
        DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        DeleteKeyTree(HKEY_CLASSES_ROOT, ".bvuwinetest");
        DeleteKeyTree(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file");
        DeleteKeyTree(HKEY_CURRENT_USER, kSettingKey);
        CoUninitialize();
    }
    void Boxes(bool associations, bool shortcuts, bool addRemove) {
        CheckDlgButton(dialog_, ID_ASSOCIATIONS, associations ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog_, ID_SHORTCUTS, shortcuts ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(dialog_, ID_ADDREMOVE, addRemove ? BST_CHECKED : BST_UNCHECKED);
    }
    int Run(const std::string& records, const std::string& installDir) {
        std::string error;
        std::string block = ScriptBlock(records, installDir, 0xE0, &error);
        EXPECT_FALSE(block.empty()) << error;
        return RunUninstallScript(dialog_, block.empty() ? nullptr : block.data());
    }
    void MakeFile(const std::string& name) { ASSERT_TRUE(WriteBytes(scratch_ / name, "x")); }
    void MakeAssociation() {
        ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, ".bvuwinetest", NULL, "bvuwinetest_bvu_file"));
        ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, ".bvuwinetest", "bvuwinetest_bvu_file", ""));
        ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\DefaultIcon", NULL, "x.exe,0"));
        ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\open\\command", NULL, "x.exe %1"));
        ASSERT_TRUE(SetKeyValue(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\run\\command", NULL, "x.exe /A %1"));
    }

    ScratchFolder scratch_{"bvu_interpreter_test"};
    std::string dir_;
    HWND dialog_ = NULL;
};

const char kAssociationOpen[] =
    "association \".bvuwinetest\" \"T File\" \"%i\\\\x.exe %1\" \"%i\\\\x.exe,0\" \"open\" \"\" \"3\"\n";
const char kAssociationRun[] =
    "association \".bvuwinetest\" \"T File\" \"%i\\\\x.exe /A %1\" \"%i\\\\x.exe,0\" \"run\" \"\" \"1\"\n";

TEST_F(InterpreterTest, NoScriptOrNoInstallDirectoryFails) {
    MakeFile("a.txt");
    EXPECT_EQ(RunUninstallScript(dialog_, nullptr), 0);
    EXPECT_EQ(Run("file \"%i\\\\a.txt\"\n", ""), 0);
    EXPECT_TRUE(Exists(scratch_ / "a.txt"));
}

TEST_F(InterpreterTest, FilesAndFoldersGoWhateverTheBoxes) {
    Boxes(false, false, false);
    MakeFile("a.txt");
    CreateDirectoryA((scratch_ / "sub").c_str(), NULL);
    MakeFile("sub\\b.txt");
    CreateDirectoryA((scratch_ / "kept").c_str(), NULL);
    MakeFile("kept\\unlisted.txt");
    ASSERT_TRUE(SetKeyValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "T"));
    EXPECT_EQ(Run("file \"%i\\\\a.txt\"\nfile \"%i\\\\sub\\\\b.txt\"\ndirectory \"%i\\\\sub\"\n"
                  "directory \"%i\\\\kept\"\nuninstall-entry \"x\" \"y\"\n",
                  dir_),
              1);
    EXPECT_FALSE(Exists(scratch_ / "a.txt"));
    EXPECT_FALSE(Exists(scratch_ / "sub"));
    EXPECT_TRUE(Exists(scratch_ / "kept\\unlisted.txt"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(InterpreterTest, HelpFileTakesItsIndexAlong) {
    Boxes(false, false, false);
    for (const char* name : {"a.HLP", "a.gid", "b.hlp.bak", "b.gid", "c.Hlp", "c.GID"}) MakeFile(name);
    EXPECT_EQ(Run("file \"%i\\\\a.HLP\"\nfile \"%i\\\\b.hlp.bak\"\nfile \"%i\\\\c.Hlp\"\n", dir_), 1);
    EXPECT_FALSE(Exists(scratch_ / "a.gid"));
    EXPECT_FALSE(Exists(scratch_ / "b.hlp.bak"));
    EXPECT_TRUE(Exists(scratch_ / "b.gid"));
    EXPECT_FALSE(Exists(scratch_ / "c.GID"));
}

TEST_F(InterpreterTest, AddRemoveEntryIsNamedByTheProductKey) {
    ASSERT_TRUE(SetKeyValue(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "T"));
    Boxes(false, false, true);
    EXPECT_EQ(Run("uninstall-entry \"Some other name\" \"%i\\\\UnInstal.exe\"\n", dir_), 1);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
}

TEST_F(InterpreterTest, AssociationWithTwoVerbsGoesBottomUp) {
    MakeAssociation();
    Boxes(true, false, false);
    EXPECT_EQ(Run(kAssociationOpen, dir_), 1);
    // The class key still has the other verb under "Shell", so it stays.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".bvuwinetest"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\DefaultIcon"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\open"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\run\\command"));
    EXPECT_EQ(Run(kAssociationRun, dir_), 1);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file"));
}

TEST_F(InterpreterTest, AssociationStaysWithoutItsBox) {
    MakeAssociation();
    Boxes(false, true, true);
    EXPECT_EQ(Run(std::string(kAssociationOpen) + kAssociationRun, dir_), 1);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".bvuwinetest"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\open\\command"));
}

TEST_F(InterpreterTest, EmptyVerbLeavesTheOtherVerbsAlone) {
    MakeAssociation();
    Boxes(true, false, false);
    EXPECT_EQ(Run("association \".bvuwinetest\" \"\" \"\" \"\" \"\" \"\" \"\"\n", dir_), 1);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\open\\command"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "bvuwinetest_bvu_file\\Shell\\run\\command"));
}

TEST_F(InterpreterTest, ShortcutInAMenuFolderGoesBeforeTheFolder) {
    char programs[MAX_PATH];
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ASSERT_NE(programs[0], '\0');
    std::string folder = std::string(programs) + "\\BvuWineTest Soft";
    CreateDirectoryA(folder.c_str(), NULL);
    ASSERT_TRUE(WriteBytes(folder + "\\Tool.lnk", "lnk"));
    ASSERT_TRUE(WriteBytes(folder + "\\Empty target.lnk", "lnk"));
    Boxes(false, true, false);
    EXPECT_EQ(Run("menu-folder 0x41 \"BvuWineTest Soft\"\n"
                  "shortcut 0x20 0 \"Tool\" \"%i\\\\x.exe\" \"\" \"\" \"\"\n"
                  "shortcut 0x20 0 \"Empty target\" \"\" \"\" \"\" \"\"\n",
                  dir_),
              1);
    EXPECT_FALSE(Exists(folder + "\\Tool.lnk"));
    // The shortcut without a target stays, and so does the folder holding it.
    EXPECT_TRUE(Exists(folder + "\\Empty target.lnk"));
    DeleteFileA((folder + "\\Empty target.lnk").c_str());
    EXPECT_EQ(Run("menu-folder 0x41 \"BvuWineTest Soft\"\n", dir_), 1);
    EXPECT_FALSE(Exists(folder));
}

TEST_F(InterpreterTest, UnknownRecordTypeFailsAfterTheRecordsBeforeIt) {
    MakeFile("before.txt");
    MakeFile("after.txt");
    std::string block = ScriptBlock("file \"%i\\\\before.txt\"\n", dir_);
    // Turn the end record into type 9, followed by a file record and the end.
    block.pop_back();
    block += std::string("\x09\x07", 2) + dir_ + "\\after.txt" + std::string(1, '\0') + std::string(1, '\0');
    uint32_t length = (uint32_t)(block.size() - kHeaderSize);
    memcpy(&block[12], &length, 4);
    EXPECT_EQ(RunUninstallScript(dialog_, block.data()), 0);
    EXPECT_FALSE(Exists(scratch_ / "before.txt"));
    EXPECT_TRUE(Exists(scratch_ / "after.txt"));
}

TEST_F(InterpreterTest, CutPathIsNeverDeleted) {
    // A file whose name is exactly what a cut expansion would give.
    std::string longDir = dir_ + "\\" + std::string(240 - dir_.size(), 'd');
    ASSERT_TRUE(CreateDirectoryA(longDir.c_str(), NULL)) << longDir;
    std::string name = "abcdefghijklmnopqrstuvwxyz.txt";
    std::string cut = (longDir + "\\" + name).substr(0, kPathSize - 1);
    ASSERT_LT(cut.size(), (longDir + "\\" + name).size());
    ASSERT_TRUE(WriteBytes(cut, "x")) << cut;
    Boxes(false, false, false);
    EXPECT_EQ(Run("file \"%i\\\\" + name + "\"\n", longDir), 1);
    EXPECT_TRUE(Exists(cut));
    DeleteFileA(cut.c_str());
    RemoveDirectoryA(longDir.c_str());
}

TEST(ExpandPathTest, RealDirectories) {
    char expected[MAX_PATH], out[kPathSize];
    GetCurrentDirectoryA(sizeof expected, expected);
    EXPECT_EQ(ExpandPath(out, "%c\\x", "C:\\App"), 1);
    EXPECT_EQ(std::string(out), std::string(expected) + (expected[strlen(expected) - 1] == '\\' ? "x" : "\\x"));
    GetWindowsDirectoryA(expected, sizeof expected);
    ExpandPath(out, "%w", "C:\\App");
    EXPECT_STREQ(out, expected);
    GetSystemDirectoryA(expected, sizeof expected);
    ExpandPath(out, "%s\\y.dll", "C:\\App");
    EXPECT_EQ(std::string(out), std::string(expected) + "\\y.dll");
    ExpandPath(out, "%p\\Quibrel\\Bravik", "");
    EXPECT_STREQ(out, "C:\\Program Files\\Quibrel\\Bravik");
}

TEST(ReadWindowsSettingTest, ValuesKeysAndLengths) {
    char out[kPathSize];
    ReadWindowsSetting(out, HKEY_LOCAL_MACHINE, NULL, "ProgramFilesDir");
    EXPECT_STREQ(out, "C:\\Program Files");
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, kSettingKey, "Short", "value"));
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, kSettingKey, "Fits", std::string(259, 'f')));
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, kSettingKey, "Long", std::string(300, 'l')));
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, kSettingKey, &key), ERROR_SUCCESS);
    // Stored without its NUL, as some writers do.
    RegSetValueExA(key, "Bare", 0, REG_SZ, (const BYTE*)"bare", 4);
    RegSetValueExA(key, "Full", 0, REG_SZ, (const BYTE*)std::string(260, 'b').data(), 260);
    RegCloseKey(key);
    struct Case {
        const char* value;
        std::string expected;
    } cases[] = {{"Short", "value"}, {"Fits", std::string(259, 'f')}, {"Long", ""}, {"Bare", "bare"},
                 {"Full", ""},       {"Missing", ""}};
    for (const Case& c : cases) {
        memset(out, 'z', sizeof out);
        ReadWindowsSetting(out, HKEY_CURRENT_USER, "BvuWineTest", c.value);
        EXPECT_EQ(std::string(out), c.expected) << c.value;
    }
    ReadWindowsSetting(out, HKEY_CURRENT_USER, "NoSuchKeyHere", "Short");
    EXPECT_STREQ(out, "");
    DeleteKeyTree(HKEY_CURRENT_USER, kSettingKey);
}

TEST(ResolveMenuFolderTest, Locations) {
    CoInitialize(NULL);
    char startup[MAX_PATH], desktop[MAX_PATH], sendTo[MAX_PATH], programs[kPathSize], startMenu[kPathSize];
    SHGetSpecialFolderPathA(NULL, startup, CSIDL_STARTUP, FALSE);
    SHGetSpecialFolderPathA(NULL, desktop, CSIDL_DESKTOPDIRECTORY, FALSE);
    SHGetSpecialFolderPathA(NULL, sendTo, CSIDL_SENDTO, FALSE);
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ReadWindowsSetting(startMenu, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
    struct Case {
        unsigned char flags;
        const char* expected;
    } cases[] = {{0x02, startup}, {0xC2, startup}, {0x03, desktop}, {0xC3, desktop}, {0x04, sendTo},
                 {0x41, programs}, {0x01, startMenu}, {0x00, startMenu}, {0x20, "unchanged"}, {0xE1, "unchanged"}};
    for (const Case& c : cases) {
        char folder[kPathSize] = "unchanged";
        EXPECT_NE(ResolveMenuFolder(NULL, c.flags, folder), 0) << std::hex << (int)c.flags;
        EXPECT_STREQ(folder, c.expected) << std::hex << (int)c.flags;
    }
    EXPECT_NE(programs[0], '\0');
    CoUninitialize();
}

TEST(ResolveMenuFolderTest, MissingProgramsValueGivesAnEmptyFolder) {
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    char saved[kPathSize];
    ReadWindowsSetting(saved, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ASSERT_NE(saved[0], '\0');
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, shellFolders, &key), ERROR_SUCCESS);
    RegDeleteValueA(key, "Programs");
    char folder[kPathSize] = "unchanged";
    int result = ResolveMenuFolder(NULL, 0x41, folder);
    RegSetValueExA(key, "Programs", 0, REG_SZ, (const BYTE*)saved, (DWORD)strlen(saved) + 1);
    RegCloseKey(key);
    EXPECT_NE(result, 0);
    EXPECT_STREQ(folder, "");
}

}  // namespace
