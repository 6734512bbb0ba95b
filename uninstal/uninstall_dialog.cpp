#include "uninstal/uninstall_dialog.h"

#include "bravik/core/cp932.h"
#include "uninstal/app_state.h"
#include "uninstal/core/script_format.h"
#include "uninstal/interpreter.h"
#include "uninstal/resource.h"
#include "uninstal/self_removal.h"

using namespace uninstal;

AppState app;

namespace {

const char kFailureText[] = "キャンセルまたは異常のためアンインストールを中断します。";

struct FlagBox {
    int id;
    uint32_t tick;
    uint32_t disable;
};
const FlagBox kFlagBoxes[] = {
    {ID_ASSOCIATIONS, kTickAssociations, kDisableAssociations},
    {ID_SHORTCUTS, kTickShortcuts, kDisableShortcuts},
    {ID_ADDREMOVE, kTickAddRemove, kDisableAddRemove},
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
    const char* data = script + kHeaderSize;
    cp932::CopyCut(caption, kTitleSize, NthString(data, 1));
    SetWindowTextA(dialog, caption);
    SetDlgItemTextA(dialog, ID_MESSAGE, NthString(data, 2));
    for (const FlagBox& box : kFlagBoxes) {
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
    MessageBoxA(dialog, kFailureText, app.caption, MB_ICONHAND | MB_OK);
}

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: OnInitDialog(dialog); return TRUE;
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam));
    case WM_DESTROY: FreeUninstallScript(&app.script); return FALSE;
    default: return FALSE;
    }
}
