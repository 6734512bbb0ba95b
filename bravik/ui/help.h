// Bravik's help: WinHelp on "Bravik.hlp", or the HTML page shipped beside
// the executable when there is no help file.
#pragma once
#include <windows.h>

/// Help contents and search. Returns 1 when the HTML page was opened instead
/// of WinHelp, 0 when WinHelp was asked.
int ShowHelpContents(HWND owner);
/// WinHelp's own help.
void ShowHelpOnHelp(HWND owner);
