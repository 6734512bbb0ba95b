// The uninstall dialog (resource 205): the script's title and message, three
// check boxes, OK to uninstall and Cancel.
#pragma once
#include <windows.h>

/// Dialog procedure of dialog 205.
INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

/// Shows a script's title and message and sets the check boxes from its
/// uninstallFlags; caption (80 bytes) receives the title. Without a script
/// the dialog keeps its empty texts and cleared, enabled boxes.
void FillUninstallDialog(HWND dialog, const char* script, char* caption);

/// Carries the script out; on success starts the self-removal, on failure
/// beeps and shows the failure message owned by the dialog.
void ConfirmUninstall(HWND dialog);
