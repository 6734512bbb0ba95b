#include <windows.h>
#include <objbase.h>

#include "uninstal/ui/app_state.h"
#include "uninstal/ui/resource.h"
#include "uninstal/ui/uninstall_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CoInitialize(nullptr);
    app.instance = instance;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UNINSTALL), nullptr, UninstallDialogProc, 0);
    CoUninitialize();
    return 0;
}
