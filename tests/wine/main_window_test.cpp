// A real Bravik main window in the test process. Its toolbar styles, status
// bar, menu help, tooltips and commands are checked end to end by
// tests/e2e/main_window.sh; menus belong to a process, and drops and runs of
// nothing are not reachable from there.
#include "bravik/ui/main_window.h"

#include <shlobj.h>

#include "bravik/ui/app_state.h"
#include "bravik/ui/makefile_profile.h"
#include "wine_test_util.h"

TEST(MainWindow, VariantSubmenuDropsAndRunsOfNothing) {
    memset(&AppState, 0, sizeof AppState);
    AppState.instance = GetModuleHandleA(nullptr);
    lstrcpyA(AppState.resourceName, "Bravik");
    DefaultSettings(AppState.settings);
    DefaultPosition(AppState.position);
    RegisterMainWindowClass(AppState.instance);
    AppState.mainWindow = CreateWindowExA(0, MainWindowClassName, nullptr, WS_OVERLAPPEDWINDOW, 40, 40, 420, 320, nullptr,
                                          nullptr, AppState.instance, nullptr);
    const std::string makefile = TempDirectory() + "bvtest6_drop.mak";
    WriteFileText(makefile, "#Bravik \"V=1\" 一番目\n#Bravik \"\" 二番目\nall:\n");
    HMENU menu = GetSystemMenu(AppState.mainWindow, FALSE);
    const int standard = GetMenuItemCount(menu);
    auto open = [&] {  // the menu's items past its own once it opens, and those of the submenu
        SendMessageA(AppState.mainWindow, WM_INITMENUPOPUP, (WPARAM)menu, MAKELPARAM(0, TRUE));
        std::string items;
        for (HMENU m : {menu, GetSubMenu(menu, standard)})
            for (int i = m == menu ? standard : 0; m && i < GetMenuItemCount(m); ++i) {
                char text[64] = "";
                GetMenuStringA(m, i, text, sizeof text, MF_BYPOSITION);
                items += std::to_string((int)GetMenuItemID(m, i)) + " " + text + "|";
            }
        return items;
    };
    EXPECT_EQ("", open()) << "no makefile, no submenu";
    char* drop = (char*)GlobalAlloc(GPTR, sizeof(DROPFILES) + makefile.size() + 2);  // a fixed block is its own handle
    ((DROPFILES*)drop)->pFiles = sizeof(DROPFILES);
    strcpy(drop + sizeof(DROPFILES), makefile.c_str());
    SendMessageA(AppState.mainWindow, WM_DROPFILES, (WPARAM)drop, 0);
    EXPECT_EQ("bvtest6_drop.mak - Bravik", Text(AppState.mainWindow));
    for (int opening = 0; opening < 3; ++opening) EXPECT_EQ("-1 指定をＭａｋｅ|200 一番目|201 二番目|", open()) << opening;
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, (WPARAM)-1, 0);
    EXPECT_EQ(RUN_NOTHING_SELECTED, RunSelectedVariants());
    // Several at once, none selected: the batch counts as closed, so an unattended run ends the program.
    AppState.settings.flags = FLAG_MULTI_SELECT;
    AppState.runAtStart = 1;
    SyncListMode();
    EXPECT_EQ(0, RunSelectedVariants());
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, AppState.mainWindow, WM_CLOSE, WM_CLOSE, PM_REMOVE));
    DestroyWindow(AppState.mainWindow);
    for (MSG quit; PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);) continue;  // destruction posts one
    memset(&AppState, 0, sizeof AppState);
    DeleteFileA(makefile.c_str());
}
