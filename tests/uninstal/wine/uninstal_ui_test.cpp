// UnInstal's Win32 layer on real files, keys and dialog 205. What a sandbox installation loses under each box,
// the dialog's texts and the desktop, SendTo and Programs folders are checked by tests/e2e/uninstal.sh.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <vector>

#include "tests/uninstal/test_scripts.h"
#include "uninstal/ui/interpreter.h"
#include "uninstal/ui/script_reader.h"
#include "uninstal/ui/uninstall_dialog.h"

namespace {

TEST(ScriptReaderTest, OnlyWholeSoundScriptsBelow120000BytesAreTaken) {
    std::string image = ReadFileText(ProgramDirectory() + "UnInstal.exe");  // as built, beside the tests
    ASSERT_EQ(image.size(), (size_t)SCRIPT_OFFSET) << "UnInstal.exe beside the tests, padded to 0xC000";
    ScratchFolder scratch(TempDirectory() + "bvu_reader_test");
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App"), exe = scratch / "UnInstal.exe";
    const std::string top = "unchecked\ninstall-dir \"C:\\\\App\"\nproduct \"P\"\ntitle \"T\"\nmessage \"M\"\ndefault-dir \"\"\n";
    const std::string shortcuts = top + "menu-folder 0x41 \"S\"\n" + Repeat("shortcut 0x20 0 \"T\" \"x\" \"\" \"\" \"\"\n", 299);
    std::vector<std::string> taken = {block, block, BuildScript(top + "bytes 09 41 42\n"), BuildScript(shortcuts + "file \"x\"\nend\n")};
    std::vector<std::string> refused = {block, block, BuildScript(top + "file \"a\"\n"), BuildScript(top + "bytes 07 41 42\n"),
        BuildScript(top + "bytes 04 20\n"), BuildScript("unchecked\nproduct \"P\"\nbytes 41 42"),
        BuildScript("unchecked\nproduct \"P\"\ntitle \"T\"\nmessage \"M\"\n"), BuildScript(shortcuts + "menu-folder 0x41 \"S\"\nend\n")};
    refused[0].replace(16, 260, std::string(260, 'D'));  // installDir without its NUL
    taken[1].resize(SCRIPT_HEADER_SIZE + 119999, '\0');
    refused[1].resize(SCRIPT_HEADER_SIZE + 120000, '\0');
    for (std::string* b : {&taken[1], &refused[0], &refused[1]}) FitDataLength(b);
    for (size_t k = 69; k < block.size(); k += (k < SCRIPT_HEADER_SIZE ? 69 : 3)) refused.push_back(block.substr(0, k));  // shorter than dataLength
    UninstallScript script;
    for (const auto* list : {&taken, &refused})
        for (const std::string& bytes : *list) {
            ASSERT_TRUE(!bytes.empty() && WriteFileText(exe, image + bytes));
            EXPECT_EQ(ReadScriptFile(exe.c_str(), &script), list == &taken ? 1 : 0) << bytes.size() << " bytes";
            EXPECT_EQ(script.block ? std::string(script.block, bytes.size()) : "", list == &taken ? bytes : "");
            EXPECT_EQ(script.data, script.block ? script.block + SCRIPT_HEADER_SIZE : nullptr);
            FreeUninstallScript(&script);
        }
    EXPECT_EQ(ReadScriptFile((scratch / "missing.exe").c_str(), &script), 0);
}

TEST(DialogTest, FlagsTickAndDisableTheBoxes) {
    const struct { unsigned flags; const char* boxes; } cases[] = {  // per box 304, 305, 308: ticked, then enabled
        {0x100E0, "111111"}, {0x22, "100011"}, {0x44, "010101"}, {0x88, "001110"}};
    const int ids[] = {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE};
    char caption[TITLE_SIZE];
    for (const auto& c : cases) {
        HWND dialog = NewUninstallDialog();
        FillUninstallDialog(dialog, ScriptBlock("", "C:\\App", c.flags).data(), caption);
        std::string boxes;
        for (int i = 0; i < 6; ++i) {
            HWND box = GetDlgItem(dialog, ids[i % 3]);
            boxes += (i < 3 ? SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED : IsWindowEnabled(box) != FALSE) ? '1' : '0';
        }
        EXPECT_EQ(c.boxes, boxes) << c.flags;
        DestroyWindow(dialog);
    }
}

// A class key stays while another verb is under it; a shortcut without a target stays; an unknown record type
// fails after the records before it; a path cut to 259 bytes is never deleted.
TEST(InterpreterTest, RecordsOnRealKeysAndFiles) {
    ScratchFolder scratch(TempDirectory() + "bvu_interpreter_test");
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
        ASSERT_TRUE(WriteFileText(file, "x")) << file;
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
    for (const char* text : {"%c", "%w", "%s", "%p\\Quibrel"}) strcat(strcat(joined, "|"), ExpandPath(out, text, "C:\\App") ? out : "<cut>");
    EXPECT_EQ(std::string(joined), "|" + std::string(current, GetCurrentDirectoryA(MAX_PATH, current)) + "|" + std::string(windows, GetWindowsDirectoryA(windows, MAX_PATH)) +
                                       "|" + std::string(system, GetSystemDirectoryA(system, MAX_PATH)) + "|C:\\Program Files\\Quibrel");
    const char key[] = "Software\\Microsoft\\Windows\\CurrentVersion\\BvuWineTest";
    const struct { const char* name; std::string stored; bool nul; std::string expected; } cases[] = {
        {"Fits", std::string(259, 'f'), true, std::string(259, 'f')}, {"Long", std::string(300, 'l'), true, ""},
        {"Full", std::string(260, 'b'), false, ""}, {"Bare", "bare", false, "bare"}, {"Missing", "", false, ""}};  // stored without NUL
    for (const auto& c : cases) {
        if (!c.stored.empty()) SHSetValueA(HKEY_CURRENT_USER, key, c.name, REG_SZ, c.stored.c_str(), c.stored.size() + c.nul);
        memset(out, 'z', sizeof out);
        ReadWindowsSetting(out, HKEY_CURRENT_USER, "BvuWineTest", c.name);
        EXPECT_EQ(std::string(out), c.expected) << c.name;
    }
    SHDeleteKeyA(HKEY_CURRENT_USER, key);
    char startup[MAX_PATH], programs[UNINSTAL_PATH_SIZE];
    SHGetSpecialFolderPathA(nullptr, startup, CSIDL_STARTUP, FALSE);
    EXPECT_TRUE(ResolveMenuFolder(nullptr, 0x02, out) && !strcmp(out, startup)) << out;
    ReadWindowsSetting(programs, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
    const char* shellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    ASSERT_EQ(SHDeleteValueA(HKEY_CURRENT_USER, shellFolders, "Programs"), ERROR_SUCCESS);
    int resolved = ResolveMenuFolder(nullptr, 0x41, out);
    SHSetValueA(HKEY_CURRENT_USER, shellFolders, "Programs", REG_SZ, programs, (DWORD)strlen(programs) + 1);
    EXPECT_TRUE(resolved && !strcmp(out, "")) << "a missing Programs value: " << out;
}

}  // namespace
