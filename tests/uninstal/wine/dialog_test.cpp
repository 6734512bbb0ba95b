// The script reader on the image as built, dialog 205 filled from a script, and
// the version names release_archives.sh leaves out. The dialog's texts and the
// boxes' effects are checked end to end by tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/uninstall_dialog.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>
#include <vector>

#include "tests/uninstal/test_scripts.h"
#include "uninstal/ui/script_reader.h"

namespace {

TEST(ScriptReaderTest, OnlyWholeSoundScriptsBelow120000BytesAreTaken) {
    std::ifstream file(UnInstalPath().c_str(), std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(image.size(), (size_t)SCRIPT_OFFSET) << "UnInstal.exe beside the tests, padded to 0xC000";
    ScratchFolder scratch("bvu_reader_test");
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App"), exe = scratch / "UnInstal.exe";
    std::string openDir = block, longest = block, tooLong = block;
    openDir.replace(16, 260, std::string(260, 'D'));
    longest.resize(SCRIPT_HEADER_SIZE + 119999, '\0');
    tooLong.resize(SCRIPT_HEADER_SIZE + 120000, '\0');
    std::vector<std::pair<std::string, int>> cases = {{block, 1}, {openDir, 0}, {longest, 1}, {tooLong, 0}};
    for (size_t i = 1; i < cases.size(); ++i) FitDataLength(&cases[i].first);
    for (size_t k = 0; k < block.size(); k += (k < SCRIPT_HEADER_SIZE ? 69 : 3))  // cut: shorter than dataLength
        cases.push_back({block.substr(0, k), 0});
    UninstallScript script;
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteBytes(exe, image + c.first));
        EXPECT_EQ(ReadScriptFile(exe.c_str(), &script), c.second) << c.first.size() << " bytes";
        EXPECT_EQ(script.block ? std::string(script.block, c.first.size()) : "", c.second ? c.first : "");
        EXPECT_EQ(script.data, script.block ? script.block + SCRIPT_HEADER_SIZE : nullptr);
        FreeUninstallScript(&script);
    }
    EXPECT_EQ(ReadScriptFile((scratch / "missing.exe").c_str(), &script), 0);
}

TEST(DialogTest, FlagsTickAndDisableTheBoxesAndTheTitleIsCutBetweenCharacters) {
    const struct { unsigned flags; const char *ticked, *enabled; } cases[] = {  // per box 304, 305, 308
        {0x100E0, "111", "111"}, {0x22, "100", "011"}, {0x44, "010", "101"}, {0x88, "001", "110"}};
    const int ids[] = {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE};
    char caption[TITLE_SIZE + 8];
    for (const auto& c : cases) {
        HWND dialog = NewUninstallDialog();
        FillUninstallDialog(dialog, ScriptBlock("", "C:\\App", c.flags).data(), caption);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, ids[i]) == BST_CHECKED, c.ticked[i] == '1') << c.flags << " " << i;
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, ids[i])) != FALSE, c.enabled[i] == '1') << c.flags << " " << i;
        }
        DestroyWindow(dialog);
    }
    const std::string kanji = Repeat("表", 100);
    for (const auto& title : {std::string(79, 'T'), kanji}) {
        std::string bytes = ScriptBlock("", "C:\\App");
        bytes.replace(SCRIPT_HEADER_SIZE + strlen("BvuWineTest") + 1, 4, title);  // the title "Test"
        FitDataLength(&bytes);
        memset(caption, 'z', sizeof caption);
        HWND dialog = NewUninstallDialog();
        FillUninstallDialog(dialog, bytes.data(), caption);
        EXPECT_EQ(std::string(caption), title == kanji ? kanji.substr(0, 78) : title);
        EXPECT_EQ(caption[TITLE_SIZE], 'z');
        DestroyWindow(dialog);
    }
}

TEST(UnInstalImageTest, CompanyAndCopyright) {
    DWORD handle = 0, size = GetFileVersionInfoSizeA(UnInstalPath().c_str(), &handle);
    std::string info(size, '\0');
    ASSERT_TRUE(size && GetFileVersionInfoA(UnInstalPath().c_str(), 0, size, &info[0]));
    const char* fields[][2] = {{"CompanyName", "Quibrel Software"}, {"LegalCopyright", "Copyright (C) 1997-2026 by Quibrel Software"}};
    for (const auto& f : fields) {
        char* value = nullptr;
        UINT length = 0;
        EXPECT_TRUE(VerQueryValueA(&info[0], (std::string("\\StringFileInfo\\041103a4\\") + f[0]).c_str(), (void**)&value, &length));
        EXPECT_STREQ(value ? value : "", f[1]);
    }
}

}  // namespace
