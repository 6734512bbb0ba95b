// Where Bravik's message box goes; start-up's checks of it over a hidden main
// window are in tests/e2e/startup.sh.
#include "bravik/ui/message_box.h"

#include "bravik/ui/app_state.h"
#include "wine_test_util.h"

namespace {

HWND MakeWindow(int x, int y, int w, int h) {
    return CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                           nullptr, nullptr);
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// Minimised, the main window counts with its restored rectangle, unless that
// is off screen too: then the work area does. A box larger than the main
// window aligns with its top left corner.
TEST(CenteredMessage, OverTheMainWindowWhoeverOwnsIt) {
    MONITORINFO primary;
    primary.cbSize = sizeof primary;
    GetMonitorInfoA(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    const struct { int x, y, w, h, show; bool onWorkArea, topLeft; } cases[] = {
        {300, 200, 600, 400, SW_SHOWNORMAL, false, false}, {300, 200, 600, 400, SW_MINIMIZE, false, false},
        {-3000, -3000, 600, 400, SW_MINIMIZE, true, false}, {250, 180, 60, 40, SW_SHOWNORMAL, false, true}};
    for (const auto& c : cases) {
        HWND main = MakeWindow(c.x, c.y, c.w, c.h), owner = MakeWindow(0, 0, 200, 150);  // a dialog elsewhere
        ShowWindow(main, c.show);
        AppState.mainWindow = main;
        const std::string text = "a text long enough to make the box wider than a tiny main window";
        const SeenBoxes& seen = ShowingBoxes([&] { ShowCenteredMessage(owner, text.c_str(), "BvTest", MB_ICONHAND); });
        EXPECT_EQ("BvTest|" + text + "\n", seen.texts);
        RECT restored = {c.x, c.y, c.x + c.w, c.y + c.h};
        POINT want = Centre(c.onWorkArea ? primary.rcWork : restored), got = Centre(seen.last);
        if (c.topLeft) want = {restored.left, restored.top}, got = {seen.last.left, seen.last.top};
        EXPECT_NEAR(want.x, got.x, 1) << c.x << " show " << c.show;
        EXPECT_NEAR(want.y, got.y, 1) << c.x << " show " << c.show;
        DestroyWindow(owner);
        DestroyWindow(main);
    }
    AppState.mainWindow = nullptr;
    EXPECT_EQ("BvTest|alone\n", ShowingBoxes([] { ShowCenteredMessage(nullptr, "alone", "BvTest", MB_OK); }).texts);
}

}  // namespace
