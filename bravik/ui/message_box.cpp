#include "bravik/ui/message_box.h"

#include <string.h>

#include "bravik/ui/app_state.h"

static const char* currentCaption;
static HHOOK hookHandle;
static HWND boxToPlace;  // the box announced at creation, placed again when activated

static POINT CentredOverMain(int w, int h) {
    RECT r;
    GetWindowRect(AppState.mainWindow, &r);
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
            boxToPlace = (HWND)wParam;
        }
    } else if (code == HCBT_ACTIVATE && boxToPlace && (HWND)wParam == boxToPlace) {
        // Some message box implementations place themselves after creation;
        // moving the box when it is first activated keeps it centred there too.
        RECT box;
        GetWindowRect(boxToPlace, &box);
        POINT p = CentredOverMain(box.right - box.left, box.bottom - box.top);
        SetWindowPos(boxToPlace, nullptr, p.x, p.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        boxToPlace = nullptr;
    }
    return CallNextHookEx(hookHandle, code, wParam, lParam);
}

int ShowCenteredMessage(HWND owner, const char* text, const char* caption, UINT type) {
    currentCaption = caption;
    hookHandle = SetWindowsHookExA(WH_CBT, CenterMessageBoxHook, nullptr, GetCurrentThreadId());
    if (type & 0x30) MessageBeep(MB_ICONHAND);
    int result = MessageBoxA(owner, text, caption, type);
    currentCaption = nullptr;
    boxToPlace = nullptr;
    if (hookHandle) UnhookWindowsHookEx(hookHandle);
    hookHandle = nullptr;
    return result;
}
