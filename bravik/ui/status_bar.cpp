#include "bravik/ui/status_bar.h"

#include <commctrl.h>

#include "bravik/ui/app_state.h"
#include "bravik/ui/resource.h"

HWND CreateStatusBar(const char* text) {
    AppState.statusWindow = CreateStatusWindowA(WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_BOTTOM, text,
                                                AppState.mainWindow, ID_STATUSBAR);
    return AppState.statusWindow;
}

void ShowStatusHelp(const char* text) {
    if (!AppState.statusWindow) return;
    SendMessageA(AppState.statusWindow, SB_SIMPLE, TRUE, 0);
    SendMessageA(AppState.statusWindow, SB_SETTEXTA, 255, (LPARAM)(text ? text : ""));
}

void OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    if (!AppState.statusWindow) return;
    UINT id = LOWORD(wParam);
    UINT flags = HIWORD(wParam);
    // The ids of the variant items overlap the tooltip strings (201 and on),
    // so they show the variant's macros, as a selection in the list does.
    if (id >= CMD_VARIANT_FIRST && id <= CMD_VARIANT_LAST && !(flags & MF_POPUP) && flags != 0xFFFF) {
        int index = (int)id - CMD_VARIANT_FIRST;
        const char* macros = index < MAX_VARIANTS ? AppState.variantMacros[index] : nullptr;
        ShowStatusHelp(macros ? macros : "");
        return;
    }
    static UINT noIds[2] = {0, 0};
    MenuHelp(WM_MENUSELECT, wParam, lParam, GetMenu(AppState.mainWindow), AppState.instance,
             AppState.statusWindow, noIds);
}
