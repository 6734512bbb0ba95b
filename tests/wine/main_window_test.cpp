#include "bravik/ui/main_window.h"

#include <shellapi.h>
#include <shlobj.h>

#include <tuple>

#include "bravik/core/main.h"
#include "bravik/core/main.h"
#include "bravik/core/toolbar.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/toolbar.h"
#include "main_window_fixture.h"

using namespace mainwindowtest;

namespace {

const char VariantMakefile[] = "#Bravik \"V=1\" 一番目\n#Bravik \"V=2 X=y\" 二番目\n#Bravik \"\" 三番目\nall:\n";

// The list box where the layout rule puts it for the bars as they are now.
void ExpectListBetweenBars() {
    RECT client, toolbar = {}, status = {}, got;
    GetClientRect(AppState.mainWindow, &client);
    if (AppState.toolbarWindow) GetClientRect(AppState.toolbarWindow, &toolbar);
    if (AppState.statusWindow) GetClientRect(AppState.statusWindow, &status);
    GetWindowRect(AppState.variantListBox, &got);
    MapWindowPoints(nullptr, AppState.mainWindow, (POINT*)&got, 2);
    ListPlacement want = PlaceVariantList(client.right, client.bottom, toolbar.bottom, status.bottom);
    EXPECT_EQ(std::make_tuple(want.x, want.y, want.width, want.height),
              std::make_tuple(got.left, got.top, got.right - got.left, got.bottom - got.top));
}

// A menu's items from the given position on, "id text" a line, "-" for a separator.
std::string MenuItems(HMENU menu, int from) {
    std::string items;
    for (int i = from; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        bool separator = GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR;
        items += (separator ? std::string("-") : std::to_string((int)GetMenuItemID(menu, i)) + " " + text) + "\n";
    }
    return items;
}

}  // namespace

TEST_F(MainWindowTest, CreationBuildsBarsAndWindowMenuItemsAndTheStatusBarToggles) {
    HWND main = CreateMain();
    EXPECT_EQ(CommonControlsVersionFrom(true, 5, 81), AppState.commonControlsVersion);  // Wine's comctl32
    EXPECT_TRUE(GetWindowLongA(AppState.toolbarWindow, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    ExpectListBetweenBars();

    HMENU menu = GetSystemMenu(main, FALSE);
    EXPECT_EQ("-\n105 ｽﾃｰﾀｽﾊﾞｰ(&T)\n104 環境の設定(&E)...\n102 Ｍａｋｅの実行(&K)\n",
              MenuItems(menu, GetMenuItemCount(menu) - 4));

    HWND status = AppState.statusWindow;
    ASSERT_NE(nullptr, status);
    SendMessageA(main, WM_COMMAND, CMD_STATUSBAR, 0);
    EXPECT_EQ(nullptr, AppState.statusWindow);
    EXPECT_FALSE(IsWindow(status));
    EXPECT_EQ(0, AppState.settings.statusBarShown);
    ExpectListBetweenBars();
    SendMessageA(main, WM_SYSCOMMAND, CMD_STATUSBAR, 0);  // from the window menu
    ASSERT_NE(nullptr, AppState.statusWindow);
    EXPECT_EQ(1, AppState.settings.statusBarShown);
    ExpectListBetweenBars();
    SetWindowPos(main, nullptr, 0, 0, 600, 500, SWP_NOMOVE | SWP_NOZORDER);
    ExpectListBetweenBars();
}

TEST_F(MainWindowTest, ToolbarInEachStyle) {
    const char* const labels[] = {"開く", "設定", "実行", "編集", "ヘルプ", "情報", "終了"};
    for (int style : {0, 1, 2, 3, 4, 7, -1}) {
        SCOPED_TRACE(style);
        AppState.settings.toolbarStyle = style;
        CreateMain();
        HWND tb = AppState.toolbarWindow;
        ToolbarLook look = ToolbarLookFor(style, AppState.commonControlsVersion);
        EXPECT_EQ(look.flat, (GetWindowLongA(tb, GWL_STYLE) & TBSTYLE_FLAT) != 0);
        BITMAP bm;
        ASSERT_NE(0, GetObjectA(toolbarBitmap, sizeof bm, &bm));
        EXPECT_EQ(std::make_tuple(look.imageWidth * TOOLBAR_IMAGE_COUNT, look.imageHeight),
                  std::make_tuple((int)bm.bmWidth, (int)bm.bmHeight));
        ASSERT_EQ(TOOLBAR_PLACE_COUNT, SendMessageA(tb, TB_BUTTONCOUNT, 0, 0));
        for (int i = 0; i < TOOLBAR_PLACE_COUNT; ++i) {
            TBBUTTON b = {};
            char text[64] = "";
            SendMessageA(tb, TB_GETBUTTON, i, (LPARAM)&b);
            LRESULT len = SendMessageA(tb, TB_GETBUTTONTEXTA, b.idCommand, (LPARAM)text);
            if (ToolbarPlaces[i].command == 0) {
                EXPECT_EQ(TBSTYLE_SEP, b.fsStyle & TBSTYLE_SEP) << i;
                continue;
            }
            EXPECT_EQ(std::make_tuple(ToolbarPlaces[i].command, ToolbarPlaces[i].imageIndex, TBSTATE_ENABLED),
                      std::make_tuple(b.idCommand, b.iBitmap, b.fsState & TBSTATE_ENABLED)) << i;
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
        DestroyMain();
        EXPECT_EQ(nullptr, toolbarBitmap);  // released with the window
        EXPECT_EQ(nullptr, AppState.toolbarWindow);
    }
}

TEST_F(MainWindowTest, WindowMenuRebuildsExactlyOneVariantSubmenu) {
    CreateMain();
    HMENU menu = GetSystemMenu(AppState.mainWindow, FALSE);
    int standard = GetMenuItemCount(menu);
    auto open = [&] {  // what follows the menu's own items once it opens
        SendMessageA(AppState.mainWindow, WM_INITMENUPOPUP, (WPARAM)menu, MAKELPARAM(0, TRUE));
        return MenuItems(menu, standard);
    };
    auto checked = [&] { return (GetMenuState(menu, CMD_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    EXPECT_EQ("", open()) << "no makefile, no submenu";
    EXPECT_TRUE(checked());
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    open();
    EXPECT_FALSE(checked()) << "the check mark follows the status bar";

    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_menu.mak", VariantMakefile).c_str()));
    for (int opening = 0; opening < 3; ++opening) {
        EXPECT_EQ("-1 指定をＭａｋｅ\n", open()) << "exactly one submenu at opening " << opening;
        EXPECT_EQ("200 一番目\n201 二番目\n202 三番目\n", MenuItems(GetSubMenu(menu, standard), 0));
    }
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_plain.mak", "all:\n").c_str()));
    EXPECT_EQ("-1 指定をＭａｋｅ\n", open());
    EXPECT_EQ(2, GetMenuItemCount(GetSubMenu(menu, standard))) << "the submenu follows the list box";
}

TEST_F(MainWindowTest, ListSelectionShowsMacrosAndTooltipsWorkWithoutStatusBar) {
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_sel.mak", VariantMakefile).c_str()));
    HWND list = AppState.variantListBox;
    for (int i : {1, 2, 0}) {
        SendMessageA(list, LB_SETCURSEL, i, 0);
        SendMessageA(AppState.mainWindow, WM_COMMAND, MAKEWPARAM(ID_VARIANTLIST, LBN_SELCHANGE), (LPARAM)list);
        char text[512] = "";
        SendMessageA(AppState.statusWindow, SB_GETTEXTA, 0, (LPARAM)text);  // the simple text, in simple mode
        EXPECT_TRUE(SendMessageA(AppState.statusWindow, SB_ISSIMPLE, 0, 0)) << i;
        EXPECT_STREQ(AppState.variantMacros[i], text) << i;
    }
    SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_STATUSBAR, 0);
    NMTTDISPINFOA info = {};
    info.hdr = {nullptr, CMD_SETTINGS, (UINT)TTN_NEEDTEXTA};
    EXPECT_EQ(0, SendMessageA(AppState.mainWindow, WM_NOTIFY, 0, (LPARAM)&info));
    ASSERT_NE(nullptr, info.lpszText);
    EXPECT_STREQ("環境の設定", info.lpszText) << "the tooltip alone";
    NMHDR pop = {nullptr, 0, (UINT)TTN_POP};
    EXPECT_EQ(0, SendMessageA(AppState.mainWindow, WM_NOTIFY, 0, (LPARAM)&pop));
}

TEST_F(MainWindowTest, StringTableHoldsDescriptionsAndTooltips) {
    const struct { int id; const char *description, *tooltip; } cases[] = {
        {101, "今の内容を破棄して、ファイルから新しいＭＡＫＥファイルを読み込みます。", "ＭＡＫＥファイルの設定"},
        {102, "設定内容に従って選択した条件のＭａｋｅを実行します。", "Ｍａｋｅの実行"},
        {103, "今の内容を破棄して、Ｂｒａｖｉｋを終了します。", "Ｂｒａｖｉｋの終了"},
        {104, "環境の設定を行ないます。", "環境の設定"},
        {105, "ステータスバーを表示または消去します。", "ステータスバーをオンオフ"},
        {106, "Ｍａｋｅファイルを編集します。", "Ｍａｋｅファイルの編集"},
        {107, "Ｂｒａｖｉｋのヘルプの目次か検索を行います。", "ヘルプの目次か検索を表示"},
        {108, "ＷｉｎＨｅｌｐのヘルプを表示します。", "ヘルプののヘルプ"},
        {109, "バージョンと著作権を表示します。", "バージョンと著作権の表示"},
    };
    for (const auto& c : cases) {
        char description[128] = "", tooltip[128] = "";
        LoadStringA(AppState.instance, c.id, description, sizeof description);
        LoadStringA(AppState.instance, c.id + 100, tooltip, sizeof tooltip);
        EXPECT_STREQ(c.description, description) << c.id;
        EXPECT_STREQ(c.tooltip, tooltip) << c.id + 100;
    }
}

TEST_F(MainWindowTest, ToolbarBitmapsAndProgramIcon) {
    const struct { int id, width, height; } bitmaps[] = {{IDB_TOOLBAR_SMALL, 112, 15}, {IDB_TOOLBAR_LARGE, 147, 20}};
    for (const auto& c : bitmaps) {
        HRSRC res = FindResourceA(nullptr, MAKEINTRESOURCEA(c.id), (LPCSTR)RT_BITMAP);
        ASSERT_NE(nullptr, res) << c.id;
        const BITMAPINFOHEADER* h = (const BITMAPINFOHEADER*)LockResource(LoadResource(nullptr, res));
        EXPECT_EQ(std::make_tuple(c.width, c.height, 4, (DWORD)BI_RGB),
                  std::make_tuple((int)h->biWidth, (int)h->biHeight, (int)h->biBitCount, h->biCompression));
        // Seven 16-colour images side by side, each drawing on the light grey of the button face.
        const RGBQUAD* palette = (const RGBQUAD*)(h + 1);
        const BYTE* bits = (const BYTE*)(palette + 16);
        int stride = ((c.width * 4 + 31) / 32) * 4, image = c.width / 7;
        for (int i = 0; i < 7; ++i) {
            int drawn = 0;
            for (int y = 0; y < c.height; ++y)
                for (int x = i * image; x < (i + 1) * image; ++x) {
                    BYTE b = bits[y * stride + x / 2];
                    const RGBQUAD& q = palette[(x % 2) ? (b & 0x0F) : (b >> 4)];
                    drawn += !(q.rgbRed == 192 && q.rgbGreen == 192 && q.rgbBlue == 192);
                }
            EXPECT_GT(drawn, image * c.height / 5) << "image " << i << " of " << c.id;
        }
    }
    EXPECT_NE(nullptr, LoadImageA(AppState.instance, "Bravik", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    EXPECT_NE(nullptr, LoadIconA(AppState.instance, "Bravik"));
}

TEST_F(MainWindowTest, DroppedFilesFollowTheMakRule) {
    CreateMain();
    SetWindowTextA(AppState.mainWindow, "before");
    const struct { const char *name, *title; } cases[] = {
        {"BVTEST6_UPPER.MAK", "before"},  // a capital extension is ignored
        {"bvtest6_drop.mak", "bvtest6_drop.mak - Bravik"},
    };
    for (const auto& c : cases) {
        std::string path = Makefile(c.name, VariantMakefile);
        char* drop = (char*)GlobalAlloc(GPTR, sizeof(DROPFILES) + path.size() + 2);  // a fixed block is its own handle
        ((DROPFILES*)drop)->pFiles = sizeof(DROPFILES);
        strcpy(drop + sizeof(DROPFILES), path.c_str());
        SendMessageA(AppState.mainWindow, WM_DROPFILES, (WPARAM)drop, 0);
        char title[300] = "";
        GetWindowTextA(AppState.mainWindow, title, sizeof title);
        EXPECT_STREQ(c.title, title) << c.name;
    }
}

TEST_F(MainWindowTest, RunCommandWithNothingSelected) {
    CreateMain();
    ASSERT_EQ(1, ReadMakefile(Makefile("bvtest6_none.mak", VariantMakefile).c_str()));
    MSG close;
    auto closeRequested = [&] { return PeekMessageA(&close, AppState.mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0; };
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, (WPARAM)-1, 0);
    EXPECT_EQ(RUN_NOTHING_SELECTED, RunSelectedVariants());
    EXPECT_FALSE(closeRequested());
    // Several at once, none selected: the batch counts as closed, so an unattended run ends the program.
    AppState.settings.flags = FLAG_MULTI_SELECT;
    SyncListMode();
    SendMessageA(AppState.variantListBox, LB_SETSEL, FALSE, -1);
    EXPECT_EQ(RUN_CLOSED, RunSelectedVariants());
    EXPECT_FALSE(closeRequested());
    AppState.runAtStart = 1;
    EXPECT_EQ(RUN_CLOSED, RunSelectedVariants());
    EXPECT_TRUE(closeRequested());
}
