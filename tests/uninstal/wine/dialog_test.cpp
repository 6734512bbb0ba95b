// The script reader on the image as built, and dialog 205 filled from a script. Its texts and the
// boxes' effects are checked by tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/uninstall_dialog.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "tests/uninstal/test_scripts.h"
#include "uninstal/ui/script_reader.h"

TEST(ScriptReaderTest, OnlyWholeSoundScriptsBelow120000BytesAreTaken) {
    std::ifstream file(UnInstalPath().c_str(), std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(image.size(), (size_t)SCRIPT_OFFSET) << "UnInstal.exe beside the tests, padded to 0xC000";
    ScratchFolder scratch("bvu_reader_test");
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App"), exe = scratch / "UnInstal.exe";
    std::vector<std::string> taken = {block, block}, refused = {block, block};
    refused[0].replace(16, 260, std::string(260, 'D'));  // installDir without its NUL
    taken[1].resize(SCRIPT_HEADER_SIZE + 119999, '\0');
    refused[1].resize(SCRIPT_HEADER_SIZE + 120000, '\0');
    for (std::string* b : {&taken[1], &refused[0], &refused[1]}) FitDataLength(b);
    for (size_t k = 0; k < block.size(); k += (k < SCRIPT_HEADER_SIZE ? 69 : 3)) refused.push_back(block.substr(0, k));
    UninstallScript script;
    for (const auto* list : {&taken, &refused})
        for (const std::string& bytes : *list) {
            ASSERT_TRUE(WriteBytes(exe, image + bytes));
            EXPECT_EQ(ReadScriptFile(exe.c_str(), &script), list == &taken ? 1 : 0) << bytes.size() << " bytes";
            EXPECT_EQ(script.block ? std::string(script.block, bytes.size()) : "", list == &taken ? bytes : "");
            EXPECT_EQ(script.data, script.block ? script.block + SCRIPT_HEADER_SIZE : nullptr);
            FreeUninstallScript(&script);
        }
    EXPECT_EQ(ReadScriptFile((scratch / "missing.exe").c_str(), &script), 0);
}

TEST(DialogTest, FlagsTickAndDisableTheBoxesAndTheTitleIsCutBetweenCharacters) {
    const struct { unsigned flags; const char* boxes; } cases[] = {  // per box 304, 305, 308: ticked, then enabled
        {0x100E0, "111111"}, {0x22, "100011"}, {0x44, "010101"}, {0x88, "001110"}};
    const std::string kanji = Repeat("表", 100);
    const int ids[] = {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE};
    char caption[TITLE_SIZE + 8];
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
