// The environment settings dialog "MAKEENVDLG".
#pragma once
#include <windows.h>

/// Dialog procedure of "MAKEENVDLG": OK writes the settings back, keeps the
/// list box's selection mode in step and marks the settings for saving.
INT_PTR CALLBACK EnvDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

/// Adds the items of the editor-kind, toolbar-style and jump-key boxes.
void FillEnvChoices(HWND dialog);
/// Copies AppState.settings into the controls.
void FillEnvDialog(HWND dialog);
/// Copies the controls into AppState.settings (texts cut to their fields).
void ReadEnvDialog(HWND dialog);

/// Shows the shell's folder browser under root (a CSIDL); on a choice puts
/// its file-system path into path (260 bytes) and returns 1, else 0 with path empty.
int BrowseForFolder(HWND owner, char* path, const char* title, int root);
/// The open-file dialog for an executable; puts the chosen path into the
/// dialog's edit control editId. Returns 1 when a file was chosen.
int BrowseForExecutable(HWND dialog, int editId);
/// Shows the environment a make run would receive with the dialog's current
/// environment text and check box; the settings record is left as it was.
void ShowEnvironmentPreview(HWND dialog);
