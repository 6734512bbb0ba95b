// The main window: toolbar, build-variant list box and status bar.
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
/// The open-file dialog for a makefile; the result of ReadMakefile, 0 on cancel.
int ChooseMakefile(HWND owner);
