// Decisions of the main window that need no window: where a command goes,
// which dropped files are makefiles, where the help lives, the editor's
// command line and the list box's place.
#pragma once
#include <stddef.h>

#include "bravik/core/settings.h"

enum CommandRoute {
    ROUTE_DEFAULT,      // not ours: default processing (the system's window-menu commands)
    ROUTE_VARIANT,      // 200..300: run variant id - 200
    ROUTE_LIST_NOTIFY,  // 3002: a notification of the variant list box
    ROUTE_COMMAND,      // 101..109: a command of the toolbar, accelerators or window menu
};

/// Where the command with this id (low 16 bits of the first parameter) goes.
CommandRoute RouteCommand(unsigned id);

/// True for a dropped file that may be read as a makefile: longer than five
/// characters and containing ".mak" anywhere (case-sensitive).
bool AcceptsDroppedFile(const char* path);

/// WinHelp's file: "Bravik.hlp" beside the executable when the executable's
/// path ends in "BRAVIK.EXE" (any case), else "Bravik.hlp" alone.
void HelpFilePath(const char* exePath, char* out, size_t size);
/// The HTML help page shipped beside the executable: its directory and
/// "Bravik.html" ("Bravik.html" alone for a path without a directory).
void HelpPagePath(const char* exePath, char* out, size_t size);

/// "editor makefile" into out, the makefile in quotes when it holds a blank; false with out empty when
/// there is no makefile or no editor, or the two do not fit.
bool ComposeEditCommand(const char* editorExe, const char* makefilePath, char* out, size_t size);

struct ListPlacement {
    int x, y, width, height;
};
/// The list box fills the client area between the toolbar (with a 2-pixel
/// gap) and the status bar; a missing bar has height 0.
ListPlacement PlaceVariantList(int clientWidth, int clientHeight, int toolbarHeight, int statusHeight);

// The run command's loops around single make runs: repeating a variant on
// request, going through several selected variants, and what the main
// window does once the runs are over.
enum : int { RUN_FAILED = -1, RUN_CLOSED = 0, RUN_QUIT_PROGRAM = 1, RUN_RECOMPILE = 2 };

/// Runs make for one variant; the main window wires it to the run dialog.
class VariantRunner {
public:
    /// One run of variant index; returns a RUN_ outcome.
    virtual int RunVariant(int index) = 0;
    /// True when the last run dialog closed itself after a clean run.
    virtual bool LastRunClosedItself() = 0;

protected:
    ~VariantRunner() = default;
};

/// Runs the variant, again for as long as the user asks for a recompile.
/// Returns the last outcome; *repeated (when given) tells whether it ran again.
int RunVariantUntilDone(VariantRunner& runner, int index, bool* repeated);

/// Runs the selected variants in turn with closeOnSuccess forced on, going on
/// only while each run dialog closed itself and no variant was run again.
/// The word of editorKind and flags is restored afterwards. Returns the last
/// outcome, RUN_CLOSED when nothing was selected.
int RunVariantBatch(VariantRunner& runner, SettingsRecord& settings, const int* indices, int count);

struct AfterRunAction {
    bool postClose;   // ask the main window to close
    bool showWindow;  // end the unattended mode and show the main window
};
/// What follows a run command: the end button of the run dialog closes the
/// program; an unattended run ends the program after a closed run dialog and
/// shows the window after anything else.
AfterRunAction DecideAfterRun(int outcome, bool runAtStart);
