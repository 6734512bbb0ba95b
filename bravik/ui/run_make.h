// One run of the make tool for one build variant, shown in the run dialog.
#pragma once
#include <windows.h>

enum RunOutcome { Failed = -1, Closed = 0, QuitProgram = 1, Recompile = 2 };

/// Set by the run dialog when it closed itself after a clean run; cleared when one opens.
extern int runAutoClosed;

/// Runs make on the open makefile with variant `index` (-1 or outside 0..99:
/// no variant) and returns when the run dialog has ended.
RunOutcome RunMake(HWND owner, int index);
