#include "bravik/ui/main_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <stdio.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/main.h"
#include "bravik/ui/about_box.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/settings_dialog.h"
#include "bravik/ui/file_association.h"
#include "bravik/ui/file_dialog.h"
#include "bravik/ui/help.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/run_make.h"
#include "bravik/ui/settings_store.h"
#include "bravik/ui/status_bar.h"
#include "bravik/ui/toolbar.h"

const char MainWindowClassName[] = "BravikClass";

static HMODULE richEditModule;
// The variant submenu appended at the last opening of the window menu. It is
// found again by its handle: the number of the system's own items in the
// window menu is not the same on every system.
static HMENU variantSubmenu;

static const char VariantSubmenuText[] = "指定をＭａｋｅ";

ATOM RegisterMainWindowClass(HINSTANCE instance) {
    WNDCLASSEXA wc;
    memset(&wc, 0, sizeof wc);
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = MainWindowProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, AppState.resourceName);
    wc.hIconSm = (HICON)LoadImageA(instance, AppState.resourceName, IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR);
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = MainWindowClassName;
    return RegisterClassExA(&wc);
}

static int ClientHeight(HWND hwnd) {
    RECT r;
    if (!hwnd || !GetClientRect(hwnd, &r)) return 0;
    return r.bottom - r.top;
}

void LayoutVariantList() {
    if (!AppState.variantListBox) return;
    RECT client;
    GetClientRect(AppState.mainWindow, &client);
    ListPlacement p = PlaceVariantList(client.right, client.bottom, ClientHeight(AppState.toolbarWindow),
                                       ClientHeight(AppState.statusWindow));
    MoveWindow(AppState.variantListBox, p.x, p.y, p.width, p.height, TRUE);
}

void CreateVariantListBox(HWND parent, BOOL replaceExisting) {
    if (replaceExisting && AppState.variantListBox) DestroyWindow(AppState.variantListBox);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    if (AppState.settings.flags & FLAG_MULTI_SELECT) style |= LBS_MULTIPLESEL;
    AppState.variantListBox = CreateWindowExA(0, "LISTBOX", "", style, 0, 0, 0, 0, parent,
                                              (HMENU)(INT_PTR)ID_VARIANTLIST, AppState.instance, nullptr);
    LayoutVariantList();
}

int OpenMakefile(const char* name) {
    int result = ReadMakefile(name);
    UpdateTitle();
    if (result) SyncListMode();
    return result;
}

void UpdateTitle() {
    char title[300];
    if (AppState.makefilePath[0] == '\0') {
        snprintf(title, sizeof title, "No File - Bravik");
    } else {
        char fileTitle[PATH_SIZE];
        if (GetFileTitleA(AppState.makefilePath, fileTitle, sizeof fileTitle) != 0)
            cp932::CopyCut(fileTitle, sizeof fileTitle, AppState.makefilePath);
        snprintf(title, sizeof title, "%s - Bravik", fileTitle);
    }
    SetWindowTextA(AppState.mainWindow, title);
}

void SyncListMode() {
    HWND old = AppState.variantListBox;
    bool multi = (AppState.settings.flags & FLAG_MULTI_SELECT) != 0;
    LONG style = GetWindowLongA(old, GWL_STYLE);
    if (((style & LBS_MULTIPLESEL) != 0) == multi) return;

    CreateVariantListBox(AppState.mainWindow, FALSE);
    int count = (int)SendMessageA(old, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char label[512] = "";
        if (SendMessageA(old, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof label)
            SendMessageA(old, LB_GETTEXT, i, (LPARAM)label);
        SendMessageA(AppState.variantListBox, LB_INSERTSTRING, i, (LPARAM)label);
    }
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
    DestroyWindow(old);
}

int ChooseMakefile(HWND owner) {
    char file[PATH_SIZE];
    if (!ChooseExistingFile(owner, "Bravikﾌｧｲﾙ形式(*.mak)\0*.mak;MAKEFILE\0すべてのﾌｧｲﾙ形式(*.*)\0*.*\0", nullptr,
                            "mak", file, sizeof file))
        return 0;
    return OpenMakefile(file);
}

namespace {

// Each run goes to the run dialog; runAutoClosed tells whether it closed itself.
// A start that fails opens no dialog, so the flag is cleared first: left from
// an earlier run it would carry a batch on past the failure.
class RunDialogRunner : public VariantRunner {
public:
    int RunVariant(int index) override {
        runAutoClosed = 0;
        return RunMake(AppState.mainWindow, index);
    }
    bool LastRunClosedItself() override { return runAutoClosed != 0; }
};

}  // namespace

static void PostClose() { PostMessageA(AppState.mainWindow, WM_CLOSE, 0, 0); }

int RunSelectedVariants() {
    RunDialogRunner runner;
    HWND list = AppState.variantListBox;
    int outcome;
    if (AppState.settings.flags & FLAG_MULTI_SELECT) {
        int selected[MAX_VARIANTS];
        int count = (int)SendMessageA(list, LB_GETSELITEMS, MAX_VARIANTS, (LPARAM)selected);
        if (count < 0) count = 0;
        outcome = RunVariantBatch(runner, AppState.settings, selected, count);
    } else {
        int current = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
        if (current == LB_ERR) return RUN_NOTHING_SELECTED;
        outcome = RunVariantUntilDone(runner, current, nullptr);
    }
    AfterRunAction after = DecideAfterRun(outcome, AppState.runAtStart != 0);
    if (after.postClose) PostClose();
    if (after.showWindow) {
        AppState.runAtStart = 0;
        ShowWindow(AppState.mainWindow, SW_SHOW);
        UpdateWindow(AppState.mainWindow);
    }
    return outcome;
}

int RunVariantItem(int index) {
    RunDialogRunner runner;
    int outcome = RunVariantUntilDone(runner, index, nullptr);
    if (outcome == RUN_QUIT_PROGRAM) PostClose();
    return outcome;
}

void ToggleStatusBar() {
    if (AppState.statusWindow) {
        DestroyWindow(AppState.statusWindow);
        AppState.statusWindow = nullptr;
    } else {
        CreateStatusBar(nullptr);
    }
    LayoutVariantList();
    AppState.settings.statusBarShown = AppState.statusWindow ? 1 : 0;
}

int EditMakefile() {
    if (!AppState.makefilePath[0]) return 0;
    char command[524];
    if (AppState.settings.editorExe[0])
        ComposeEditCommand(AppState.settings.editorExe, AppState.makefilePath, command, sizeof command);
    else
        GetAssociatedCommand(".txt", AppState.makefilePath, command, 512);
    if (!command[0]) return 0;
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}

static void RemoveVariantSubmenu(HMENU windowMenu) {
    if (!variantSubmenu) return;
    int count = GetMenuItemCount(windowMenu);
    for (int i = count - 1; i >= 0; --i) {
        if (GetSubMenu(windowMenu, i) == variantSubmenu) {
            DeleteMenu(windowMenu, i, MF_BYPOSITION);  // destroys the submenu too
            break;
        }
    }
    variantSubmenu = nullptr;
}

void OnWindowMenuOpening(HMENU windowMenu) {
    UINT check = AppState.statusWindow ? MF_CHECKED : MF_UNCHECKED;
    if (CheckMenuItem(windowMenu, CMD_STATUSBAR, MF_BYCOMMAND | check) == (DWORD)-1) return;
    RemoveVariantSubmenu(windowMenu);
    if (!AppState.variantMacros[0]) return;

    HMENU popup = CreatePopupMenu();
    if (!popup) return;
    int count = (int)SendMessageA(AppState.variantListBox, LB_GETCOUNT, 0, 0);
    if (count == LB_ERR) {
        DestroyMenu(popup);
        return;
    }
    if (count > MAX_VARIANTS) count = MAX_VARIANTS;
    for (int i = 0; i < count; ++i) {
        char label[512] = "";
        if (SendMessageA(AppState.variantListBox, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof label)
            SendMessageA(AppState.variantListBox, LB_GETTEXT, i, (LPARAM)label);
        AppendMenuA(popup, MF_STRING, CMD_VARIANT_FIRST + i, label);
    }
    if (AppendMenuA(windowMenu, MF_POPUP, (UINT_PTR)popup, VariantSubmenuText))
        variantSubmenu = popup;
    else
        DestroyMenu(popup);
}

static void AppendWindowMenuItems(HWND hwnd) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, CMD_STATUSBAR, "ｽﾃｰﾀｽﾊﾞｰ(&T)");
    AppendMenuA(menu, MF_STRING, CMD_SETTINGS, "環境の設定(&E)...");
    AppendMenuA(menu, MF_STRING, CMD_RUN, "Ｍａｋｅの実行(&K)");
}

static void OnCreate(HWND hwnd) {
    AppState.mainWindow = hwnd;
    InitCommonControlClasses();
    richEditModule = LoadLibraryA("RICHED20.DLL");
    if (!richEditModule) richEditModule = LoadLibraryA("RICHED32.DLL");
    CreateToolbar();
    if (AppState.settings.statusBarShown) CreateStatusBar("");
    CreateVariantListBox(hwnd, TRUE);
    AppendWindowMenuItems(hwnd);
    DragAcceptFiles(hwnd, TRUE);
}

static void OnSize(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (AppState.toolbarWindow) SendMessageA(AppState.toolbarWindow, msg, wParam, lParam);
    if (AppState.statusWindow) SendMessageA(AppState.statusWindow, msg, wParam, lParam);
    LayoutVariantList();
}

static void OnDropFiles(HDROP drop) {
    char path[PATH_SIZE];
    if (DragQueryFileA(drop, 0, path, sizeof path) && AcceptsDroppedFile(path)) OpenMakefile(path);
    DragFinish(drop);
}

static void OnListNotify(int code) {
    if (code == LBN_SELCHANGE) {
        int current = (int)SendMessageA(AppState.variantListBox, LB_GETCURSEL, 0, 0);
        if (current != LB_ERR && current < MAX_VARIANTS && AppState.statusWindow) {
            const char* macros = AppState.variantMacros[current];
            ShowStatusHelp(macros ? macros : "");
        }
    } else if (code == LBN_DBLCLK) {
        RunSelectedVariants();
    }
}

static void OnMainCommand(HWND hwnd, int id) {
    switch (id) {
    case CMD_OPEN: ChooseMakefile(hwnd); break;
    case CMD_RUN: RunSelectedVariants(); break;
    case CMD_EXIT: PostClose(); break;
    case CMD_SETTINGS:
        if (DialogBoxParamA(AppState.instance, "MAKEENVDLG", hwnd, SettingsDialogProc, 0) == 0) SyncListMode();
        break;
    case CMD_STATUSBAR: ToggleStatusBar(); break;
    case CMD_EDIT: EditMakefile(); break;
    case CMD_HELP: ShowHelpContents(hwnd); break;
    case CMD_HELPONHELP: ShowHelpOnHelp(hwnd); break;
    case CMD_ABOUT: DialogBoxParamA(AppState.instance, "ABOUTDLG", hwnd, AboutDialogProc, 0); break;
    }
}

// One routine for commands from buttons, accelerators, the window menu and
// the list box. Returns false for ids that belong to default processing.
static bool OnCommand(HWND hwnd, WPARAM wParam) {
    int id = LOWORD(wParam);
    switch (RouteCommand(id)) {
    case ROUTE_VARIANT: RunVariantItem(id - CMD_VARIANT_FIRST); return true;
    case ROUTE_LIST_NOTIFY: OnListNotify(HIWORD(wParam)); return true;
    case ROUTE_COMMAND: OnMainCommand(hwnd, id); return true;
    case ROUTE_DEFAULT: break;
    }
    return false;
}

static void OnDestroy() {
    DestroyToolbar();
    if (richEditModule) FreeLibrary(richEditModule);
    richEditModule = nullptr;
    variantSubmenu = nullptr;
    PostQuitMessage(0);
}

LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_CREATE: OnCreate(hwnd); break;
    case WM_SIZE: OnSize(hwnd, msg, wParam, lParam); break;
    case WM_DROPFILES: OnDropFiles((HDROP)wParam); break;
    case WM_COMMAND:
    case WM_SYSCOMMAND:
        if (OnCommand(hwnd, wParam)) return 0;
        break;
    case WM_NOTIFY: return OnToolbarNotify((const NMHDR*)lParam);
    case WM_MENUSELECT: OnMenuSelect(wParam, lParam); break;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lParam)) break;
        OnWindowMenuOpening((HMENU)wParam);
        return 0;
    case WM_CLOSE: SaveSettings(); break;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
