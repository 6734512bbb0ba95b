// Dialog 205 as the resources build it, its filling from a script, and the
// resources of UnInstal.exe. The texts a user sees are checked end to end by
// tests/e2e/uninstal_sandbox.sh.
#include "uninstal/ui/uninstall_dialog.h"

#include <gtest/gtest.h>

#include <string>

#include "wine_test_util.h"

namespace {

TEST(DialogTest, ControlsPlacesAndKinds) {
    HWND dialog = NewUninstallDialog();
    ASSERT_NE(dialog, nullptr);
    const struct { int id; RECT place; LONG kind; } controls[] = {  // place: left, top, width, height in dialog units
        {IDC_MESSAGE, {5, 5, 210, 40}, -1},         {IDC_ASSOCIATIONS, {20, 56, 114, 10}, BS_AUTOCHECKBOX},
        {IDC_SHORTCUTS, {20, 68, 116, 10}, BS_AUTOCHECKBOX}, {IDC_ADDREMOVE, {20, 80, 126, 10}, BS_AUTOCHECKBOX},
        {IDOK, {165, 59, 50, 14}, BS_DEFPUSHBUTTON}, {IDCANCEL, {165, 75, 50, 14}, BS_PUSHBUTTON},
    };
    for (const auto& c : controls) {
        HWND control = GetDlgItem(dialog, c.id);
        ASSERT_NE(control, nullptr) << c.id;
        if (c.kind >= 0) { EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK, c.kind) << c.id; }
        // The dialog manager converts position and size separately.
        RECT expected = c.place, actual;
        MapDialogRect(dialog, &expected);
        expected.right += expected.left;
        expected.bottom += expected.top;
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, (POINT*)&actual, 2);
        EXPECT_TRUE(EqualRect(&actual, &expected))
            << c.id << ": " << actual.left << "," << actual.top << "," << actual.right << "," << actual.bottom;
    }
    RECT size = {0, 0, 219, 95}, client;
    MapDialogRect(dialog, &size);
    GetClientRect(dialog, &client);
    EXPECT_TRUE(EqualRect(&client, &size));
    const LONG popup = WS_CAPTION | WS_SYSMENU | WS_POPUP;
    EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & popup, popup);
    DestroyWindow(dialog);
}

TEST(DialogTest, FlagsTickAndDisableTheBoxes) {
    const struct { unsigned flags; const char *ticked, *enabled; } cases[] = {  // per box 304, 305, 308
        {0x100E0, "111", "111"}, {0x22, "100", "011"}, {0x0E, "000", "000"},
        {0x44, "010", "101"},    {0x88, "001", "110"}, {0x00, "000", "111"}};
    const int ids[] = {IDC_ASSOCIATIONS, IDC_SHORTCUTS, IDC_ADDREMOVE};
    for (const auto& c : cases) {
        HWND dialog = NewUninstallDialog();
        char caption[TITLE_SIZE];
        FillUninstallDialog(dialog, ScriptBlock("", "C:\\App", c.flags).data(), caption);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::to_string(c.flags) + " box " + std::to_string(ids[i]));
            EXPECT_EQ(IsDlgButtonChecked(dialog, ids[i]) == BST_CHECKED, c.ticked[i] == '1');
            EXPECT_EQ(IsWindowEnabled(GetDlgItem(dialog, ids[i])) != FALSE, c.enabled[i] == '1');
        }
        DestroyWindow(dialog);
    }
}

TEST(DialogTest, TitleIsCutToTheCaptionBufferBetweenCharacters) {
    std::string block = ScriptBlock("", "C:\\App"), kanji = Repeat("表", 100);
    const struct { std::string title, caption; } cases[] = {{std::string(79, 'T'), std::string(79, 'T')},
                                                            {kanji, kanji.substr(0, 78)}};
    HWND dialog = NewUninstallDialog();
    for (const auto& c : cases) {
        std::string bytes = block;
        bytes.replace(SCRIPT_HEADER_SIZE + strlen("BvuWineTest") + 1, 4, c.title);  // the title "Test"
        FitDataLength(&bytes);
        char caption[TITLE_SIZE + 8];
        memset(caption, 'z', sizeof caption);
        FillUninstallDialog(dialog, bytes.data(), caption);
        EXPECT_EQ(std::string(caption), c.caption);
        EXPECT_EQ(caption[TITLE_SIZE], 'z');
    }
    DestroyWindow(dialog);
}

// The version's numbers and names as release_archives.sh reads them from the
// archives; what it leaves out is checked here.
TEST(UnInstalImageTest, VersionIconAndDialogResources) {
    std::string path = UnInstalPath();
    DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u) << path;
    std::string info(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, &info[0]));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(&info[0], "\\", (void**)&fixed, &length));
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00020022u);
    const char* fields[][2] = {
        {"CompanyName", "Quibrel Software"}, {"LegalCopyright", "Copyright (C) 1997-2026 by Quibrel Software"}};
    for (const auto& f : fields) {
        char* value = nullptr;
        std::string key = std::string("\\StringFileInfo\\041103a4\\") + f[0];
        ASSERT_TRUE(VerQueryValueA(&info[0], key.c_str(), (void**)&value, &length)) << f[0];
        EXPECT_STREQ(value, f[1]) << f[0];
    }
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(IDD_UNINSTALL), (LPCSTR)RT_DIALOG), nullptr);
    HICON icon = (HICON)LoadImageA(module, "IDI_UNINSTALL", IMAGE_ICON, 16, 16, 0);
    EXPECT_NE(icon, nullptr);
    if (icon) DestroyIcon(icon);
    FreeLibrary(module);
}

}  // namespace
