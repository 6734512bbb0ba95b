// Where Bravik's message box goes; over a hidden main window it is checked by tests/e2e/startup.sh.
#include "bravik/ui/message_box.h"

#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

// Minimised, the main window counts with its restored rectangle, unless that is off screen too: then the
// work area does. A box larger than the main window aligns with its top left corner.
TEST(CenteredMessage, OverTheMainWindowWhoeverOwnsIt) {
    MONITORINFO primary = {};
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    const struct { int x, y, w, h, show; } cases[] = {
        {300, 200, 600, 400, SW_SHOWNORMAL}, {300, 200, 600, 400, SW_MINIMIZE}, {-3000, -3000, 600, 400, SW_MINIMIZE}, {250, 180, 60, 40, SW_SHOWNORMAL}};
    for (const auto& c : cases) {
        HWND owner = CreateWindowA("STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 150, nullptr, nullptr, nullptr, nullptr);
        AppState.mainWindow = CreateWindowA("STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, c.x, c.y, c.w, c.h, nullptr, nullptr, nullptr, nullptr);
        ShowWindow(AppState.mainWindow, c.show);
        const std::string text = "a text long enough to make the box wider than a tiny main window";
        EXPECT_EQ("BvTest|" + text + "\n", ShowingBoxes([&] { ShowCenteredMessage(owner, text.c_str(), "BvTest", MB_ICONHAND); }));
        RECT want = c.x < 0 ? primary.rcWork : RECT{c.x, c.y, c.x + c.w, c.y + c.h}, got = lastBox;
        if (c.w < 100) want.right = want.left + got.right - got.left, want.bottom = want.top + got.bottom - got.top;
        EXPECT_NEAR((want.left + want.right) / 2, (got.left + got.right) / 2, 1) << c.x << " show " << c.show;
        EXPECT_NEAR((want.top + want.bottom) / 2, (got.top + got.bottom) / 2, 1) << c.x << " show " << c.show;
        DestroyWindow(owner);
        DestroyWindow(AppState.mainWindow);
    }
    AppState.mainWindow = nullptr;
    EXPECT_EQ("BvTest|alone\n", ShowingBoxes([] { ShowCenteredMessage(nullptr, "alone", "BvTest", MB_OK); }));
}
