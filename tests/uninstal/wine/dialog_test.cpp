// The script reader on the image as built, and dialog 205 filled from a script. Its texts and the
// boxes' effects are checked by tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/uninstall_dialog.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "tests/uninstal/test_scripts.h"
#include "uninstal/ui/script_reader.h"

TEST(ScriptReaderTest, OnlyWholeSoundScriptsBelow120000BytesAreTaken) {
    char program[MAX_PATH];
    std::string path(program, GetModuleFileNameA(nullptr, program, sizeof program));
    std::ifstream file((path.substr(0, path.rfind('\\') + 1) + "UnInstal.exe").c_str(), std::ios::binary);  // as built, beside the tests
    std::string image((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_EQ(image.size(), (size_t)SCRIPT_OFFSET) << "UnInstal.exe beside the tests, padded to 0xC000";
    ScratchFolder scratch(Temp("bvu_reader_test"));
    std::string block = ScriptBlock("file \"%i\\\\a.txt\"\ndirectory \"%i\"\n", "C:\\App"), exe = scratch / "UnInstal.exe";
    // Scripts the builder writes as described when told "unchecked".
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
            ASSERT_TRUE(!bytes.empty() && WriteBytes(exe, image + bytes));
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
