#include "bravik/ui/message_box.h"

#include <gtest/gtest.h>

#include "bravik/ui/app_state.h"

namespace {

RECT seenBox;
char seenText[256];

// Runs inside the message box's modal loop: note where the box is, then close it.
void CALLBACK CloseBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "BvTest");
    if (!box) return;
    KillTimer(nullptr, id);
    GetWindowRect(box, &seenBox);
    GetDlgItemTextA(box, 0xFFFF, seenText, sizeof seenText);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

HWND MakeWindow(int x, int y, int w, int h, bool visible) {
    return CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), x, y, w, h,
                           nullptr, nullptr, nullptr, nullptr);
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

int Show(HWND owner, const char* text) {
    memset(&seenBox, 0, sizeof seenBox);
    seenText[0] = '\0';
    SetTimer(nullptr, 0, 50, CloseBox);
    return ShowCenteredMessage(owner, text, "BvTest", MB_ICONHAND);
}

}  // namespace

TEST(CenteredMessage, CentredOverTheMainWindowWhoeverOwnsIt) {
    // Minimised or hidden, the main window counts with its restored rectangle,
    // unless that is off screen too: then the work area does.
    MONITORINFO primary;
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    const struct { int x, y; bool visible; int show; bool onWorkArea; } cases[] = {
        {300, 200, true, SW_SHOWNORMAL, false},
        {300, 200, false, SW_HIDE, false},
        {300, 200, true, SW_MINIMIZE, false},
        {300, 200, false, SW_SHOWMINNOACTIVE, false},
        {-3000, -3000, true, SW_MINIMIZE, true},
        {-3000, -3000, false, SW_HIDE, true},
    };
    for (const auto& c : cases) {
        HWND main = MakeWindow(c.x, c.y, 600, 400, true);
        ShowWindow(main, c.show);
        if (!c.visible) ShowWindow(main, SW_HIDE);
        HWND owner = MakeWindow(0, 0, 200, 150, true);  // a dialog elsewhere on screen
        AppState.mainWindow = main;
        EXPECT_EQ(IDOK, Show(owner, "centre me"));
        EXPECT_STREQ("centre me", seenText);
        RECT restored = {c.x, c.y, c.x + 600, c.y + 400};
        POINT want = Centre(c.onWorkArea ? primary.rcWork : restored), got = Centre(seenBox);
        EXPECT_NEAR(want.x, got.x, 1) << c.x << " show " << c.show << " visible " << c.visible;
        EXPECT_NEAR(want.y, got.y, 1) << c.x << " show " << c.show << " visible " << c.visible;
        DestroyWindow(owner);
        DestroyWindow(main);
    }
    AppState.mainWindow = nullptr;
}

TEST(CenteredMessage, BoxLargerThanMainWindowAlignsWithItsTopLeft) {
    HWND main = MakeWindow(250, 180, 60, 40, true);
    AppState.mainWindow = main;
    Show(main, "a text long enough to make the box wider than a tiny main window");
    RECT r;
    GetWindowRect(main, &r);
    EXPECT_EQ(r.left, seenBox.left);
    EXPECT_EQ(r.top, seenBox.top);
    DestroyWindow(main);
    AppState.mainWindow = nullptr;
}

TEST(CenteredMessage, OtherCaptionsAndNoMainWindowAreLeftAlone) {
    AppState.mainWindow = nullptr;
    EXPECT_EQ(IDOK, Show(nullptr, "no main window"));
    EXPECT_STREQ("no main window", seenText);
}
