#include "bravik/ui/main_window.h"

#include <commdlg.h>
#include <shellapi.h>
#include <string.h>

#include "bravik/ui/app_state.h"
#include "bravik/ui/makefile_reader.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/settings_store.h"

const char MainWindowClassName[] = "BravikClass";

static HMODULE richEditModule;

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
    int toolbar = ClientHeight(AppState.toolbarWindow);
    int status = ClientHeight(AppState.statusWindow);
    MoveWindow(AppState.variantListBox, 0, toolbar + 2, client.right, client.bottom - status - toolbar - 2, TRUE);
}

void CreateVariantListBox(HWND parent, BOOL replaceExisting) {
    if (replaceExisting && AppState.variantListBox) DestroyWindow(AppState.variantListBox);
    DWORD style = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    if (AppState.settings.flags & FLAG_MULTI_SELECT) style |= LBS_MULTIPLESEL;
    AppState.variantListBox = CreateWindowExA(0, "LISTBOX", "", style, 0, 0, 0, 0, parent,
                                              (HMENU)(INT_PTR)ID_VARIANTLIST, AppState.instance, nullptr);
    LayoutVariantList();
}

int ChooseMakefile(HWND owner) {
    char file[260] = "";
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = "Bravikﾌｧｲﾙ形式(*.mak)\0*.mak;MAKEFILE\0すべてのﾌｧｲﾙ形式(*.*)\0*.*\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    ofn.lpstrDefExt = "mak";
    if (!GetOpenFileNameA(&ofn)) return 0;
    return ReadMakefile(file);
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
    richEditModule = LoadLibraryA("RICHED20.DLL");
    if (!richEditModule) richEditModule = LoadLibraryA("RICHED32.DLL");
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
    char path[260];
    if (DragQueryFileA(drop, 0, path, sizeof path) && strlen(path) > 5 && strstr(path, ".mak"))
        ReadMakefile(path);
    DragFinish(drop);
}

// One routine for commands from buttons, accelerators and the window menu.
// Returns false for ids that belong to default processing.
static bool OnCommand(HWND hwnd, WPARAM wParam) {
    int id = LOWORD(wParam);
    switch (id) {
    case CMD_OPEN: ChooseMakefile(hwnd); return true;
    case CMD_EXIT: PostMessageA(hwnd, WM_CLOSE, 0, 0); return true;
    }
    return id >= CMD_OPEN && id <= CMD_ABOUT;
}

static void OnDestroy() {
    if (AppState.toolbarWindow) DestroyWindow(AppState.toolbarWindow);
    AppState.toolbarWindow = nullptr;
    if (richEditModule) FreeLibrary(richEditModule);
    richEditModule = nullptr;
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
    case WM_CLOSE: SaveSettings(); break;
    case WM_DESTROY: OnDestroy(); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}
