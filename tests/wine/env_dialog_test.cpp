#include "bravik/ui/env_dialog.h"

#include "bravik/core/cp932.h"
#include "bravik/ui/resource.h"
#include "main_window_fixture.h"

using namespace mainwindowtest;

namespace {

// The dialog as a modeless window: WM_INITDIALOG fills it from the record.
class EnvDialogTest : public MainWindowTest {
protected:
    void TearDown() override {
        if (dialog_) DestroyWindow(dialog_);
        MainWindowTest::TearDown();
    }
    HWND Open() {
        dialog_ = CreateDialogParamA(AppState.instance, "MAKEENVDLG", AppState.mainWindow, EnvDialogProc, 0);
        return dialog_;
    }
    std::string Text(int id) {
        char text[4096] = "";
        GetDlgItemTextA(dialog_, id, text, sizeof text);
        return text;
    }
    int Sel(int id) { return (int)SendDlgItemMessageA(dialog_, id, CB_GETCURSEL, 0, 0); }
    bool IsChecked(int id) { return IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    std::vector<std::string> Items(int id) {
        std::vector<std::string> items;
        int n = (int)SendDlgItemMessageA(dialog_, id, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            char text[128] = "";
            SendDlgItemMessageA(dialog_, id, CB_GETLBTEXT, i, (LPARAM)text);
            items.push_back(text);
        }
        return items;
    }
    void Click(int id) {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog_, id));
    }
    void SetCheck(int id, bool on) { CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }

    HWND dialog_ = nullptr;
};

struct TextCase {
    int id;
    char* field;
};

std::vector<TextCase> TextFields() {
    SettingsRecord& s = AppState.settings;
    return {{IDC_MAKEEXE, s.makeExe},     {IDC_MAKEOPT, s.makeOptions},     {IDC_ENVIRONMENT, s.environment},
            {IDC_CURRENTDIR, s.currentDir}, {IDC_EDITOREXE, s.editorExe}, {IDC_EDITOROPT, s.editorOptions}};
}

const struct {
    int id;
    uint8_t bit;
} FlagBoxes[] = {
    {IDC_USESYSTEMENV, FLAG_USE_SYSTEM_ENV},     {IDC_CLOSEONSUCCESS, FLAG_CLOSE_ON_SUCCESS},
    {IDC_MULTISELECT, FLAG_MULTI_SELECT},        {IDC_HIGHLIGHTERRORS, FLAG_HIGHLIGHT_ERRORS},
    {IDC_HIGHLIGHTJUMPABLE, FLAG_HIGHLIGHT_JUMPABLE},
};

}  // namespace

TEST_F(EnvDialogTest, ChoiceListsFollowTheCommonControlsVersion) {
    CreateMain();
    ASSERT_NE(nullptr, Open());
    char caption[64] = "";
    GetWindowTextA(dialog_, caption, sizeof caption);
    EXPECT_STREQ("環境の設定", caption);
    EXPECT_EQ((std::vector<std::string>{"未サポートのエディタ", "秀丸エディタ"}), Items(IDC_EDITORKIND));
    EXPECT_EQ((std::vector<std::string>{"小さい標準ツールバー", "大きい標準ツールバー", "小さいフラットツールバー",
                                        "大きいフラットツールバー"}),
              Items(IDC_TOOLBARSTYLE));
    std::vector<std::string> keys = Items(IDC_JUMPKEY);
    ASSERT_EQ(22u, keys.size());
    const char* const named[] = {"[Enter]", "[Space]", "[Tab]", "[Esc]", "[Insert]",
                                 "[Delete]", "[Home]", "[End]", "[PageUp]", "[PageDown]"};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(named[i], keys[i]);
    for (int f = 1; f <= 12; ++f) EXPECT_EQ("[F" + std::to_string(f) + "]", keys[9 + f]);
    DestroyWindow(dialog_);

    // An old library offers only the two standard styles.
    AppState.commonControlsVersion = 400;
    Open();
    EXPECT_EQ((std::vector<std::string>{"小さい標準ツールバー", "大きい標準ツールバー"}), Items(IDC_TOOLBARSTYLE));
}

TEST_F(EnvDialogTest, FillsEveryControlFromTheRecord) {
    CreateMain();
    SettingsRecord& s = AppState.settings;
    lstrcpyA(s.makeExe, "C:\\tools\\make.exe");
    lstrcpyA(s.makeOptions, "-f %s -k");
    lstrcpyA(s.environment, "INCLUDE=C:\\inc\r\nLIB=%CURRENTDIRECTORY%\\lib");
    lstrcpyA(s.currentDir, "C:\\ソース\\build");
    lstrcpyA(s.editorExe, "C:\\秀丸\\Hidemaru.exe");
    lstrcpyA(s.editorOptions, "/j%d");
    s.editorKind = EDITOR_HIDEMARU;
    s.flags = FLAG_USE_SYSTEM_ENV | FLAG_MULTI_SELECT | FLAG_HIGHLIGHT_JUMPABLE;
    s.toolbarStyle = 2;
    s.jumpKey = 13;
    Open();
    for (const TextCase& c : TextFields()) EXPECT_EQ(c.field, Text(c.id)) << c.id;
    EXPECT_EQ(1, Sel(IDC_EDITORKIND));
    EXPECT_EQ(2, Sel(IDC_TOOLBARSTYLE));
    EXPECT_EQ(13, Sel(IDC_JUMPKEY));
    for (const auto& f : FlagBoxes) EXPECT_EQ((s.flags & f.bit) != 0, IsChecked(f.id)) << f.id;
}

TEST_F(EnvDialogTest, ReadsEveryControlBackIntoTheRecord) {
    CreateMain();
    Open();
    const char* const texts[] = {"D:\\gnu\\make.exe", "-f %s", "A=1\r\nB=2\r\n", "D:\\work",
                                 "C:\\Program Files\\秀丸\\Hidemaru.exe", "/j%d,1"};
    std::vector<TextCase> fields = TextFields();
    for (size_t i = 0; i < fields.size(); ++i) SetDlgItemTextA(dialog_, fields[i].id, texts[i]);
    SendDlgItemMessageA(dialog_, IDC_EDITORKIND, CB_SETCURSEL, 1, 0);
    SendDlgItemMessageA(dialog_, IDC_TOOLBARSTYLE, CB_SETCURSEL, 3, 0);
    SendDlgItemMessageA(dialog_, IDC_JUMPKEY, CB_SETCURSEL, 21, 0);
    SetCheck(IDC_CLOSEONSUCCESS, true);
    SetCheck(IDC_HIGHLIGHTERRORS, true);
    AppState.settings.reservedWord = 0x5555;
    ReadEnvDialog(dialog_);
    for (size_t i = 0; i < fields.size(); ++i) EXPECT_STREQ(texts[i], fields[i].field);
    EXPECT_EQ(EDITOR_HIDEMARU, AppState.settings.editorKind);
    EXPECT_EQ(FLAG_CLOSE_ON_SUCCESS | FLAG_HIGHLIGHT_ERRORS, AppState.settings.flags);
    EXPECT_EQ(0, AppState.settings.reservedWord);
    EXPECT_EQ(3, AppState.settings.toolbarStyle);
    EXPECT_EQ(21, AppState.settings.jumpKey);

    // An empty working directory empties the field (the makefile's own directory).
    SetDlgItemTextA(dialog_, IDC_CURRENTDIR, "");
    ReadEnvDialog(dialog_);
    EXPECT_STREQ("", AppState.settings.currentDir);
}

TEST_F(EnvDialogTest, TextsAreCutToTheirFieldsOnACharacterBoundary) {
    CreateMain();
    Open();
    // 300 double-byte characters: 600 bytes for a 260-byte field.
    std::string wide;
    for (int i = 0; i < 300; ++i) wide += "ソ";
    SendDlgItemMessageA(dialog_, IDC_MAKEEXE, EM_LIMITTEXT, 0, 0);
    SetDlgItemTextA(dialog_, IDC_MAKEEXE, wide.c_str());
    std::string longEnv(3000, 'x');
    SendDlgItemMessageA(dialog_, IDC_ENVIRONMENT, EM_LIMITTEXT, 0, 0);
    SetDlgItemTextA(dialog_, IDC_ENVIRONMENT, longEnv.c_str());
    ReadEnvDialog(dialog_);
    size_t n = strlen(AppState.settings.makeExe);
    EXPECT_LE(n, 259u);
    EXPECT_EQ(0u, n % 2) << "no half of a double-byte character at the end";
    EXPECT_EQ(0, strncmp(wide.c_str(), AppState.settings.makeExe, n));
    EXPECT_EQ(2079u, strlen(AppState.settings.environment));
}

TEST_F(EnvDialogTest, NoSelectionNeverSetsEveryFlag) {
    CreateMain();
    SettingsRecord& s = AppState.settings;
    s.toolbarStyle = 3;  // not offered by an old library
    s.jumpKey = 40;      // outside the table (a damaged record)
    s.editorKind = 7;    // no such kind
    AppState.commonControlsVersion = 400;
    Open();
    EXPECT_EQ(-1, Sel(IDC_EDITORKIND));
    EXPECT_EQ(-1, Sel(IDC_TOOLBARSTYLE));
    EXPECT_EQ(-1, Sel(IDC_JUMPKEY));
    for (const auto& f : FlagBoxes) SetCheck(f.id, false);
    SetCheck(IDC_HIGHLIGHTJUMPABLE, true);
    ReadEnvDialog(dialog_);
    EXPECT_EQ((uint32_t)FLAG_HIGHLIGHT_JUMPABLE << 8, GetKindFlagsWord(s)) << "kind 0, only the checked flag";
    EXPECT_EQ(3, s.toolbarStyle);
    EXPECT_EQ(40, s.jumpKey);
}

TEST_F(EnvDialogTest, MultipleSelectionChecksCloseOnSuccess) {
    CreateMain();
    Open();
    EXPECT_FALSE(IsChecked(IDC_CLOSEONSUCCESS));
    SetCheck(IDC_MULTISELECT, true);
    Click(IDC_MULTISELECT);
    EXPECT_TRUE(IsChecked(IDC_CLOSEONSUCCESS));
    SetCheck(IDC_MULTISELECT, false);
    Click(IDC_MULTISELECT);
    EXPECT_TRUE(IsChecked(IDC_CLOSEONSUCCESS)) << "unchecking leaves it alone";
    // Other notifications of the box do nothing.
    SetCheck(IDC_CLOSEONSUCCESS, false);
    SetCheck(IDC_MULTISELECT, true);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_MULTISELECT, BN_SETFOCUS), 0);
    EXPECT_FALSE(IsChecked(IDC_CLOSEONSUCCESS));
}

TEST_F(EnvDialogTest, OkWritesSyncsTheListAndMarksForSaving) {
    CreateMain();
    ASSERT_EQ(0, GetWindowLongA(AppState.variantListBox, GWL_STYLE) & LBS_MULTIPLESEL);
    HWND oldList = AppState.variantListBox;
    ModalAnswer answer("#32770", "環境の設定", [](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_MAKEEXE, "make.exe");
        CheckDlgButton(dlg, IDC_MULTISELECT, BST_CHECKED);
        PostMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    INT_PTR result = DialogBoxParamA(AppState.instance, "MAKEENVDLG", AppState.mainWindow, EnvDialogProc, 0);
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(0, result);
    EXPECT_EQ(1, AppState.settingsChanged);
    EXPECT_STREQ("make.exe", AppState.settings.makeExe);
    EXPECT_NE(oldList, AppState.variantListBox) << "list box re-created";
    EXPECT_TRUE(GetWindowLongA(AppState.variantListBox, GWL_STYLE) & LBS_MULTIPLESEL);
}

TEST_F(EnvDialogTest, CommandFromTheMainWindowOpensTheDialog) {
    CreateMain();
    ModalAnswer answer("#32770", "環境の設定", [](HWND dlg) { PostMessageA(dlg, WM_COMMAND, IDOK, 0); });
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_SETTINGS, 0);
    EXPECT_TRUE(answer.answered());
    EXPECT_EQ(1, AppState.settingsChanged) << "OK on an unchanged dialog still marks the record";
}

TEST_F(EnvDialogTest, ShowEnvironmentUsesTheDialogAndRestoresTheRecord) {
    CreateMain();
    SettingsRecord& s = AppState.settings;
    lstrcpyA(s.environment, "STORED=1");
    s.flags = FLAG_MULTI_SELECT;
    s.editorKind = EDITOR_HIDEMARU;
    s.reservedWord = 0x0102;
    SettingsRecord before = s;
    Open();
    SetDlgItemTextA(dialog_, IDC_ENVIRONMENT, "A=1\r\nB=%A%2\r\n");
    SetCheck(IDC_USESYSTEMENV, false);

    std::string shown;
    {
        ModalAnswer answer("#32770", "ｼｽﾃﾑ環境変数の表示", [&](HWND box) {
            shown = StaticText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Click(IDC_SHOWENV);
        EXPECT_TRUE(answer.answered());
    }
    EXPECT_EQ("A=1\nB=12", shown) << "the dialog's lines, joined by line feeds";
    EXPECT_EQ(0, memcmp(&before, &s, sizeof before)) << "the record is as before";
    EXPECT_EQ("A=1\r\nB=%A%2\r\n", Text(IDC_ENVIRONMENT)) << "the dialog keeps what was typed";

    // With the system's variables, the box starts with them (in their order;
    // how many fit is the composer's business).
    SetCheck(IDC_USESYSTEMENV, true);
    char* system = GetEnvironmentStringsA();
    std::string first = system;
    FreeEnvironmentStringsA(system);
    {
        ModalAnswer answer("#32770", "ｼｽﾃﾑ環境変数の表示", [&](HWND box) {
            shown = StaticText(box);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        });
        Click(IDC_SHOWENV);
    }
    EXPECT_EQ(first + "\n", shown.substr(0, first.size() + 1));
    EXPECT_EQ(0, memcmp(&before, &s, sizeof before));
}

namespace {

// Answers the folder browser that the settings dialog opens: notes its title
// line, selects the first drive under the root and confirms.
HWND browserOwner;
std::string browserTitle;

BOOL CALLBACK FindOwned(HWND hwnd, LPARAM param) {
    if (IsWindowVisible(hwnd) && GetWindow(hwnd, GW_OWNER) == browserOwner) {
        *(HWND*)param = hwnd;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK PickFirstDrive(HWND, UINT, UINT_PTR id, DWORD) {
    HWND browser = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwned, (LPARAM)&browser);
    if (!browser) return;
    KillTimer(nullptr, id);
    char text[256] = "";
    GetDlgItemTextA(browser, 14146, text, sizeof text);  // the title line above the tree
    browserTitle = text;
    HWND tree = GetDlgItem(browser, 14145);
    HTREEITEM root = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, (LPARAM)root);
    HTREEITEM drive = (HTREEITEM)SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)drive);
    PostMessageA(browser, WM_COMMAND, IDOK, 0);
}

}  // namespace

TEST_F(EnvDialogTest, FolderBrowserPutsTheChosenFolderIntoTheField) {
    CreateMain();
    Open();
    SetDlgItemTextA(dialog_, IDC_CURRENTDIR, "before");
    browserOwner = dialog_;
    browserTitle.clear();
    SetTimer(nullptr, 0, 100, PickFirstDrive);
    SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(IDC_CURRENTDIR_BROWSE, BN_CLICKED), 0);
    EXPECT_EQ("パスを選んでください。", browserTitle);
    EXPECT_EQ("C:\\", Text(IDC_CURRENTDIR)) << "the first drive under My Computer";
}

namespace {

// Steps through: settings dialog open -> its browse button -> cancel the file
// dialog -> note whether the main window is enabled -> cancel the settings.
int browseStep;
int mainEnabledAfterBrowse = -1;

HWND VisibleDialog(const char* title) {
    HWND w = FindWindowA("#32770", title);
    return w && IsWindowVisible(w) ? w : nullptr;
}

void CALLBACK BrowseSteps(HWND, UINT, UINT_PTR id, DWORD) {
    HWND settings = VisibleDialog("環境の設定");
    HWND files = VisibleDialog("実行ファイルの指定");
    if (browseStep == 0 && settings) {
        PostMessageA(settings, WM_COMMAND, MAKEWPARAM(IDC_EDITOREXE_BROWSE, BN_CLICKED), 0);
        browseStep = 1;
    } else if (browseStep == 1 && files) {
        PostMessageA(files, WM_COMMAND, IDCANCEL, 0);
        browseStep = 2;
    } else if (browseStep == 2 && !files && settings) {
        mainEnabledAfterBrowse = IsWindowEnabled(AppState.mainWindow) ? 1 : 0;
        PostMessageA(settings, WM_COMMAND, IDCANCEL, 0);
        KillTimer(nullptr, id);
        browseStep = 3;
    }
}

}  // namespace

TEST_F(EnvDialogTest, MainWindowStaysDisabledAfterABrowse) {
    CreateMain(true);
    browseStep = 0;
    mainEnabledAfterBrowse = -1;
    SetTimer(nullptr, 0, 100, BrowseSteps);
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_SETTINGS, 0);
    EXPECT_EQ(3, browseStep);
    EXPECT_EQ(0, mainEnabledAfterBrowse) << "the main window must not take commands while the settings are open";
    EXPECT_TRUE(IsWindowEnabled(AppState.mainWindow)) << "enabled again once the settings dialog is closed";
}
