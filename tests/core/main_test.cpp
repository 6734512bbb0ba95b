#include "bravik/core/command_line.h"
#include "bravik/core/main.h"
#include "tests/core/test.h"

TEST(Main, StartupHelpAndEditCommand) {
    const struct { const char* line; int runAtStart; const char* name; } lines[] = {  // name nullptr: no makefile
        {nullptr, 0, nullptr}, {"\"C:\\my src\\a.mak\" ", 0, "\"C:\\my src\\a.mak\" "}, {"/a  a.mak", 1, "a.mak"},
        {"/Aa.mak", 1, "a.mak"}, {"/B a.mak", 0, "a.mak"}, {"/A\ta.mak", 1, "\ta.mak"}, {"/A   ", 0, nullptr},
        {"/", 0, nullptr}, {"/\x83\x5c a.mak", 0, "a.mak"},  // a double-byte "letter" is skipped
    };
    for (const auto& c : lines) {
        StartupCommand cmd = ParseStartupCommandLine(c.line);
        EXPECT_EQ(c.runAtStart, cmd.runAtStart) << (c.line ? c.line : "(null)");
        EXPECT_STREQ(c.name, cmd.makefileName) << (c.line ? c.line : "(null)");
    }
    const struct { bool page; const char *exe, *out; size_t size; } helps[] = {
        {false, "c:\\t\\bravik.exe", "c:\\t\\Bravik.hlp", 260},
        {false, "C:\\t\\MyBravik.exe", "C:\\t\\MyBravik.hlp", 260},
        {false, "C:\\t\\Bravik2.exe", "Bravik.hlp", 260}, {false, "RAVIK.EXE", "Bravik.hlp", 260},
        {false, "C:\\\x83" "BRAVIK.EXE", "Bravik.hlp", 260},  // the 'B' is the trail of a double-byte character
        {false, "C:\\x\\Bravik.exe", "C:\\x\\Br", 8}, {true, "Bravik.exe", "Bravik.html", 260},
        {true, "C:\\ソ.exe", "C:\\Bravik.html", 260}, {true, "C:\\x\\Bravik.exe", "C:\\x\\Br", 8},  // "ソ" ends in '\'
    };
    char out[524];
    for (const auto& c : helps) EXPECT_STREQ(c.out, ((c.page ? HelpPagePath : HelpFilePath)(c.exe, out, c.size), out));
    const struct { const char *editor, *makefile; size_t size; const char* out; } edits[] = {  // out nullptr: refused
        {"edit", "x.ma", 10, "edit x.ma"}, {"edit", "a b", 10, nullptr}, {"edit", "x.mak", 10, nullptr},
        {"", "C:\\a.mak", 524, nullptr}, {"notepad", "", 524, nullptr},  // quoting: tests/e2e/main_window.sh
    };
    for (const auto& c : edits) {
        EXPECT_EQ(c.out != nullptr, ComposeEditCommand(c.editor, c.makefile, out, c.size)) << c.makefile;
        EXPECT_STREQ(c.out ? c.out : "", out) << c.makefile;
    }
}

// The normal rectangle is relative to the work area, which a taskbar on the
// top or the left moves; a minimised window's left edge is no use.
TEST(Main, StoredPositionIsOnTheScreen) {
    const struct { int workLeft, workTop; bool minimised; int windowLeft, x, y; } positions[] = {
        {0, 40, false, 100, 100, 90}, {60, 0, false, 160, 160, 50}, {60, 40, true, -32000, 160, 90},
        {0, 40, false, -4, -4, 90},
    };
    for (const auto& c : positions) {
        WindowPosition p = PositionToStore(100, 50, 500, 350, c.workLeft, c.workTop, c.minimised, c.windowLeft);
        EXPECT_EQ(std::make_tuple(c.x, c.y, 400, 300), std::make_tuple(p.x, p.y, p.width, p.height)) << c.windowLeft;
    }
}

// Outcomes in turn; a dialog closed itself after a clean run, and a failed start leaves none.
struct Runner : VariantRunner {
    std::vector<int> outcomes, runs;
    bool closed = false, userCloses = false;  // userCloses: every dialog was closed by its 閉じる
    int RunVariant(int index) override {
        runs.push_back(index);
        int outcome = outcomes.at(runs.size() - 1);  // a run too many fails the test
        if (outcome != RUN_FAILED) closed = outcome == RUN_CLOSED && !userCloses;
        return outcome;
    }
    bool LastRunClosedItself() override { return closed; }
};

// A clean batch runs against the real program in tests/e2e/main_window.sh.
TEST(BatchRun, FailedStartsTheWholeWordAndWhatFollows) {
    SettingsRecord s;
    DefaultSettings(s);
    SetKindFlagsWord(s, 0x12341401);
    Runner goesOn, stops, closedByHand;
    goesOn.outcomes = {RUN_CLOSED, RUN_FAILED, RUN_CLOSED}, stops.outcomes = {RUN_FAILED};
    closedByHand.outcomes = {RUN_CLOSED, RUN_CLOSED}, closedByHand.userCloses = true;
    const int selected[] = {0, 1, 2};
    EXPECT_EQ(RUN_CLOSED, RunVariantBatch(goesOn, s, selected, 3));
    EXPECT_EQ((std::vector<int>{0, 1, 2}), goesOn.runs) << "a failed start goes on after a dialog that closed itself";
    EXPECT_EQ(RUN_FAILED, RunVariantBatch(stops, s, selected, 3));
    EXPECT_EQ(std::vector<int>{0}, stops.runs);
    RunVariantBatch(closedByHand, s, selected, 2);
    EXPECT_EQ(std::vector<int>{0}, closedByHand.runs) << "a dialog that stayed open ends the batch";
    Runner none;
    EXPECT_EQ(RUN_CLOSED, RunVariantBatch(none, s, selected, 0)) << "nothing selected: the batch counts as closed";
    EXPECT_TRUE(none.runs.empty());
    EXPECT_EQ(0x12341401u, GetKindFlagsWord(s)) << "the word of kind and flags is back, upper half included";
    // An unattended clean run ends the program; anything else shows the window.
    const struct { int outcome; bool runAtStart, postClose, showWindow; } after[] = {
        {RUN_CLOSED, false, false, false}, {RUN_FAILED, false, false, false}, {RUN_QUIT_PROGRAM, false, true, false},
        {RUN_CLOSED, true, true, false}, {RUN_FAILED, true, false, true}, {RUN_QUIT_PROGRAM, true, true, true},
    };
    for (const auto& c : after) {
        AfterRunAction a = DecideAfterRun(c.outcome, c.runAtStart);
        EXPECT_EQ(std::make_pair(c.postClose, c.showWindow), std::make_pair(a.postClose, a.showWindow)) << c.outcome;
    }
}

// The jump key comes from the registry as it was stored: a value outside the
// table is no key at all, and its label that of the first key.
TEST(Settings, JumpKeyOutsideTheTableIsNoKey) {
    const struct { int32_t index; int key; const char* label; } rows[] = {
        {-1, 0, "[Enter]"}, {JUMP_KEY_COUNT, 0, "[Enter]"}, {INT32_MAX, 0, "[Enter]"}, {13, 115, "[F4]"}};
    for (const auto& r : rows) {
        char label[16];
        JumpKeyLabel(r.index, label, sizeof label);
        EXPECT_EQ(r.key, JumpKeyVirtualCode(r.index)) << r.index;
        EXPECT_STREQ(r.label, label) << r.index;
    }
}
