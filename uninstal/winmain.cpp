#include <windows.h>
#include <objbase.h>

#include "uninstal/app_state.h"
#include "uninstal/resource.h"
#include "uninstal/uninstall_dialog.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CoInitialize(NULL);
    app.instance = instance;
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_UNINSTALL), NULL, UninstallDialogProc, 0);
    CoUninitialize();
    return 0;
}
