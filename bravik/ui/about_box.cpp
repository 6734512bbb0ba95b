#include "bravik/ui/about_box.h"

#include <shellapi.h>

#include "bravik/core/settings.h"
#include "bravik/ui/message_box.h"
#include "bravik/ui/resource.h"

static const char HomePage[] = BRAVIK_HOMEPAGE_URL;
static const char SupportMailUrl[] = "mailto:" BRAVIK_SUPPORT_MAIL;

int OpenFromAboutBox(HWND dialog, const char* target, const char* failureText) {
    char directory[PATH_SIZE];
    if (!GetCurrentDirectoryA(sizeof directory, directory)) directory[0] = '\0';
    INT_PTR result = (INT_PTR)ShellExecuteA(dialog, nullptr, target, nullptr, directory, SW_SHOW);
    if (result > 32) return 1;
    ShowCenteredMessage(dialog, failureText, "Bravik", MB_ICONHAND);
    return 0;
}

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
    case IDOK:
    case IDCANCEL: EndDialog(dialog, 1); return TRUE;
    case IDC_HOMEPAGE: OpenFromAboutBox(dialog, HomePage, "ホームページを表示できません。"); return TRUE;
    case IDC_SENDMAIL: OpenFromAboutBox(dialog, SupportMailUrl, "メールの送信ができません。"); return TRUE;
    }
    return FALSE;
}
