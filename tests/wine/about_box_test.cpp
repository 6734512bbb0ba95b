#include "bravik/ui/about_box.h"

#include "bravik/ui/resource.h"
#include "main_window_fixture.h"

using namespace mainwindowtest;

namespace {

class AboutBoxTest : public MainWindowTest {};

struct ChildTexts {
    std::vector<std::string> texts;
};

BOOL CALLBACK CollectText(HWND child, LPARAM param) {
    char text[512] = "";
    GetWindowTextA(child, text, sizeof text);
    ((ChildTexts*)param)->texts.push_back(text);
    return TRUE;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
    for (const std::string& x : v)
        if (x == s) return true;
    return false;
}

}  // namespace

TEST_F(AboutBoxTest, ShowsNameVersionAndNoticeAndEndsWithOneOnOkAndEscape) {
    CreateMain();
    for (int button : {IDOK, IDCANCEL}) {
        ChildTexts seen;
        char caption[64] = "";
        ModalAnswer answer("#32770", "Bravikのﾊﾞｰｼﾞｮﾝ情報", [&](HWND box) {
            GetWindowTextA(box, caption, sizeof caption);
            EnumChildWindows(box, CollectText, (LPARAM)&seen);
            PostMessageA(box, WM_COMMAND, button, 0);
        });
        SendMessageA(AppState.mainWindow, WM_COMMAND, CMD_ABOUT, 0);
        ASSERT_TRUE(answer.answered()) << button;
        EXPECT_STREQ("Bravikのﾊﾞｰｼﾞｮﾝ情報", caption);
        for (const char* text : {"Bravik for Windows", "The Windows Make Utility for Programming.", "Version 1.43",
                                 "最新版はｳｪﾌﾞからﾀﾞｳﾝﾛｰﾄﾞしてください", "ﾎｰﾑﾍﾟｰｼﾞを表示(&W)...",
                                 "お問合せやご要望はﾒｰﾙでお願いします", "ﾒｰﾙを送る(&E)...", "OK"})
            EXPECT_TRUE(Contains(seen.texts, text)) << text;
    }
    // The box's result, as the procedure gives it.
    ModalAnswer answer("#32770", "Bravikのﾊﾞｰｼﾞｮﾝ情報",
                       [](HWND box) { PostMessageA(box, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(1, DialogBoxParamA(AppState.instance, "ABOUTDLG", AppState.mainWindow, AboutDialogProc, 0));
}
