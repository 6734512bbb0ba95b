#include "bravik/core/batch_run.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Plays back scripted run dialogs: each run of a variant takes the next
// (outcome, closed itself) pair and records what was run and with which flags.
class ScriptedRunner : public VariantRunner {
public:
    struct Step {
        int outcome;
        bool closedItself;
    };
    ScriptedRunner(SettingsRecord* s, std::vector<Step> steps) : settings(s), script(steps) {}

    int RunVariant(int index) override {
        runs.push_back(index);
        flagsSeen.push_back(settings ? settings->flags : 0);
        if (next >= script.size()) {
            ADD_FAILURE() << "more runs than scripted";
            return RUN_FAILED;
        }
        const Step& s = script[next++];
        // Like the run dialog: a failed start leaves the flag as it was.
        if (s.outcome != RUN_FAILED) closedItself = s.closedItself;
        return s.outcome;
    }
    bool LastRunClosedItself() override { return closedItself; }

    SettingsRecord* settings;
    std::vector<Step> script;
    size_t next = 0;
    bool closedItself = false;
    std::vector<int> runs;
    std::vector<uint8_t> flagsSeen;
};

SettingsRecord BatchSettings() {
    SettingsRecord s;
    DefaultSettings(s);
    s.editorKind = EDITOR_HIDEMARU;
    s.flags = FLAG_MULTI_SELECT | FLAG_HIGHLIGHT_ERRORS;
    s.reservedWord = 0x1234;
    return s;
}

}  // namespace

TEST(BatchRun, RepeatsWhileRecompileIsAsked) {
    ScriptedRunner r(nullptr, {{RUN_RECOMPILE, false}, {RUN_RECOMPILE, false}, {RUN_CLOSED, false}});
    bool repeated = false;
    EXPECT_EQ(RUN_CLOSED, RunVariantUntilDone(r, 4, &repeated));
    EXPECT_EQ((std::vector<int>{4, 4, 4}), r.runs);
    EXPECT_TRUE(repeated);

    ScriptedRunner once(nullptr, {{RUN_FAILED, false}});
    EXPECT_EQ(RUN_FAILED, RunVariantUntilDone(once, 0, &repeated));
    EXPECT_FALSE(repeated);
    EXPECT_EQ(1u, once.runs.size());
}

TEST(BatchRun, Scenarios) {
    using S = ScriptedRunner::Step;
    struct Case {
        const char* name;
        std::vector<int> selected;
        std::vector<S> script;
        std::vector<int> runs;
        int outcome;
    } cases[] = {
        {"all clean, each dialog closed itself", {0, 1, 2},
         {{RUN_CLOSED, true}, {RUN_CLOSED, true}, {RUN_CLOSED, true}}, {0, 1, 2}, RUN_CLOSED},
        {"the second stayed open (errors)", {0, 1, 2},
         {{RUN_CLOSED, true}, {RUN_CLOSED, false}}, {0, 1}, RUN_CLOSED},
        {"recompile in the first, then clean", {0, 1, 2},
         {{RUN_RECOMPILE, false}, {RUN_CLOSED, true}}, {0, 0}, RUN_CLOSED},
        {"end button in the middle", {3, 5, 7},
         {{RUN_CLOSED, true}, {RUN_QUIT_PROGRAM, false}}, {3, 5}, RUN_QUIT_PROGRAM},
        {"a failed start keeps the previous flag and goes on", {0, 1, 2},
         {{RUN_CLOSED, true}, {RUN_FAILED, false}, {RUN_CLOSED, true}}, {0, 1, 2}, RUN_CLOSED},
        {"a failed first start with the flag clear stops", {0, 1},
         {{RUN_FAILED, false}}, {0}, RUN_FAILED},
        {"nothing selected", {}, {}, {}, RUN_CLOSED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SettingsRecord s = BatchSettings();
        uint32_t before = GetKindFlagsWord(s);
        ScriptedRunner r(&s, c.script);
        EXPECT_EQ(c.outcome, RunVariantBatch(r, s, c.selected.data(), (int)c.selected.size()));
        EXPECT_EQ(c.runs, r.runs);
        for (uint8_t flags : r.flagsSeen) {
            EXPECT_TRUE(flags & FLAG_CLOSE_ON_SUCCESS);  // forced on for every run
            EXPECT_TRUE(flags & FLAG_HIGHLIGHT_ERRORS);  // the other flags stay
        }
        EXPECT_EQ(before, GetKindFlagsWord(s));  // the whole word is back, upper half included
    }
}

TEST(BatchRun, RestoresCloseOnSuccessThatWasAlreadySet) {
    SettingsRecord s = BatchSettings();
    s.flags |= FLAG_CLOSE_ON_SUCCESS;
    ScriptedRunner r(&s, {{RUN_CLOSED, true}});
    int one = 0;
    RunVariantBatch(r, s, &one, 1);
    EXPECT_TRUE(s.flags & FLAG_CLOSE_ON_SUCCESS);
}

TEST(BatchRun, AfterRunDecisions) {
    struct Case {
        int outcome;
        bool runAtStart;
        bool postClose, showWindow;
    } cases[] = {
        {RUN_CLOSED, false, false, false},
        {RUN_RECOMPILE, false, false, false},
        {RUN_FAILED, false, false, false},
        {RUN_QUIT_PROGRAM, false, true, false},
        {RUN_CLOSED, true, true, false},  // unattended clean run ends the program
        {RUN_FAILED, true, false, true},  // anything else shows the window
        {RUN_QUIT_PROGRAM, true, true, true},
    };
    for (const Case& c : cases) {
        AfterRunAction a = DecideAfterRun(c.outcome, c.runAtStart);
        EXPECT_EQ(c.postClose, a.postClose) << c.outcome << " " << c.runAtStart;
        EXPECT_EQ(c.showWindow, a.showWindow) << c.outcome << " " << c.runAtStart;
    }
}
