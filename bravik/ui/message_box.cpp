#include "bravik/ui/message_box.h"

#include <string.h>

#include "bravik/ui/app_state.h"
#include "bravik/ui/settings_store.h"

static const char* currentCaption;
static HHOOK hookHandle;
static bool boxPlaced;  // set once the box has been moved when first activated

// The rectangle to centre on: the main window's, or while it is minimised or
// hidden its restored one (a minimised window's own rectangle is the icon's,
// far off screen), or the work area when that is off screen as well.
static RECT CentringRect() {
    HWND main = AppState.mainWindow;
    RECT r;
    if (IsWindowVisible(main) && !IsIconic(main)) {
        GetWindowRect(main, &r);
        return r;
    }
    if (GetNormalRect(main, &r) && MonitorFromRect(&r, MONITOR_DEFAULTTONULL)) return r;
    MONITORINFO monitor;
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &monitor)) return monitor.rcWork;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

static POINT CentredOverMain(int w, int h) {
    RECT r = CentringRect();
    int dx = (r.right - r.left - w) / 2;
    int dy = (r.bottom - r.top - h) / 2;
    // A box larger than the main window lines up with its left or top edge.
    if (dx < 0) dx = 0;
    if (dy < 0) dy = 0;
    POINT p = {r.left + dx, r.top + dy};
    return p;
}

LRESULT CALLBACK CenterMessageBoxHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0) return CallNextHookEx(hookHandle, code, wParam, lParam);
    if (code == HCBT_CREATEWND && currentCaption && AppState.mainWindow) {
        CBT_CREATEWNDA* create = (CBT_CREATEWNDA*)lParam;
        CREATESTRUCTA* cs = create ? create->lpcs : nullptr;
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && strcmp(cs->lpszName, currentCaption) == 0) {
            POINT p = CentredOverMain(cs->cx, cs->cy);
            cs->x = p.x;
            cs->y = p.y;
        }
    } else if (code == HCBT_ACTIVATE && currentCaption && AppState.mainWindow && !boxPlaced) {
        // Some message box implementations give the box its caption and place it
        // only after creation (Wine does); the box is recognised again when it is
        // first activated, by its dialog class and caption, and moved then.
        HWND box = (HWND)wParam;
        char cls[16], title[256];
        if (GetClassNameA(box, cls, sizeof cls) && strcmp(cls, "#32770") == 0 &&
            GetWindowTextA(box, title, sizeof title) >= 0 && strcmp(title, currentCaption) == 0) {
            RECT r;
            GetWindowRect(box, &r);
            POINT p = CentredOverMain(r.right - r.left, r.bottom - r.top);
            SetWindowPos(box, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            boxPlaced = true;
        }
    }
    return CallNextHookEx(hookHandle, code, wParam, lParam);
}

int ShowCenteredMessage(HWND owner, const char* text, const char* caption, UINT type) {
    currentCaption = caption;
    boxPlaced = false;
    hookHandle = SetWindowsHookExA(WH_CBT, CenterMessageBoxHook, nullptr, GetCurrentThreadId());
    if (type & 0x30) MessageBeep(MB_ICONHAND);
    int result = MessageBoxA(owner, text, caption, type);
    currentCaption = nullptr;
    if (hookHandle) UnhookWindowsHookEx(hookHandle);
    hookHandle = nullptr;
    return result;
}
