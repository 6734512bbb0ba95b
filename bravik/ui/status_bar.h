// The main window's status bar: its simple part shows the help text of a
// menu item, a toolbar button or a variant.
#pragma once
#include <windows.h>

/// Creates the status bar into AppState.statusWindow with the given text
/// (nullptr for none); returns it, nullptr on failure.
HWND CreateStatusBar(const char* text);
/// Shows text in the status bar's simple part (simple mode on), when there is a bar.
void ShowStatusHelp(const char* text);
/// Help text of the highlighted menu item (WM_MENUSELECT); the caller then
/// passes the message on to default processing.
void OnMenuSelect(WPARAM wParam, LPARAM lParam);
