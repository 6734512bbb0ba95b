#include "bravik/core/batch_run.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Step { int outcome; bool closedItself; };

// Plays back scripted run dialogs and records which variants ran.
class ScriptedRunner : public VariantRunner {
public:
    ScriptedRunner(SettingsRecord* s, std::vector<Step> steps) : settings(s), script(steps) {}
    int RunVariant(int index) override {
        runs.push_back(index);
        EXPECT_TRUE(settings->flags & FLAG_CLOSE_ON_SUCCESS) << index;  // forced on for every run of a batch
        EXPECT_TRUE(settings->flags & FLAG_HIGHLIGHT_ERRORS) << index;  // the other flags stay
        if (next >= script.size()) return RUN_FAILED;  // the callers' check of runs reports it
        const Step& s = script[next++];
        if (s.outcome != RUN_FAILED) closedItself = s.closedItself;  // as the run dialog: a failed start keeps it
        return s.outcome;
    }
    bool LastRunClosedItself() override { return closedItself; }

    SettingsRecord* settings;
    std::vector<Step> script;
    std::vector<int> runs;
    size_t next = 0;
    bool closedItself = false;
};

}  // namespace

TEST(BatchRun, Scenarios) {
    struct Case {
        const char* name;
        std::vector<int> selected;
        std::vector<Step> script;
        std::vector<int> runs;
        int outcome;
        uint8_t closeOnSuccessBefore = 0;
    } cases[] = {
        {"a variant run again stops the batch, even after a clean run", {0, 1, 2},
         {{RUN_RECOMPILE, false}, {RUN_RECOMPILE, false}, {RUN_CLOSED, true}}, {0, 0, 0}, RUN_CLOSED},
        {"a failed start keeps the previous flag and goes on", {0, 1, 2},
         {{RUN_CLOSED, true}, {RUN_FAILED, false}, {RUN_CLOSED, true}}, {0, 1, 2}, RUN_CLOSED},
        {"a failed first start with the flag clear stops", {0, 1}, {{RUN_FAILED, false}}, {0}, RUN_FAILED},
        {"the end button in the middle", {3, 5, 7}, {{RUN_CLOSED, true}, {RUN_QUIT_PROGRAM, false}}, {3, 5}, RUN_QUIT_PROGRAM},
        {"closeOnSuccess already set stays set", {0}, {{RUN_CLOSED, true}}, {0}, RUN_CLOSED, FLAG_CLOSE_ON_SUCCESS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsRecord s;
        DefaultSettings(s);
        SetKindFlagsWord(s, 0x12340000 | (FLAG_MULTI_SELECT | FLAG_HIGHLIGHT_ERRORS | c.closeOnSuccessBefore) << 8 |
                                EDITOR_HIDEMARU);
        uint32_t before = GetKindFlagsWord(s);
        ScriptedRunner r(&s, c.script);
        EXPECT_EQ(c.outcome, RunVariantBatch(r, s, c.selected.data(), (int)c.selected.size()));
        EXPECT_EQ(c.runs, r.runs);
        EXPECT_EQ(before, GetKindFlagsWord(s));  // the whole word is back, upper half included
    }
}

TEST(BatchRun, AfterRunDecisions) {
    const struct { int outcome; bool runAtStart, postClose, showWindow; } cases[] = {
        // An unattended clean run ends the program; anything else shows the window.
        {RUN_CLOSED, false, false, false}, {RUN_RECOMPILE, false, false, false}, {RUN_FAILED, false, false, false},
        {RUN_QUIT_PROGRAM, false, true, false}, {RUN_CLOSED, true, true, false}, {RUN_FAILED, true, false, true},
        {RUN_QUIT_PROGRAM, true, true, true},
    };
    for (const auto& c : cases) {
        AfterRunAction a = DecideAfterRun(c.outcome, c.runAtStart);
        EXPECT_EQ(c.postClose, a.postClose) << c.outcome << " " << c.runAtStart;
        EXPECT_EQ(c.showWindow, a.showWindow) << c.outcome << " " << c.runAtStart;
    }
}
