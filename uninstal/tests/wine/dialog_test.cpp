// Dialog 205 as the resources build it, its filling from a script, and the
// version resource of UnInstal.exe.
#include "uninstal/uninstall_dialog.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "uninstal/core/script_format.h"
#include "uninstal/resource.h"
#include "wine_test_util.h"

using namespace uninstal;

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dialog_ = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_UNINSTALL), NULL, QuietDialogProc, 0);
        ASSERT_NE(dialog_, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog_); }
    std::string Text(int id) {
        char text[512] = "";
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    HWND dialog_ = NULL;
};

TEST_F(DialogTest, ControlsTextsAndPlaces) {
    struct Control {
        int id;
        const char* text;
        RECT place;  // dialog units: left, top, width, height
    } controls[] = {
        {ID_MESSAGE, "", {5, 5, 210, 40}},
        {ID_ASSOCIATIONS, "ﾌｧｲﾙの関連付けの解除を行なう。", {20, 56, 114, 10}},
        {ID_SHORTCUTS, "ｽﾀｰﾄﾒﾆｭｰ等のｼｮｰﾄｶｯﾄを削除する。", {20, 68, 116, 10}},
        {ID_ADDREMOVE, "ｱﾌﾟﾘｹｰｼｮﾝの追加と削除を解除する。", {20, 80, 126, 10}},
        {IDOK, "OK", {165, 59, 50, 14}},
        {IDCANCEL, "ｷｬﾝｾﾙ", {165, 75, 50, 14}},
    };
    for (const Control& c : controls) {
        HWND control = GetDlgItem(dialog_, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        EXPECT_EQ(Text(c.id), c.text) << c.id;
        // The dialog manager converts position and size separately.
        RECT expected = c.place;
        MapDialogRect(dialog_, &expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        RECT actual;
        GetWindowRect(control, &actual);
        MapWindowPoints(NULL, dialog_, (POINT*)&actual, 2);
        EXPECT_EQ(actual.left, expected.left) << c.id;
        EXPECT_EQ(actual.top, expected.top) << c.id;
        EXPECT_EQ(actual.right, expected.right) << c.id;
        EXPECT_EQ(actual.bottom, expected.bottom) << c.id;
    }
    for (int id : {ID_ASSOCIATIONS, ID_SHORTCUTS, ID_ADDREMOVE})
        EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog_, id), GWL_STYLE) & BS_TYPEMASK, BS_AUTOCHECKBOX) << id;
    EXPECT_EQ(GetWindowLongA(GetDlgItem(dialog_, IDOK), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    RECT size = {0, 0, 219, 95}, client;
    MapDialogRect(dialog_, &size);
    GetClientRect(dialog_, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    LONG style = GetWindowLongA(dialog_, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_POPUP), WS_CAPTION | WS_SYSMENU | WS_POPUP);
}

TEST_F(DialogTest, FlagsTickAndDisableTheBoxes) {
    struct Case {
        unsigned flags;
        const char* ticked;   // per box 304, 305, 308
        const char* enabled;
    } cases[] = {
        {0x100E0, "111", "111"}, {0x22, "100", "011"}, {0x0E, "000", "000"},
        {0x44, "010", "101"},    {0x88, "001", "110"}, {0x00, "000", "111"},
    };
    for (const Case& c : cases) {
        HWND dialog = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_UNINSTALL), NULL,
                                         QuietDialogProc, 0);
        std::string block = ScriptBlock("", "C:\\App", c.flags);
        char caption[kTitleSize];
        FillUninstallDialog(dialog, block.data(), caption);
        const int ids[] = {ID_ASSOCIATIONS, ID_SHORTCUTS, ID_ADDREMOVE};
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(IsDlgButtonChecked(dialog, ids[i]) == BST_CHECKED, c.ticked[i] == '1')
                << std::hex << c.flags << " box " << std::dec << ids[i];
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, ids[i])) != FALSE, c.enabled[i] == '1')
                << std::hex << c.flags << " box " << std::dec << ids[i];
        }
        DestroyWindow(dialog);
    }
}

TEST_F(DialogTest, TitleAndMessageFromTheScript) {
    std::string block;
    {
        uninstal_script::ScriptImage image;
        std::string error, warnings, dir = "C:\\App";
        ASSERT_TRUE(uninstal_script::ParseDescription(
            u8"product \"P\"\ntitle \"Bravikのｱﾝｲﾝｽﾄｰﾙ\"\nmessage \"一行目\\r\\n二行目\"\ndefault-dir \"\"\nend\n", &dir,
            &image, &error, &warnings))
            << error;
        block = image.Bytes();
    }
    char caption[kTitleSize];
    FillUninstallDialog(dialog_, block.data(), caption);
    EXPECT_STREQ(caption, "Bravikのｱﾝｲﾝｽﾄｰﾙ");
    char title[128];
    GetWindowTextA(dialog_, title, sizeof title);
    EXPECT_STREQ(title, "Bravikのｱﾝｲﾝｽﾄｰﾙ");
    EXPECT_EQ(Text(ID_MESSAGE), "一行目\r\n二行目");
}

TEST_F(DialogTest, TitleOf79BytesFitsTheCaptionBuffer) {
    std::string block = ScriptBlock("", "C:\\App");
    ASSERT_FALSE(block.empty());
    std::string title(79, 'T');
    block.replace(kHeaderSize + strlen("BvuWineTest") + 1, 4, title);
    uint32_t length = (uint32_t)(block.size() - kHeaderSize);
    memcpy(&block[12], &length, 4);
    char caption[kTitleSize];
    FillUninstallDialog(dialog_, block.data(), caption);
    EXPECT_EQ(std::string(caption), title);
}

TEST_F(DialogTest, LongTitleIsCutToTheCaptionBuffer) {
    std::string block = ScriptBlock("", "C:\\App");
    ASSERT_FALSE(block.empty());
    // Replace the 4-byte title "Test" by 100 double-byte characters.
    std::string longTitle;
    for (int i = 0; i < 100; ++i) longTitle += "表";
    size_t at = kHeaderSize + strlen("BvuWineTest") + 1;
    block.replace(at, 4, longTitle);
    uint32_t length = (uint32_t)(block.size() - kHeaderSize);
    memcpy(&block[12], &length, 4);
    char caption[kTitleSize + 8];
    memset(caption, 'z', sizeof caption);
    FillUninstallDialog(dialog_, block.data(), caption);
    EXPECT_EQ(strlen(caption), 78u);  // 39 whole characters: never half of one
    EXPECT_EQ(caption[kTitleSize], 'z');
}

TEST_F(DialogTest, NoScriptLeavesTheDialogEmpty) {
    char caption[kTitleSize] = "old";
    FillUninstallDialog(dialog_, nullptr, caption);
    EXPECT_STREQ(caption, "");
    char title[64];
    GetWindowTextA(dialog_, title, sizeof title);
    EXPECT_STREQ(title, "");
    EXPECT_EQ(IsDlgButtonChecked(dialog_, ID_ASSOCIATIONS), (UINT)BST_UNCHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, ID_ADDREMOVE)));
}

TEST(UnInstalImageTest, VersionResource) {
    std::string path = ProgramFolder() + "UnInstal.exe";
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << path;
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(&info[0], "\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00020022u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020022u);
    struct Field {
        const char* name;
        const char* value;
    } fields[] = {
        {"FileVersion", "1, 1, 2, 34"},
        {"ProductVersion", "1, 1, 2, 34"},
        {"FileDescription", "UnInstall for Windows"},
        {"InternalName", "UnInstall"},
        {"OriginalFilename", "UnInstal.exe"},
        {"ProductName", "UnInstall ｱﾌﾟﾘｹｰｼｮﾝ"},
        {"Comments", "Windowsｱﾝｲﾝｽﾄｰﾙﾌﾟﾛｸﾞﾗﾑ"},
        {"CompanyName", "Quibrel Software"},
        {"LegalCopyright", "Copyright (C) 1997-2026 by Quibrel Software"},
    };
    for (const Field& f : fields) {
        char* value = NULL;
        std::string key = std::string("\\StringFileInfo\\041103a4\\") + f.name;
        ASSERT_TRUE(VerQueryValueA(&info[0], key.c_str(), (void**)&value, &length)) << f.name;
        EXPECT_STREQ(value, f.value) << f.name;
    }
}

TEST(UnInstalImageTest, IconAndDialogResources) {
    std::string path = ProgramFolder() + "UnInstal.exe";
    HMODULE module = LoadLibraryExA(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceA(module, "IDI_UNINSTALL", (LPCSTR)RT_GROUP_ICON), nullptr);
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(IDD_UNINSTALL), (LPCSTR)RT_DIALOG), nullptr);
    HICON icon = (HICON)LoadImageA(module, "IDI_UNINSTALL", IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
    FreeLibrary(module);
}

}  // namespace
