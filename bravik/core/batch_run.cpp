#include "bravik/core/batch_run.h"

int RunVariantUntilDone(VariantRunner& runner, int index, bool* repeated) {
    int outcome = runner.RunVariant(index);
    bool again = false;
    while (outcome == RUN_RECOMPILE) {
        again = true;
        outcome = runner.RunVariant(index);
    }
    if (repeated) *repeated = again;
    return outcome;
}

int RunVariantBatch(VariantRunner& runner, SettingsRecord& settings, const int* indices, int count) {
    uint32_t saved = GetKindFlagsWord(settings);
    settings.flags |= FLAG_CLOSE_ON_SUCCESS;
    int outcome = RUN_CLOSED;
    bool repeated = false;
    for (int i = 0; i < count; ++i) {
        bool again = false;
        outcome = RunVariantUntilDone(runner, indices[i], &again);
        if (again) repeated = true;
        // The end button stops the batch even when its dialog had closed itself once.
        if (outcome == RUN_QUIT_PROGRAM) break;
        if (!runner.LastRunClosedItself() || repeated) break;
    }
    SetKindFlagsWord(settings, saved);
    return outcome;
}

AfterRunAction DecideAfterRun(int outcome, bool runAtStart) {
    AfterRunAction action = {false, false};
    if (outcome == RUN_QUIT_PROGRAM) action.postClose = true;
    if (runAtStart) {
        if (outcome == RUN_CLOSED)
            action.postClose = true;
        else
            action.showWindow = true;
    }
    return action;
}
