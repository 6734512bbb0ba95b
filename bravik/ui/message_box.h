// The one way Bravik shows a message: a message box centred over the main window.
#pragma once
#include <windows.h>

/// Shows a message box centred over AppState.mainWindow (hidden or not),
/// with the hand sound for the stop, question and exclamation icons.
/// Returns the id of the button that closed it.
int ShowCenteredMessage(HWND owner, const char* text, const char* caption, UINT type);
