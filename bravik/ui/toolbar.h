// The main window's toolbar, the version of the common controls and the
// toolbar's tooltips.
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

/// Tooltip notifications of the toolbar (the command's description goes to the
/// status bar as well); always 0.
LRESULT OnToolbarNotify(const NMHDR* header);
