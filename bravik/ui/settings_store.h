// The settings record and the window position in the registry
// (HKEY_CURRENT_USER\Software\Quibrel\Bravik\Spec, values "Value" and "Position").
#pragma once
#include <windows.h>

/// Opens (creating it when missing) the base key, or base\subKey; nullptr on failure.
HKEY OpenSpecKey(const char* subKey);
/// Loads AppState.settings and AppState.position, with defaults for what is missing.
void LoadSettings();
/// Writes "Value" when the settings dialog was confirmed, and "Position" always.
void SaveSettings();
/// The window's normal (restored) rectangle in screen coordinates, also while
/// it is minimised or hidden; false when its placement cannot be read.
bool GetNormalRect(HWND hwnd, RECT* out);
