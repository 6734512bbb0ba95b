// The settings dialog "MAKEENVDLG".
#pragma once
#include <windows.h>

/// Dialog procedure of "MAKEENVDLG": OK writes the settings back and marks
/// them for saving, then ends with 0 (cancel: 1); the main window then brings
/// the list box's selection mode in step.
INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

/// Adds the items of the editor-kind, toolbar-style and jump-key boxes.
void FillSettingsChoices(HWND dialog);
/// Copies AppState.settings into the controls.
void FillSettingsDialog(HWND dialog);
/// Copies the controls into AppState.settings (texts cut to their fields).
void ReadSettingsDialog(HWND dialog);

/// Shows the shell's folder browser under root (a CSIDL); on a choice puts
/// its file-system path into path (size bytes) and returns 1, else 0 with path empty.
int BrowseForFolder(HWND owner, char* path, size_t size, const char* title, int root);
/// The open-file dialog for an executable; puts the chosen path into the
/// dialog's edit control editId. Returns 1 when a file was chosen.
int BrowseForExecutable(HWND dialog, int editId);
/// Shows the environment a make run would receive with the dialog's current
/// environment text and check box; the settings record is left as it was.
void ShowEnvironmentPreview(HWND dialog);
