#include "bravik/ui/settings_dialog.h"

#include <tuple>

#include "bravik/ui/resource.h"
#include "main_window_fixture.h"

using namespace mainwindowtest;

namespace {

// The dialog as a modeless window over a main window: WM_INITDIALOG fills it from the record.
class SettingsDialogTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateMain();
    }
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
        MainWindowTest::TearDown();
    }
    void Open() { dialog_ = CreateDialogParamA(AppState.instance, "MAKEENVDLG", AppState.mainWindow, SettingsDialogProc, 0); }
    int Sel(int id) { return (int)SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0); }
    HWND dialog_ = nullptr;
};

// The text of the environment preview's message box, noted from a timer inside
// its modal loop before the box is closed.
std::string previewText;
void CALLBACK AnswerPreview(HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowA("#32770", "ｼｽﾃﾑ環境変数の表示");
    if (!box || !IsWindowVisible(box)) return;
    static char text[65536];
    text[0] = '\0';
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    previewText = text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(SettingsDialogTest, FillAndReadMapEachBoxToItsField) {
    const struct { int id; uint8_t bit; } flagBoxes[] = {
        {IDC_USESYSTEMENV, FLAG_USE_SYSTEM_ENV},     {IDC_CLOSEONSUCCESS, FLAG_CLOSE_ON_SUCCESS},
        {IDC_MULTISELECT, FLAG_MULTI_SELECT},        {IDC_HIGHLIGHTERRORS, FLAG_HIGHLIGHT_ERRORS},
        {IDC_HIGHLIGHTJUMPABLE, FLAG_HIGHLIGHT_JUMPABLE},
    };
    SettingsRecord& s = AppState.settings;
    s.toolbarStyle = 2;
    s.jumpKey = 13;
    Open();
    for (const auto& f : flagBoxes) {
        SetKindFlagsWord(s, 0x5555u << 16 | (f.bit | 0x08) << 8 | EDITOR_HIDEMARU);
        FillSettingsDialog(dialog_);
        for (const auto& g : flagBoxes) EXPECT_EQ(g.id == f.id, IsDlgButtonChecked(dialog_, g.id) != 0) << f.id << " " << g.id;
        ReadSettingsDialog(dialog_);
        EXPECT_EQ(EDITOR_HIDEMARU | f.bit << 8, GetKindFlagsWord(s)) << "the whole word: no bit 0x08, no upper half";
    }
    EXPECT_EQ(std::make_tuple(1, 2, 13), std::make_tuple(Sel(IDC_EDITORKIND), Sel(IDC_TOOLBARSTYLE), Sel(IDC_JUMPKEY)));
    SendDlgItemMessageA(dialog_, IDC_TOOLBARSTYLE, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageA(dialog_, IDC_JUMPKEY, CB_SETCURSEL, 21, 0);
    ReadSettingsDialog(dialog_);
    EXPECT_EQ(std::make_tuple(3, 21), std::make_tuple((int)s.toolbarStyle, (int)s.jumpKey));
    DestroyWindow(dialog_);

    // An old library offers two styles. Values the boxes do not list (the stored style 3, a damaged
    // record) show no selection; OK keeps them and never turns the missing kind into every flag.
    AppState.commonControlsVersion = 400;
    SetKindFlagsWord(s, FLAG_HIGHLIGHT_JUMPABLE << 8 | 7);
    s.jumpKey = 40;
    Open();
    EXPECT_EQ(2, SendDlgItemMessageA(dialog_, IDC_TOOLBARSTYLE, CB_GETCOUNT, 0, 0));
    for (int id : {IDC_EDITORKIND, IDC_TOOLBARSTYLE, IDC_JUMPKEY}) EXPECT_EQ(-1, Sel(id)) << id;
    ReadSettingsDialog(dialog_);
    EXPECT_EQ((uint32_t)FLAG_HIGHLIGHT_JUMPABLE << 8, GetKindFlagsWord(s)) << "kind 0, only the checked flag";
    EXPECT_EQ(std::make_tuple(3, 40), std::make_tuple((int)s.toolbarStyle, (int)s.jumpKey));
}

TEST_F(SettingsDialogTest, TextsAreCutToTheirFieldsOnACharacterBoundary) {
    Open();
    std::string wide, longEnv(3000, 'x');
    for (int i = 0; i < 300; ++i) wide += "ソ";  // 600 bytes for a 260-byte field
    for (int id : {IDC_MAKEEXE, IDC_ENVIRONMENT}) {
        SendDlgItemMessageA(dialog_, id, EM_LIMITTEXT, 0, 0);
        SetDlgItemTextA(dialog_, id, id == IDC_MAKEEXE ? wide.c_str() : longEnv.c_str());
    }
    ReadSettingsDialog(dialog_);
    EXPECT_EQ(258u, strlen(AppState.settings.makeExe)) << "129 whole characters, no half of one at the end";
    EXPECT_EQ(0, strncmp(wide.c_str(), AppState.settings.makeExe, 258));
    EXPECT_EQ(2079u, strlen(AppState.settings.environment));
}

TEST_F(SettingsDialogTest, ShowEnvironmentUsesTheDialogAndRestoresTheRecord) {
    SettingsRecord& s = AppState.settings;
    lstrcpyA(s.environment, "STORED=1");
    SetKindFlagsWord(s, 0x0102u << 16 | FLAG_MULTI_SELECT << 8 | EDITOR_HIDEMARU);
    SettingsRecord before = s;
    Open();
    SetDlgItemTextA(dialog_, IDC_ENVIRONMENT, "A=1\r\nB=%A%2\r\n");
    // What the make child would get, joined by line feeds: every system variable when asked, then the lines.
    SetEnvironmentVariableA("BVPREVIEWLONG", std::string(3000, 'p').c_str());
    std::string all;
    char* system = GetEnvironmentStringsA();
    for (const char* p = system; *p; p += strlen(p) + 1) all += std::string(p) + "\n";
    FreeEnvironmentStringsA(system);
    const struct { UINT check; std::string shown; } cases[] = {{BST_UNCHECKED, "A=1\nB=12"},
                                                               {BST_CHECKED, all + "A=1\nB=12"}};
    for (const auto& c : cases) {
        CheckDlgButton(dialog_, IDC_USESYSTEMENV, c.check);
        previewText = "<no preview>";
        UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerPreview);
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_SHOWENV, BN_CLICKED), 0);
        KillTimer(nullptr, timer);
        EXPECT_EQ(c.shown, previewText);
        EXPECT_EQ(0, memcmp(&before, &s, sizeof before)) << "the record is as before";
        char typed[64] = "";
        GetDlgItemTextA(dialog_, IDC_ENVIRONMENT, typed, sizeof typed);
        EXPECT_STREQ("A=1\r\nB=%A%2\r\n", typed) << "the dialog keeps what was typed";
    }
    SetEnvironmentVariableA("BVPREVIEWLONG", nullptr);
}
