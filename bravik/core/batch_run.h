// The run command's loops around single make runs: repeating a variant on
// request, going through several selected variants, and what the main
// window does once the runs are over.
#pragma once

#include "bravik/core/settings_record.h"

/// Outcomes of one make run, as the run dialog ends it.
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
