// The settings record in the registry and in the settings dialog. Every field's round trip through the
// dialog and a restart, the short and over-long records and the position are checked by
// tests/e2e/main_settings.sh and startup.sh.
#include "bravik/ui/settings_dialog.h"

#include <shlwapi.h>

#include "bravik/ui/app_state.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/settings_store.h"
#include "wine_test_util.h"

// An unknown format tag survives; the record is written only once the dialog was confirmed, with the
// list's selection; a short position fills only its bytes.
TEST(SettingsStore, RecordRoundTrip) {
    const char key[] = "Software\\Quibrel\\Bravik\\Spec";
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
    memset(&AppState, 0, sizeof AppState);
    SettingsRecord s;
    DefaultSettings(s);
    s.formatTag = 4242;
    SHSetValueA(HKEY_CURRENT_USER, key, "Value", REG_BINARY, &s, sizeof s);
    SHSetValueA(HKEY_CURRENT_USER, key, "Position", REG_BINARY, "\x0A\0\0\0\x14\0\0\0", 8);
    LoadSettings();
    EXPECT_EQ(0, memcmp(&s, &AppState.settings, sizeof s));
    EXPECT_EQ(std::make_tuple(10, 20, 0, 0), std::make_tuple(AppState.position.x, AppState.position.y, AppState.position.width, AppState.position.height));
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
    AppState.mainWindow = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    AppState.variantListBox = CreateWindowA("LISTBOX", "", WS_CHILD, 0, 0, 100, 100, AppState.mainWindow, nullptr, nullptr, nullptr);
    SaveSettings();
    DWORD size = sizeof s;
    EXPECT_NE(ERROR_SUCCESS, SHGetValueA(HKEY_CURRENT_USER, key, "Value", nullptr, &s, &size));
    for (const char* item : {"a", "b"}) SendMessageA(AppState.variantListBox, LB_ADDSTRING, 0, (LPARAM)item);
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 1, 0);
    AppState.settingsChanged = 1;
    SaveSettings();
    EXPECT_EQ(ERROR_SUCCESS, SHGetValueA(HKEY_CURRENT_USER, key, "Value", nullptr, &s, &size));
    EXPECT_EQ(std::make_tuple(3404ul, 4242u, 1), std::make_tuple(size, s.formatTag, (int)s.lastVariant));
    DestroyWindow(AppState.mainWindow);
    SHDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quibrel");
}

TEST(SettingsDialog, FlagsWordChoicesTextCutsAndThePreview) {
    const int flagBoxes[][2] = {{IDC_USESYSTEMENV, FLAG_USE_SYSTEM_ENV}, {IDC_CLOSEONSUCCESS, FLAG_CLOSE_ON_SUCCESS},
        {IDC_MULTISELECT, FLAG_MULTI_SELECT}, {IDC_HIGHLIGHTERRORS, FLAG_HIGHLIGHT_ERRORS}, {IDC_HIGHLIGHTJUMPABLE, FLAG_HIGHLIGHT_JUMPABLE}};
    memset(&AppState, 0, sizeof AppState);
    SettingsRecord& s = AppState.settings;
    auto open = [] { return boxesIgnored = CreateDialogParamA(GetModuleHandleA(nullptr), "MAKEENVDLG", nullptr, SettingsDialogProc, 0); };
    HWND dialog = open();
    for (const auto& f : flagBoxes) {  // the word read back has no bit 0x08 and no upper half
        SetKindFlagsWord(s, 0x5555u << 16 | (f[1] | 0x08) << 8 | EDITOR_HIDEMARU);
        FillSettingsDialog(dialog);
        for (const auto& g : flagBoxes) EXPECT_EQ(g[0] == f[0], IsDlgButtonChecked(dialog, g[0]) != 0) << f[0] << " " << g[0];
        ReadSettingsDialog(dialog);
        EXPECT_EQ(EDITOR_HIDEMARU | f[1] << 8, (int)GetKindFlagsWord(s));
    }
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "ソ";  // 600 bytes for a 260-byte field
    for (int id : {IDC_MAKEEXE, IDC_ENVIRONMENT}) {
        SendDlgItemMessageA(dialog, id, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextA(dialog, id, id == IDC_MAKEEXE ? wide.c_str() : std::string(3000, 'x').c_str());
    }
    ReadSettingsDialog(dialog);
    EXPECT_EQ(wide.substr(0, 258), s.makeExe) << "129 whole characters, no half of one at the end";
    EXPECT_EQ(2079u, strlen(s.environment));
    // The preview shows the system's strings and the typed lines, and leaves the record as it was.
    SettingsRecord before = s;
    SetDlgItemTextA(dialog, IDC_ENVIRONMENT, "A=1\r\nB=%A%2\r\n");
    CheckDlgButton(dialog, IDC_USESYSTEMENV, BST_CHECKED);
    std::string all = "ｼｽﾃﾑ環境変数の表示|";
    char* system = GetEnvironmentStringsA();
    for (const char* p = system; *p; p += strlen(p) + 1) all += std::string(p) + "\n";
    FreeEnvironmentStringsA(system);
    EXPECT_EQ(all + "A=1\nB=12\n", ShowingBoxes([&] { SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SHOWENV, BN_CLICKED), 0); }));
    EXPECT_EQ(0, memcmp(&before, &s, sizeof before)) << "the record is as before";
    DestroyWindow(dialog);
    // An old library offers two styles. Values the boxes do not list show no selection; reading keeps
    // them and never turns the missing kind into every flag.
    AppState.commonControlsVersion = 400;
    SetKindFlagsWord(s, FLAG_HIGHLIGHT_JUMPABLE << 8 | 7);
    s.toolbarStyle = 3;
    s.jumpKey = 40;
    dialog = open();
    std::string shown;
    for (int id : {IDC_TOOLBARSTYLE, IDC_EDITORKIND, IDC_JUMPKEY}) shown += std::to_string(SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0)) + " ";
    EXPECT_EQ("2 -1 -1 -1 ", std::to_string(SendDlgItemMessageA(dialog, IDC_TOOLBARSTYLE, CB_GETCOUNT, 0, 0)) + " " + shown);
    ReadSettingsDialog(dialog);
    EXPECT_EQ(std::make_tuple((uint32_t)FLAG_HIGHLIGHT_JUMPABLE << 8, 3, 40), std::make_tuple(GetKindFlagsWord(s), (int)s.toolbarStyle, (int)s.jumpKey));
    DestroyWindow(dialog);
    boxesIgnored = nullptr;
}
