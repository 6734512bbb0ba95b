#include "bravik/ui/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "bravik/core/batch_run.h"
#include "bravik/core/main_commands.h"
#include "bravik/core/toolbar_rules.h"
#include "bravik/ui/makefile_reader.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/toolbar.h"
#include "main_window_fixture.h"

using namespace mainwindowtest;

namespace {

const char VariantMakefile[] =
    "#Bravik \"V=1\" 一番目\n"
    "#Bravik \"V=2 X=y\" 二番目\n"
    "#Bravik \"\" 三番目\n"
    "all:\n\t@echo $(V)\n";

RECT ChildRect(HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, AppState.mainWindow, (POINT*)&r, 2);
    return r;
}

int ClientHeightOf(HWND w) {
    RECT r = {0, 0, 0, 0};
    if (w) GetClientRect(w, &r);
    return r.bottom;
}

void ExpectListBetweenBars() {
    RECT client;
    GetClientRect(AppState.mainWindow, &client);
    ListPlacement want = PlaceVariantList(client.right, client.bottom, ClientHeightOf(AppState.toolbarWindow),
                                          ClientHeightOf(AppState.statusWindow));
    RECT got = ChildRect(AppState.variantListBox);
    EXPECT_EQ(want.x, got.left);
    EXPECT_EQ(want.y, got.top);
    EXPECT_EQ(want.width, got.right - got.left);
    EXPECT_EQ(want.height, got.bottom - got.top);
}

int CountVariantSubmenus(HMENU menu, HMENU* found = nullptr) {
    int n = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        if (strcmp(text, "指定をＭａｋｅ") == 0 && GetSubMenu(menu, i)) {
            ++n;
            if (found) *found = GetSubMenu(menu, i);
        }
    }
    return n;
}

void OpenWindowMenu(HMENU menu) {
    SendMessageA(AppState.mainWindow, WM_INITMENUPOPUP, (WPARAM)menu, MAKELPARAM(0, TRUE));
}

bool Checked(HMENU menu, UINT id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; }

HDROP MakeDrop(const char* path) {
    size_t size = sizeof(DROPFILES) + strlen(path) + 2;
    HGLOBAL memory = GlobalAlloc(GHND, size);
    DROPFILES* drop = (DROPFILES*)GlobalLock(memory);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = FALSE;
    strcpy((char*)(drop + 1), path);
    GlobalUnlock(memory);
    return (HDROP)memory;
}

std::string WindowTitle() {
    char title[300] = "";
    GetWindowTextA(AppState.mainWindow, title, sizeof title);
    return title;
}

}  // namespace

TEST_F(MainWindowTest, CreationBuildsBarsListAndWindowMenuItems) {
    HWND main = CreateMain();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ(CommonControlsVersionFrom(true, 5, 81), AppState.commonControlsVersion);  // Wine's comctl32
    ASSERT_NE(nullptr, AppState.toolbarWindow);
    EXPECT_EQ(ID_TOOLBAR, GetDlgCtrlID(AppState.toolbarWindow));
    ASSERT_NE(nullptr, AppState.statusWindow);  // statusBarShown is 1 by default
    EXPECT_EQ(ID_STATUSBAR, GetDlgCtrlID(AppState.statusWindow));
    ASSERT_NE(nullptr, AppState.variantListBox);
    EXPECT_EQ(ID_VARIANTLIST, GetDlgCtrlID(AppState.variantListBox));
    EXPECT_EQ(0, GetWindowLongA(AppState.variantListBox, GWL_STYLE) & LBS_MULTIPLESEL);
    ExpectListBetweenBars();
    EXPECT_TRUE(GetWindowLongA(AppState.toolbarWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(GetWindowLongA(AppState.toolbarWindow, GWL_STYLE) & TBSTYLE_TOOLTIPS);

    // Four items after the standard window menu: a separator, 105, 104, 102.
    HMENU menu = GetSystemMenu(main, FALSE);
    int n = GetMenuItemCount(menu);
    ASSERT_GE(n, 4);
    EXPECT_EQ(0u, GetMenuItemID(menu, n - 4));
    EXPECT_TRUE(GetMenuState(menu, n - 4, MF_BYPOSITION) & MF_SEPARATOR);
    const struct {
        UINT id;
        const char* text;
    } items[] = {{CMD_STATUSBAR, "ｽﾃｰﾀｽﾊﾞｰ(&T)"}, {CMD_SETTINGS, "環境の設定(&E)..."}, {CMD_RUN, "Ｍａｋｅの実行(&K)"}};
    for (int i = 0; i < 3; ++i) {
        char text[64] = "";
        GetMenuStringA(menu, n - 3 + i, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ(items[i].id, GetMenuItemID(menu, n - 3 + i));
        EXPECT_STREQ(items[i].text, text);
    }
}

TEST_F(MainWindowTest, NoStatusBarWhenStoredHidden) {
    AppState.settings.statusBarShown = 0;
    CreateMain();
    EXPECT_EQ(nullptr, AppState.statusWindow);
    ExpectListBetweenBars();
}

TEST_F(MainWindowTest, ToolbarInEachStyle) {
    const char* const labels[] = {"開く", "設定", "実行", "編集", "ヘルプ", "情報", "終了"};
    for (int style : {0, 1, 2, 3, 4, 7, -1}) {
        SCOPED_TRACE(style);
        AppState.settings.toolbarStyle = style;
        CreateMain();
        HWND tb = AppState.toolbarWindow;
        ASSERT_NE(nullptr, tb);
        ToolbarLook look = ToolbarLookFor(style, AppState.commonControlsVersion);
        EXPECT_EQ(look.flat, (GetWindowLongA(tb, GWL_STYLE) & TBSTYLE_FLAT) != 0);

        BITMAP bm;
        ASSERT_NE(nullptr, toolbarBitmap);
        ASSERT_NE(0, GetObjectA(toolbarBitmap, sizeof bm, &bm));
        EXPECT_EQ(look.imageWidth * TOOLBAR_IMAGE_COUNT, bm.bmWidth);
        EXPECT_EQ(look.imageHeight, bm.bmHeight);

        ASSERT_EQ(TOOLBAR_PLACE_COUNT, SendMessageA(tb, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < TOOLBAR_PLACE_COUNT; ++i) {
            TBBUTTON b;
            memset(&b, 0, sizeof b);
            SendMessageA(tb, TB_GETBUTTON, i, (LPARAM)&b);
            if (ToolbarPlaces[i].command == 0) {
                EXPECT_EQ(TBSTYLE_SEP, b.fsStyle & TBSTYLE_SEP) << i;
                continue;
            }
            EXPECT_EQ(ToolbarPlaces[i].command, b.idCommand) << i;
            EXPECT_EQ(ToolbarPlaces[i].imageIndex, b.iBitmap) << i;
            EXPECT_TRUE(b.fsState & TBSTATE_ENABLED) << i;
            char text[64] = "";
            LRESULT len = SendMessageA(tb, TB_GETBUTTONTEXTA, b.idCommand, (LPARAM)text);
            if (look.labels)
                EXPECT_STREQ(labels[b.iBitmap], text) << i;
            else
                EXPECT_LE(len, 0) << text;
        }
        LRESULT size = SendMessageA(tb, TB_GETBUTTONSIZE, 0, 0);
        if (look.labels) {
            EXPECT_GT(HIWORD(size), look.buttonHeight);  // room for the labels under the images
        } else {
            EXPECT_EQ(look.buttonWidth, LOWORD(size));
            // Wine's toolbar measures its buttons again as the image height plus
            // its padding (one pixel less than asked for); Windows keeps the size.
            EXPECT_NEAR(look.buttonHeight, HIWORD(size), 1);
        }
        ExpectListBetweenBars();
        DestroyMain();
        EXPECT_EQ(nullptr, toolbarBitmap);  // released with the window
        EXPECT_EQ(nullptr, AppState.toolbarWindow);
    }
}

TEST_F(MainWindowTest, StatusBarToggleKeepsListBetweenBars) {
    CreateMain();
    HWND status = AppState.statusWindow;
    ASSERT_NE(nullptr, status);
    int listBefore = ChildRect(AppState.variantListBox).bottom;

    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    EXPECT_EQ(nullptr, AppState.statusWindow);
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(0, AppState.settings.statusBarShown);
    EXPECT_EQ(0, AppState.settingsChanged);  // persists only with a confirmed settings dialog
    EXPECT_GT(ChildRect(AppState.variantListBox).bottom, listBefore);
    ExpectListBetweenBars();

    SendMessageA(AppState.mainWindow, WM_SYSCOMMAND, CMD_STATUSBAR, 0);  // from the window menu
    ASSERT_NE(nullptr, AppState.statusWindow);
    EXPECT_EQ(1, AppState.settings.statusBarShown);
    EXPECT_EQ(listBefore, ChildRect(AppState.variantListBox).bottom);
    ExpectListBetweenBars();

    // A size change re-aligns the bars and the list.
    SetWindowPos(AppState.mainWindow, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
    ExpectListBetweenBars();
}

TEST_F(MainWindowTest, WindowMenuRebuildsExactlyOneVariantSubmenu) {
    CreateMain();
    HMENU menu = GetSystemMenu(AppState.mainWindow, FALSE);
    int standard = GetMenuItemCount(menu);

    OpenWindowMenu(menu);
    EXPECT_EQ(0, CountVariantSubmenus(menu)) << "no makefile, no submenu";
    EXPECT_TRUE(Checked(menu, CMD_STATUSBAR));
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    OpenWindowMenu(menu);
    EXPECT_FALSE(Checked(menu, CMD_STATUSBAR)) << "the check mark follows the status bar";

    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_menu.mak", VariantMakefile).c_str()));
    for (int opening = 0; opening < 3; ++opening) {
        OpenWindowMenu(menu);
        HMENU sub = nullptr;
        ASSERT_EQ(1, CountVariantSubmenus(menu, &sub)) << "opening " << opening;
        EXPECT_EQ(standard + 1, GetMenuItemCount(menu));
        ASSERT_EQ(3, GetMenuItemCount(sub));
        const char* const labels[] = {"一番目", "二番目", "三番目"};
        for (int i = 0; i < 3; ++i) {
            char text[64] = "";
            GetMenuStringA(sub, i, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(labels[i], text);
            EXPECT_EQ((UINT)(CMD_VARIANT_FIRST + i), GetMenuItemID(sub, i));
        }
    }

    // Another makefile: the submenu follows the list box.
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_plain.mak", "all:\n").c_str()));
    OpenWindowMenu(menu);
    HMENU sub = nullptr;
    ASSERT_EQ(1, CountVariantSubmenus(menu, &sub));
    EXPECT_EQ(2, GetMenuItemCount(sub));  // the two default variants

    // Other popups are not the window menu: nothing changes.
    HMENU other = CreatePopupMenu();
    SendMessageA(AppState.mainWindow, WM_INITMENUPOPUP, (WPARAM)other, MAKELPARAM(0, FALSE));
    EXPECT_EQ(0, GetMenuItemCount(other));
    DestroyMenu(other);
}

TEST_F(MainWindowTest, ListSelectionShowsMacrosInTheStatusBar) {
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_sel.mak", VariantMakefile).c_str()));
    HWND list = AppState.variantListBox;
    for (int i : {1, 2, 0}) {
        SendMessageA(list, LB_SETCURSEL, i, 0);
        SendMessageA(AppState.mainWindow, WM_COMMAND, MAKEWPARAM(ID_VARIANTLIST, LBN_SELCHANGE), (LPARAM)list);
        bool simple = false;
        EXPECT_EQ(AppState.variantMacros[i], StatusText(&simple)) << i;
        EXPECT_TRUE(simple);
    }
    // Without a status bar the selection still works and nothing breaks.
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    SendMessageA(AppState.mainWindow, WM_COMMAND, MAKEWPARAM(ID_VARIANTLIST, LBN_SELCHANGE), (LPARAM)list);
    EXPECT_EQ(nullptr, AppState.statusWindow);
}

TEST_F(MainWindowTest, TooltipTextsAndStatusDescriptions) {
    CreateMain();
    HWND tb = AppState.toolbarWindow;
    const struct {
        int command;
        const char* description;
        const wchar_t* tooltip;
    } cases[] = {
        {CMD_OPEN, "今の内容を破棄して、ファイルから新しいＭＡＫＥファイルを読み込みます。", L"ＭＡＫＥファイルの設定"},
        {CMD_SETTINGS, "環境の設定を行ないます。", L"環境の設定"},
        {CMD_RUN, "設定内容に従って選択した条件のＭａｋｅを実行します。", L"Ｍａｋｅの実行"},
        {CMD_EDIT, "Ｍａｋｅファイルを編集します。", L"Ｍａｋｅファイルの編集"},
        {CMD_HELP, "Ｂｒａｖｉｋのヘルプの目次か検索を行います。", L"ヘルプの目次か検索を表示"},
        {CMD_ABOUT, "バージョンと著作権を表示します。", L"バージョンと著作権の表示"},
        {CMD_EXIT, "今の内容を破棄して、Ｂｒａｖｉｋを終了します。", L"Ｂｒａｖｉｋの終了"},
    };
    HWND tooltip = (HWND)SendMessageA(tb, TB_GETTOOLTIPS, 0, 0);
    ASSERT_NE(nullptr, tooltip);
    for (const auto& c : cases) {
        // The request as the tooltip makes it: through the toolbar, which asks
        // its (ANSI) parent for the text.
        NMTTDISPINFOW info;
        memset(&info, 0, sizeof info);
        info.hdr.hwndFrom = tooltip;
        info.hdr.idFrom = c.command;
        info.hdr.code = TTN_GETDISPINFOW;
        info.lpszText = info.szText;  // as the tooltip control hands it over
        SendMessageW(tb, WM_NOTIFY, 0, (LPARAM)&info);
        const wchar_t* text = info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKW ? info.lpszText : info.szText;
        EXPECT_STREQ(c.tooltip, text) << c.command;
        bool simple = false;
        EXPECT_EQ(c.description, StatusText(&simple)) << c.command;
        EXPECT_TRUE(simple);
    }

    // The tooltip hides: part 0 is cleared, the description stays in sight.
    NMHDR pop = {tooltip, 0, (UINT)TTN_POP};
    EXPECT_EQ(0, SendMessageA(AppState.mainWindow, WM_NOTIFY, 0, (LPARAM)&pop));
    bool simple = false;
    EXPECT_EQ("今の内容を破棄して、Ｂｒａｖｉｋを終了します。", StatusText(&simple));
    EXPECT_TRUE(simple);

    // Status bar hidden: the tooltip alone.
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    NMTTDISPINFOA ansi;
    memset(&ansi, 0, sizeof ansi);
    ansi.hdr.hwndFrom = tooltip;
    ansi.hdr.idFrom = CMD_SETTINGS;
    ansi.hdr.code = TTN_NEEDTEXTA;
    EXPECT_EQ(0, SendMessageA(AppState.mainWindow, WM_NOTIFY, 0, (LPARAM)&ansi));
    ASSERT_NE(nullptr, ansi.lpszText);
    EXPECT_STREQ("環境の設定", ansi.lpszText);
    EXPECT_EQ(0, SendMessageA(AppState.mainWindow, WM_NOTIFY, 0, (LPARAM)&pop));
}

TEST_F(MainWindowTest, MenuHelpShowsDescriptionsWhileAMenuIsOpen) {
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_help.mak", VariantMakefile).c_str()));
    HMENU menu = GetSystemMenu(AppState.mainWindow, FALSE);
    OpenWindowMenu(menu);
    auto select = [&](UINT id, UINT flags) {
        SendMessageA(AppState.mainWindow, WM_MENUSELECT, MAKEWPARAM(id, flags), (LPARAM)menu);
    };
    const struct {
        UINT id;
        const char* text;
    } cases[] = {
        {CMD_RUN, "設定内容に従って選択した条件のＭａｋｅを実行します。"},
        {CMD_SETTINGS, "環境の設定を行ないます。"},
        {CMD_STATUSBAR, "ステータスバーを表示または消去します。"},
        {SC_CLOSE, ""},  // the system's own items have no description
        // Variant items: their ids overlap the tooltip strings; they show the macros.
        {CMD_VARIANT_FIRST + 0, "V=1"},
        {CMD_VARIANT_FIRST + 1, "V=2 X=y"},
        {CMD_VARIANT_FIRST + 2, ""},
    };
    for (const auto& c : cases) {
        select(c.id, MF_STRING);
        bool simple = false;
        EXPECT_EQ(c.text, StatusText(&simple)) << c.id;
        EXPECT_TRUE(simple);
    }
    select(0, 0xFFFF);  // the menu closes
    SendMessageA(AppState.mainWindow, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    bool simple = true;
    StatusText(&simple);
    EXPECT_FALSE(simple);

    // Without a status bar, menu selection is harmless.
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    select(CMD_RUN, MF_STRING);
    EXPECT_EQ(nullptr, AppState.statusWindow);
}

TEST_F(MainWindowTest, StringTableHoldsDescriptionsAndTooltips) {
    const struct {
        int id;
        const char* text;
    } cases[] = {
        {101, "今の内容を破棄して、ファイルから新しいＭＡＫＥファイルを読み込みます。"},
        {102, "設定内容に従って選択した条件のＭａｋｅを実行します。"},
        {103, "今の内容を破棄して、Ｂｒａｖｉｋを終了します。"},
        {104, "環境の設定を行ないます。"},
        {105, "ステータスバーを表示または消去します。"},
        {106, "Ｍａｋｅファイルを編集します。"},
        {107, "Ｂｒａｖｉｋのヘルプの目次か検索を行います。"},
        {108, "ＷｉｎＨｅｌｐのヘルプを表示します。"},
        {109, "バージョンと著作権を表示します。"},
        {201, "ＭＡＫＥファイルの設定"},
        {202, "Ｍａｋｅの実行"},
        {203, "Ｂｒａｖｉｋの終了"},
        {204, "環境の設定"},
        {205, "ステータスバーをオンオフ"},
        {206, "Ｍａｋｅファイルの編集"},
        {207, "ヘルプの目次か検索を表示"},
        {208, "ヘルプののヘルプ"},
        {209, "バージョンと著作権の表示"},
    };
    for (const auto& c : cases) {
        char text[128] = "";
        EXPECT_GT(LoadStringA(GetModuleHandleA(nullptr), c.id, text, sizeof text), 0) << c.id;
        EXPECT_STREQ(c.text, text) << c.id;
    }
    char none[16];
    EXPECT_EQ(0, LoadStringA(GetModuleHandleA(nullptr), 200, none, sizeof none));
}

TEST_F(MainWindowTest, ToolbarBitmapsAreSevenSixteenColourImages) {
    const struct {
        int id, width, height;
    } cases[] = {{IDB_TOOLBAR_SMALL, 112, 15}, {IDB_TOOLBAR_LARGE, 147, 20}};
    for (const auto& c : cases) {
        HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(c.id), (LPCSTR)RT_BITMAP);
        ASSERT_NE(nullptr, res) << c.id;
        const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)LockResource(LoadResource(nullptr, res));
        ASSERT_NE(nullptr, h);
        EXPECT_EQ(c.width, h->biWidth);
        EXPECT_EQ(c.height, h->biHeight);
        EXPECT_EQ(4, h->biBitCount);
        EXPECT_EQ((DWORD)BI_RGB, h->biCompression);
        // Every image draws something on the light grey of the button face.
        const RGBQUAD* palette = (const RGBQUAD*)(h + 1);
        const BYTE* bits = (const BYTE*)(palette + 16);
        int stride = ((c.width * 4 + 31) / 32) * 4;
        int image = c.width / 7;
        for (int i = 0; i < 7; ++i) {
            int drawn = 0;
            for (int y = 0; y < c.height; ++y)
                for (int x = i * image; x < (i + 1) * image; ++x) {
                    BYTE b = bits[y * stride + x / 2];
                    int index = (x % 2) ? (b & 0x0F) : (b >> 4);
                    const RGBQUAD& q = palette[index];
                    if (!(q.rgbRed == 192 && q.rgbGreen == 192 && q.rgbBlue == 192)) ++drawn;
                }
            EXPECT_GT(drawn, image * c.height / 5) << "image " << i << " of " << c.id;
        }
    }
}

TEST_F(MainWindowTest, ProgramIconHasItsThreeImages) {
    HRSRC res = FindResourceA(nullptr, "Bravik", (LPCSTR)RT_GROUP_ICON);
    ASSERT_NE(nullptr, res);
    const BYTE* dir = (const BYTE*)LockResource(LoadResource(nullptr, res));
    ASSERT_NE(nullptr, dir);
    WORD count;
    memcpy(&count, dir + 4, sizeof count);
    ASSERT_EQ(3, count);
    const struct {
        int size, bits;
    } want[] = {{32, 4}, {16, 4}, {48, 8}};
    for (int i = 0; i < 3; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // packed directory entries of 14 bytes
        WORD bits;
        memcpy(&bits, entry + 6, sizeof bits);
        EXPECT_EQ(want[i].size, entry[0]) << i;
        EXPECT_EQ(want[i].size, entry[1]) << i;
        EXPECT_EQ(want[i].bits, bits) << i;
    }
    // The class icons load at their sizes.
    EXPECT_NE(nullptr, LoadImageA(GetModuleHandleA(nullptr), "Bravik", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    EXPECT_NE(nullptr, LoadIconA(GetModuleHandleA(nullptr), "Bravik"));
}

TEST_F(MainWindowTest, DroppedFilesFollowTheMakRule) {
    CreateMain();
    std::string good = Makefile("bvtest6_drop.mak", VariantMakefile);
    std::string upper = Makefile("BVTEST6_UPPER.MAK", VariantMakefile);
    std::string plain = Makefile("MAKEFILE", VariantMakefile);
    SetWindowTextA(AppState.mainWindow, "before");
    SendMessageA(AppState.mainWindow, WM_DROPFILES, (WPARAM)MakeDrop(upper.c_str()), 0);
    EXPECT_EQ("before", WindowTitle()) << "capital extension ignored";
    SendMessageA(AppState.mainWindow, WM_DROPFILES, (WPARAM)MakeDrop(plain.c_str()), 0);
    EXPECT_EQ("before", WindowTitle()) << "MAKEFILE ignored";
    SendMessageA(AppState.mainWindow, WM_DROPFILES, (WPARAM)MakeDrop(good.c_str()), 0);
    EXPECT_EQ("bvtest6_drop.mak - Bravik", WindowTitle());
    EXPECT_EQ(3, SendMessageA(AppState.variantListBox, LB_GETCOUNT, 0, 0));
}

TEST_F(MainWindowTest, RunCommandWithNothingSelected) {
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_none.mak", VariantMakefile).c_str()));
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, (WPARAM)-1, 0);
    EXPECT_EQ(RUN_NOTHING_SELECTED, RunSelectedVariants());
    EXPECT_FALSE(CloseRequested());

    // Several at once, none selected: the batch runs nothing and counts as closed,
    // so an unattended run ends the program; the flags are as before.
    AppState.settings.flags = FLAG_MULTI_SELECT;
    SyncListMode();
    SendMessageA(AppState.variantListBox, LB_SETSEL, FALSE, -1);
    uint32_t word = GetKindFlagsWord(AppState.settings);
    EXPECT_EQ(RUN_CLOSED, RunSelectedVariants());
    EXPECT_FALSE(CloseRequested());
    AppState.runAtStart = 1;
    EXPECT_EQ(RUN_CLOSED, RunSelectedVariants());
    EXPECT_TRUE(CloseRequested());
    EXPECT_EQ(word, GetKindFlagsWord(AppState.settings));
}

namespace {

// GNU make for Windows, as the test runner names it (a Unix path), seen through Z:.
std::string GnuMake() {
    char unix[MAX_PATH];
    if (!GetEnvironmentVariableA("GNUMAKE", unix, sizeof unix)) return "";
    std::string path = std::string("Z:") + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES ? "" : path;
}

}  // namespace

TEST_F(MainWindowTest, BatchOfThreeCleanRunsRunsAllAndRestoresTheWord) {
    std::string make = GnuMake();
    if (make.empty()) GTEST_SKIP() << "GNUMAKE not set";
    std::string log = TempPath("runs.log");
    DeleteFileA(log.c_str());
    RemoveLater(log);
    std::string mak = Makefile("bvtest6_batch.mak",
                               "#Bravik \"V=1\" one\n#Bravik \"V=2\" two\n#Bravik \"V=3\" three\n"
                               "all:\n\t@echo V$(V)>> runs.log\n");
    SettingsRecord& s = AppState.settings;
    lstrcpyA(s.makeExe, make.c_str());
    lstrcpyA(s.makeOptions, "-f %s");
    s.editorKind = EDITOR_HIDEMARU;
    s.flags = FLAG_MULTI_SELECT | FLAG_HIGHLIGHT_ERRORS;  // closeOnSuccess off: the batch turns it on
    s.reservedWord = 0xABCD;
    uint32_t word = GetKindFlagsWord(s);
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(mak.c_str()));
    ASSERT_TRUE(GetWindowLongA(AppState.variantListBox, GWL_STYLE) & LBS_MULTIPLESEL);
    SendMessageA(AppState.variantListBox, LB_SETSEL, TRUE, -1);

    EXPECT_EQ(RUN_CLOSED, RunSelectedVariants());
    std::string runs = ReadFile(log);
    runs.erase(std::remove(runs.begin(), runs.end(), '\r'), runs.end());
    EXPECT_EQ("V1\nV2\nV3\n", runs) << "each run dialog closed itself, so all three ran";
    EXPECT_EQ(word, GetKindFlagsWord(s)) << "the whole word at 3124 is back, upper half included";
    EXPECT_FALSE(CloseRequested());
}
