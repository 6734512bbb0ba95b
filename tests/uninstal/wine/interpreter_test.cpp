// The interpreter on real files, shortcuts and registry keys, with the boxes of a real dialog 205.
// What a sandbox installation loses under each box, and the desktop, SendTo, Programs and browsed
// folders, are checked end to end by tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/interpreter.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include "tests/uninstal/test_scripts.h"

namespace {

// The platform refuses to delete a key with sub-keys: the class key stays while another verb is left under
// it, and no record takes a verb it does not name. A shortcut without a target stays; an unknown record
// type fails after the records before it; a path cut to 259 bytes is never deleted.
TEST(InterpreterTest, RecordsOnRealKeysAndFiles) {
    ScratchFolder scratch(Temp("bvu_interpreter_test"));
    HWND dialog = NewUninstallDialog();
    auto Run = [&](const std::string& records, int box, const std::string& installDir) {  // with only that box ticked
        for (int id : {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE}) CheckDlgButton(dialog, id, id == box);
        return RunUninstallScript(dialog, ScriptBlock(records, installDir).data());
    };
    const std::string cls = "bvuwinetest_bvu_file", keys[] = {".bvuwinetest", cls + "\\DefaultIcon", cls + "\\Shell\\open\\command",
                                                            cls + "\\Shell\\run\\command", cls};
    for (const std::string& key : keys) ASSERT_EQ(SHSetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, "x", 2), 0);
    const struct { const char *verb, *left; } runs[] = {{"\"\" \"\" \"3\"", "00111"}, {"\"open\" \"\" \"3\"", "00011"}, {"\"run\" \"\" \"1\"", "00000"}};
    for (const auto& c : runs) {
        EXPECT_EQ(Run("association \".bvuwinetest\" \"T\" \"%i\\\\x.exe %1\" \"%i\\\\x.exe,0\" " + std::string(c.verb) + "\n",
                      IDC_ASSOCIATIONS, scratch.path), 1);
        std::string left;
        for (const std::string& key : keys) left += SHGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, nullptr, nullptr, nullptr) ? '0' : '1';
        EXPECT_EQ(left, c.left) << c.verb;
    }
    SHDeleteKeyA(HKEY_CLASSES_ROOT, cls.c_str());
    char programs[MAX_PATH];
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    ScratchFolder folder(std::string(programs) + "\\BvuWineTest Soft");
    std::string longDir = scratch / std::string(240 - scratch.path.size(), 'd'), name = "abcdefghijklmnopqrstuvwxyz.txt";
    std::string cut = (longDir + "\\" + name).substr(0, UNINSTAL_PATH_SIZE - 1);
    CreateDirectoryA(longDir.c_str(), nullptr);
    for (const std::string& file : {folder / "Tool.lnk", folder / "Empty.lnk", scratch / "before.txt", scratch / "after.txt", cut})
        ASSERT_TRUE(WriteBytes(file, "x")) << file;
    EXPECT_EQ(Run("menu-folder 0x41 \"BvuWineTest Soft\"\nshortcut 0x20 0 \"Tool\" \"%i\\\\x.exe\" \"\" \"\" \"\"\n"
                  "shortcut 0x20 0 \"Empty\" \"\" \"\" \"\" \"\"\n", IDC_SHORTCUTS, scratch.path), 1);
    EXPECT_EQ(Run("file \"%i\\\\" + name + "\"\n", 0, longDir), 1);
    std::string block = ScriptBlock("file \"%i\\\\before.txt\"\n", scratch.path);
    block.pop_back();  // the end record becomes type 9, followed by a file record and the end
    block += std::string("\x09\x07", 2) + scratch.path + "\\after.txt" + std::string(2, '\0');
    FitDataLength(&block);
    EXPECT_EQ(RunUninstallScript(dialog, block.data()), 0);
    std::string left;
    for (const std::string& file : {folder / "Tool.lnk", folder / "Empty.lnk", scratch / "before.txt", scratch / "after.txt", cut})
        left += GetFileAttributesA(file.c_str()) != INVALID_FILE_ATTRIBUTES ? '1' : '0';
    EXPECT_EQ("01011", left);
    DestroyWindow(dialog);
}

TEST(InterpreterSettingsTest, MacroDirectoriesSettingLengthsAndMenuFolders) {
    char current[MAX_PATH], windows[MAX_PATH], system[MAX_PATH], out[UNINSTAL_PATH_SIZE], joined[1200] = "";
    GetCurrentDirectoryA(sizeof current, current);
    GetWindowsDirectoryA(windows, sizeof windows);
    GetSystemDirectoryA(system, sizeof system);
    for (const char* text : {"%c", "%w", "%s", "%p\\Quibrel"}) strcat(strcat(joined, "|"), ExpandPath(out, text, "C:\\App") ? out : "<cut>");
    EXPECT_EQ(std::string(joined), std::string("|") + current + "|" + windows + "|" + system + "|C:\\Program Files\\Quibrel");
    // A value may be stored without its NUL; one that fills all 260 bytes without one is too long to use.
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\BvuWineTest";
    const struct { const char* name; std::string stored; bool nul; std::string expected; } cases[] = {
        {"Fits", std::string(259, 'f'), true, std::string(259, 'f')}, {"Long", std::string(300, 'l'), true, ""},
        {"Full", std::string(260, 'b'), false, ""}, {"Bare", "bare", false, "bare"}, {"Missing", "", false, ""}};
    for (const auto& c : cases) {
        if (!c.stored.empty()) SHSetValueA(HKEY_CURRENT_USER, key, c.name, REG_SZ, c.stored.c_str(), c.stored.size() + c.nul);
        memset(out, 'z', sizeof out);
        ReadWindowsSetting(out, HKEY_CURRENT_USER, "BvuWineTest", c.name);
        EXPECT_EQ(std::string(out), c.expected) << c.name;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, key);
    ReadWindowsSetting(out, HKEY_CURRENT_USER, "BvuWineTest", "Fits");  // no such key
    EXPECT_STREQ(out, "");
    char startup[MAX_PATH], programs[UNINSTAL_PATH_SIZE];
    SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, FALSE);
    EXPECT_TRUE(ResolveMenuFolder(nullptr, 0x02, out) && !strcmp(out, startup)) << out;
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
    EXPECT_TRUE(ResolveMenuFolder(nullptr, 0x01, out) && !strcmp(out, programs) && out[0]) << out;
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    ASSERT_EQ(SHDeleteValueA(HKEY_CURRENT_USER, shellFolders, "Programs"), ERROR_SUCCESS);
    int resolved = ResolveMenuFolder(nullptr, 0x41, out);
    SHSetValueA(HKEY_CURRENT_USER, shellFolders, "Programs", REG_SZ, programs, (DWORD)strlen(programs) + 1);
    EXPECT_TRUE(resolved && !strcmp(out, "")) << "a missing Programs value: " << out;
}

}  // namespace
