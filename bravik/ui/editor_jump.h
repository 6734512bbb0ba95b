// The tag jump: from a line of make output to the editor at that file and line.
#pragma once
#include <windows.h>

/// The window the last search matched; every search clears it first.
extern HWND foundWindow;

/// Opens the file named by the caret line of a rich-edit output pane in the
/// configured editor (or through the shell's "open"), activating a window that
/// already shows it, and for the Hidemaru editor moves it to the line.
/// Every failure ends the jump silently.
void EditorJump(HWND outputPane);

/// Copies the line under the caret of a rich edit into line (512 bytes), at
/// most 511 bytes, without its line break. Returns its length.
int ReadCaretLine(HWND outputPane, char* line);

/// First top-level window matching key (a title substring, or 0x01 and a whole
/// title), or null; a rooted path that finds nothing is tried by its file title.
HWND FindTopLevelWindow(const char* key);
/// The first top-level window of one thread that matches key, or null.
HWND FindThreadWindow(DWORD threadId, const char* key);
/// Enumeration procedure: stops and records the window in foundWindow when its
/// text matches the uppercased key handed over in key.
BOOL CALLBACK WindowTitleMatch(HWND window, LPARAM key);
