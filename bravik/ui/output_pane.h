// The run dialog's output pane beyond showing the output: next and previous
// diagnostic (F4, Shift+F4), its context menu, saving its text, the counts
// shown when a run ends, and make's directory stack for the editor jump.
#pragma once
#include <windows.h>

struct OutputLines;

enum PaneMenuCommand {
    PANE_COPY = 1,
    PANE_SELECT_ALL,
    PANE_NEXT_ERROR,
    PANE_PREVIOUS_ERROR,
    PANE_SAVE,
};

/// Starts a run in the dialog: the counts line under the pane, the keys of
/// the dialog, and make's directory stack, which lines notes from now on.
void BeginPaneRun(HWND dialog, HWND pane, OutputLines* lines);
/// The run has ended: shows the counts of lines; the next F4 starts from the top.
void EndPaneRun(const OutputLines* lines);
/// The dialog goes away: the keys are given back and the stack is freed.
void ClosePaneRun();

/// Places the counts line at the bottom of the dialog's client area and
/// returns where the pane ends above it.
int LayoutCountsLine(HWND dialog);

/// Moves the pane's caret to the next (direction > 0) or previous diagnostic
/// line and selects it; once the run has ended, also jumps to the editor.
/// Beeps when there is none. Returns 1 when it moved.
int StepDiagnostic(int direction);

/// Shows the pane's context menu at a screen point (packed as WM_CONTEXTMENU
/// gives it; -1 for the caret) and carries out the chosen command.
void ShowPaneMenu(LPARAM screenPoint);
/// Carries out one command of the pane's menu.
void RunPaneCommand(int command);

/// Writes the pane's whole text to path in code page 932 with CR LF. 1 on success.
int WritePaneText(HWND pane, const char* path);

/// For a relative file name from the caret line of the run's pane: when make
/// had entered a directory where that line was printed and the file is there,
/// name (size bytes) becomes that path. 1 when it did.
int ResolveInMakeDirectory(HWND pane, char* name, size_t size);
