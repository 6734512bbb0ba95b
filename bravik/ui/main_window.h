// The main window: toolbar, build-variant list box and status bar, and the
// commands that reach it from buttons, accelerators, the window menu and the list.
#pragma once
#include <windows.h>

extern const char MainWindowClassName[];  // "BravikClass"

/// Registers "BravikClass". Returns the class atom, 0 on failure.
ATOM RegisterMainWindowClass(HINSTANCE instance);
LRESULT CALLBACK MainWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

/// Creates the variant list box (multiple selection when multiSelect is set)
/// into AppState.variantListBox, destroying the old one first if asked.
void CreateVariantListBox(HWND parent, BOOL replaceExisting);
/// Places the list box between the toolbar (2-pixel gap) and the status bar.
void LayoutVariantList();
/// Reads a makefile (ReadMakefile), then shows its title and brings the list
/// into the selection mode it asks for. Returns ReadMakefile's result.
int OpenMakefile(const char* name);
/// "<file title> - Bravik", or "No File - Bravik" without a makefile.
void UpdateTitle();
/// Re-creates the list box when its selection mode no longer follows multiSelect.
void SyncListMode();
/// The open-file dialog for a makefile; the result of OpenMakefile, 0 on cancel.
int ChooseMakefile(HWND owner);

/// RunSelectedVariants' answer when no single variant was selected.
const int RUN_NOTHING_SELECTED = -2;

/// The run command (toolbar, window menu, double-click, "/A"): runs the
/// selected variant, or every selected one in turn when multiSelect is set,
/// then closes or shows the window as the outcome and "/A" ask. Returns the
/// last outcome (Closed for a batch of none), RUN_NOTHING_SELECTED when
/// single selection has no current item.
int RunSelectedVariants();
/// A variant item of the window menu: runs variant index (again on recompile).
int RunVariantItem(int index);
/// Shows or hides the status bar, lays the list out again and records the
/// state in statusBarShown.
void ToggleStatusBar();
/// Opens the makefile in the configured editor, or with the program
/// registered for ".txt" files. Returns 1 when a process was started.
int EditMakefile();
/// The window menu is about to open: checks item 105 and rebuilds the
/// variant submenu "指定をＭａｋｅ" (exactly one, none without a makefile).
void OnWindowMenuOpening(HMENU windowMenu);
