#include "bravik/core/main.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

TEST(Main, RoutesEveryIdRange) {
    const struct { unsigned id; CommandRoute route; } cases[] = {
        {100, ROUTE_DEFAULT}, {101, ROUTE_COMMAND}, {105, ROUTE_COMMAND},  {109, ROUTE_COMMAND},
        {110, ROUTE_DEFAULT}, {199, ROUTE_DEFAULT}, {200, ROUTE_VARIANT},  {299, ROUTE_VARIANT},
        {300, ROUTE_VARIANT}, {301, ROUTE_DEFAULT}, {3001, ROUTE_DEFAULT}, {3002, ROUTE_LIST_NOTIFY},
        {0xF060, ROUTE_DEFAULT},  // the window menu's close item
        {0x10000 | 102, ROUTE_COMMAND}, {(2u << 16) | 3002, ROUTE_LIST_NOTIFY},  // only the low 16 bits count
    };
    for (const auto& c : cases) EXPECT_EQ(c.route, RouteCommand(c.id)) << c.id;
}

TEST(Main, DroppedFileRule) {
    const struct { const char* path; bool accepted; } cases[] = {
        {"C:\\src\\app.mak", true},  {"a.mak", false},  // five characters only
        {"ab.mak", true},            {"C:\\src\\MAKEFILE", false},
        {"C:\\src\\APP.MAK", false},  // the test is case-sensitive
        {"C:\\src\\app.make", true},  {"C:\\x.makers\\notes.txt", true},  // anywhere in the path
        {"C:\\src\\app.txt", false}, {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(c.accepted, AcceptsDroppedFile(c.path)) << c.path;
}

TEST(Main, HelpPathsBesideTheExecutable) {
    struct Case { const char *exe, *out; size_t size = 260; };
    const Case files[] = {
        {"C:\\Program Files\\Bravik\\Bravik.exe", "C:\\Program Files\\Bravik\\Bravik.hlp"},
        {"c:\\tools\\bravik.exe", "c:\\tools\\Bravik.hlp"}, {"BRAVIK.EXE", "Bravik.hlp"},
        {"C:\\tools\\MyBravik.exe", "C:\\tools\\MyBravik.hlp"},  // only the last ten characters count
        {"C:\\tools\\Bravik2.exe", "Bravik.hlp"}, {"RAVIK.EXE", "Bravik.hlp"},
        {"C:\\\x83" "BRAVIK.EXE", "Bravik.hlp"},  // the 'B' is the second byte of a double-byte character
        {"C:\\ツール\\Bravik.exe", "C:\\ツール\\Bravik.hlp"}, {"C:\\x\\Bravik.exe", "C:\\x\\Br", 8},
    };
    const Case pages[] = {
        {"C:\\t\\renamed.exe", "C:\\t\\Bravik.html"}, {"Bravik.exe", "Bravik.html"},
        {"C:\\ソ.exe", "C:\\Bravik.html"},  // the second byte of "ソ" is '\', not a separator
        {"C:\\x\\Bravik.exe", "C:\\x\\Br", 8},
    };
    char out[260];
    for (const Case& c : files) {
        HelpFilePath(c.exe, out, c.size);
        EXPECT_STREQ(c.out, out) << c.exe;
    }
    for (const Case& c : pages) {
        HelpPagePath(c.exe, out, c.size);
        EXPECT_STREQ(c.out, out) << c.exe;
    }
}

TEST(Main, EditCommandLine) {
    const struct { const char *editor, *makefile; size_t size; bool ok; const char* out; } cases[] = {
        {"C:\\hidemaru\\Hidemaru.exe", "C:\\my src\\app.mak", 524, true,
         "C:\\hidemaru\\Hidemaru.exe \"C:\\my src\\app.mak\""},  // one operand for the editor
        {"edit", "C:\\src\\app.mak", 524, true, "edit C:\\src\\app.mak"},
        {"edit", "a b", 10, false, ""},  // needs 11 with the quotes
        {"", "C:\\app.mak", 524, false, ""}, {"notepad", "", 524, false, ""},
        {"edit", "x.mak", 10, false, ""},  // needs 11
        {"edit", "x.ma", 10, true, "edit x.ma"},
    };
    char out[524];
    for (const auto& c : cases) {
        EXPECT_EQ(c.ok, ComposeEditCommand(c.editor, c.makefile, out, c.size)) << c.editor << " " << c.makefile;
        EXPECT_STREQ(c.out, out) << c.editor << " " << c.makefile;
    }
    // Two full 259-character paths, the blank and the quotes fit the buffer.
    std::string a(259, 'a'), b(258, 'b');
    b.insert(1, " ");
    EXPECT_TRUE(ComposeEditCommand(a.c_str(), b.c_str(), out, sizeof out));
    EXPECT_EQ(521u, strlen(out));
}

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
