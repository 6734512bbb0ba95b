#include "uninstal/ui/uninstall_dialog.h"

#include "bravik/core/cp932.h"
#include "uninstal/ui/app_state.h"
#include "uninstal/core/script_format.h"
#include "uninstal/ui/interpreter.h"
#include "uninstal/ui/resource.h"
#include "uninstal/ui/self_removal.h"

AppState app;

namespace {

const char FailureText[] = "キャンセルまたは異常のためアンインストールを中断します。";

struct FlagBox {
    int id;
    uint32_t tick;
    uint32_t disable;
};
const FlagBox FlagBoxes[] = {
    {IDC_ASSOCIATIONS, TICK_ASSOCIATIONS, DISABLE_ASSOCIATIONS},
    {IDC_SHORTCUTS, TICK_SHORTCUTS, DISABLE_SHORTCUTS},
    {IDC_ADDREMOVE, TICK_ADD_REMOVE, DISABLE_ADD_REMOVE},
};

void OnInitDialog(HWND dialog) {
    ReadUninstallScript(&app.script);
    FillUninstallDialog(dialog, app.script.block, app.caption);
}

INT_PTR OnCommand(HWND dialog, int id) {
    switch (id) {
    case IDOK: ConfirmUninstall(dialog); EndDialog(dialog, TRUE); return TRUE;
    case IDCANCEL: EndDialog(dialog, FALSE); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void FillUninstallDialog(HWND dialog, const char* script, char* caption) {
    caption[0] = '\0';
    if (!script) return;
    const ScriptHeader* header = (const ScriptHeader*)script;
    const char* data = script + SCRIPT_HEADER_SIZE;
    cp932::CopyCut(caption, TITLE_SIZE, NthString(data, 1));
    SetWindowTextA(dialog, caption);
    SetDlgItemTextA(dialog, IDC_MESSAGE, NthString(data, 2));
    for (const FlagBox& box : FlagBoxes) {
        if (header->uninstallFlags & box.tick) SendDlgItemMessageA(dialog, box.id, BM_SETCHECK, BST_CHECKED, 0);
        if (header->uninstallFlags & box.disable) EnableWindow(GetDlgItem(dialog, box.id), FALSE);
    }
}

void ConfirmUninstall(HWND dialog) {
    if (RunUninstallScript(dialog, app.script.block)) {
        RemoveSelf();
        return;
    }
    MessageBeep(MB_ICONEXCLAMATION);
    MessageBoxA(dialog, FailureText, app.caption, MB_ICONHAND | MB_OK);
}

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
    case WM_DESTROY: FreeUninstallScript(&app.script); return FALSE;
    default: return FALSE;
    }
}
