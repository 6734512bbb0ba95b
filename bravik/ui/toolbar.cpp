#include "bravik/ui/toolbar.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <string.h>

#include "bravik/core/toolbar.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/status_bar.h"

HBITMAP toolbarBitmap;

// Labels under the images of the large flat toolbar, by image index.
static const char* const ToolbarLabels[TOOLBAR_IMAGE_COUNT] = {
    "開く", "設定", "実行", "編集", "ヘルプ", "情報", "終了",
};

// The tooltip reads its text after the notification has returned, so the
// buffer must outlive the handler.
static char tooltipText[128];

int ProbeCommonControlsVersion() {
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (!library) return CommonControlsVersionFrom(false, 0, 0);
    DLLGETVERSIONPROC getVersion = (DLLGETVERSIONPROC)(void*)GetProcAddress(library, "DllGetVersion");
    bool answered = false;
    DLLVERSIONINFO info;
    memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    if (getVersion) answered = SUCCEEDED(getVersion(&info));
    FreeLibrary(library);
    return CommonControlsVersionFrom(answered, info.dwMajorVersion, info.dwMinorVersion);
}

void InitCommonControlClasses() {
    AppState.commonControlsVersion = ProbeCommonControlsVersion();
    if (UsesClassicControlRegistration(AppState.commonControlsVersion)) {
        InitCommonControls();
    } else {
        INITCOMMONCONTROLSEX classes;
        classes.dwSize = sizeof classes;
        classes.dwICC = 0xFF;
        InitCommonControlsEx(&classes);
    }
}

static bool ShowsLabels() {
    return ToolbarLookFor(AppState.settings.toolbarStyle, AppState.commonControlsVersion).labels;
}

void AddToolbarButton(HWND toolbar, int command, BYTE kind, int imageIndex) {
    TBBUTTON button;
    memset(&button, 0, sizeof button);
    button.iBitmap = imageIndex;
    button.idCommand = command;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = kind;
    if (ShowsLabels() && imageIndex >= 0 && imageIndex < TOOLBAR_IMAGE_COUNT) {
        // A list of one string: the label and two terminating zero bytes.
        char label[32];
        memset(label, 0, sizeof label);
        lstrcpynA(label, ToolbarLabels[imageIndex], (int)sizeof label - 1);
        button.iString = SendMessageA(toolbar, TB_ADDSTRINGA, 0, (LPARAM)label);
    }
    SendMessageA(toolbar, TB_INSERTBUTTONA, 99, (LPARAM)&button);
}

void AddToolbarSeparator(HWND toolbar, int width) {
    TBBUTTON separator;
    memset(&separator, 0, sizeof separator);
    separator.iBitmap = width;
    separator.fsStyle = TBSTYLE_SEP;
    SendMessageA(toolbar, TB_INSERTBUTTONA, 99, (LPARAM)&separator);
}

void CreateToolbar() {
    ToolbarLook look = ToolbarLookFor(AppState.settings.toolbarStyle, AppState.commonControlsVersion);
    DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS;
    if (look.flat) style |= TBSTYLE_FLAT;
    HWND toolbar = CreateWindowExA(WS_EX_TOOLWINDOW, TOOLBARCLASSNAMEA, nullptr, style, 0, 0, 0, 0,
                                   AppState.mainWindow, (HMENU)(INT_PTR)ID_TOOLBAR, AppState.instance, nullptr);
    AppState.toolbarWindow = toolbar;
    if (!toolbar) return;

    SendMessageA(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(toolbar, TB_SETBUTTONSIZE, 0, MAKELONG(look.buttonWidth, look.buttonHeight));
    SendMessageA(toolbar, TB_SETBITMAPSIZE, 0, MAKELONG(look.imageWidth, look.imageHeight));
    // No colour map: the bitmap's black, greys and white become the system's button colours.
    toolbarBitmap = CreateMappedBitmap(AppState.instance, look.bitmapId, 0, nullptr, 0);
    if (toolbarBitmap) {
        TBADDBITMAP images = {nullptr, (UINT_PTR)toolbarBitmap};
        SendMessageA(toolbar, TB_ADDBITMAP, TOOLBAR_IMAGE_COUNT, (LPARAM)&images);
    }
    for (const ToolbarPlace& place : ToolbarPlaces) {
        if (place.command == 0)
            AddToolbarSeparator(toolbar, 0);
        else
            AddToolbarButton(toolbar, place.command, TBSTYLE_BUTTON, place.imageIndex);
    }
    if (look.labels) SendMessageA(toolbar, TB_AUTOSIZE, 0, 0);
}

void DestroyToolbar() {
    if (AppState.toolbarWindow) DestroyWindow(AppState.toolbarWindow);
    AppState.toolbarWindow = nullptr;
    if (toolbarBitmap) DeleteObject(toolbarBitmap);
    toolbarBitmap = nullptr;
}

// Shows the command's description in the status bar and leaves its tooltip
// text in tooltipText.
static void PrepareTooltip(UINT_PTR command) {
    if (AppState.statusWindow && LoadStringA(AppState.instance, (UINT)command, tooltipText, sizeof tooltipText) > 0)
        ShowStatusHelp(tooltipText);
    if (LoadStringA(AppState.instance, (UINT)command + 100, tooltipText, sizeof tooltipText) <= 0)
        tooltipText[0] = '\0';
}

LRESULT OnToolbarNotify(const NMHDR* header) {
    if (!header) return 0;
    if (header->code == TTN_NEEDTEXTA) {
        NMTTDISPINFOA* info = (NMTTDISPINFOA*)header;
        PrepareTooltip(header->idFrom);
        info->hinst = nullptr;
        info->lpszText = tooltipText;
    } else if (header->code == TTN_POP) {
        // Only part 0 is cleared: the description stays in the simple part
        // until a menu closes or another text replaces it.
        if (AppState.statusWindow) SendMessageA(AppState.statusWindow, SB_SETTEXTA, 0, (LPARAM) "");
    }
    return 0;
}
