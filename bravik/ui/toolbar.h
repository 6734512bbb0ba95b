// The main window's toolbar and status bar, the version of the common
// controls, tooltips and the help texts of menu items.
#pragma once
#include <windows.h>

/// The toolbar's button images, released when the main window is destroyed.
extern HBITMAP toolbarBitmap;

/// Version of comctl32 as major * 100 + minor; 400 when it does not say.
int ProbeCommonControlsVersion();
/// Stores the probed version in AppState.commonControlsVersion and registers
/// the common-control classes (classic registration up to version 4.00).
void InitCommonControlClasses();

/// Creates the toolbar of AppState.settings.toolbarStyle into
/// AppState.toolbarWindow (none on failure) with its images and buttons.
void CreateToolbar();
/// Appends a button; its label (when the style shows labels) comes from the
/// label table by image index.
void AddToolbarButton(HWND toolbar, int command, BYTE kind, int imageIndex);
/// Appends a separator of the given width (0: the control's default).
void AddToolbarSeparator(HWND toolbar, int width);
/// Destroys the toolbar and releases its images.
void DestroyToolbar();

/// Creates the status bar into AppState.statusWindow with the given text
/// (nullptr for none); returns it, nullptr on failure.
HWND CreateStatusBar(const char* text);
/// Shows text in the status bar's simple part (simple mode on), when there is a bar.
void ShowStatusHelp(const char* text);

/// Tooltip notifications of the toolbar; always 0.
LRESULT OnToolbarNotify(const NMHDR* header);
/// Help text of the highlighted menu item (WM_MENUSELECT); the caller then
/// passes the message on to default processing.
void OnMenuSelect(WPARAM wParam, LPARAM lParam);
