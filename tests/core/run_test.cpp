#include "bravik/core/run.h"
#include "tests/core/test.h"

static const int BOTH = HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE;
static const std::string Header =
    "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 \\'82\\'6c\\'82\\'72 "
    "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs18\\b0\\cf0 ";

// The pane as the rich edit would show the batches: the text (paragraph marks
// as CR LF) and the lines shown wholly in bold red. Only what the writer
// produces is understood; anything else fails the test.
struct Pane {
    OutputLines state;
    OutputBatch batch;
    std::string pipe, text, line;
    std::vector<std::string> red;
    bool allBold = true;
    explicit Pane(int flags) { InitOutputLines(&state, flags), InitOutputBatch(&batch); }
    ~Pane() { FreeOutputBatch(&batch); }
    void Decode(const std::string& rtf) {
        ASSERT_TRUE(rtf.find(Header) == 0 && rtf.back() == '}') << rtf;
        bool bold = false;  // each batch starts in the normal format
        for (size_t i = Header.size(); i + 1 < rtf.size();) {
            auto at = [&](const char* w) { return rtf.compare(i, strlen(w), w) == 0 && (i += strlen(w)); };
            char c;
            if (at("\\b\\cf1 ") || at("\\b0\\cf0 ")) { bold = rtf[i - 2] == '1'; continue; }
            if (at("\\par\n")) {
                if (!line.empty() && allBold) red.push_back(line);
                line.clear(), allBold = true, text += "\r\n";
                continue;
            }
            if (at("\\tab ")) c = '\t';
            else if (at("\\'")) c = (char)std::stoi(rtf.substr(i, 2), nullptr, 16), i += 2;
            else if (at("\\u")) c = (char)atoi(rtf.c_str() + i), i = rtf.find('?', i) + 1;
            else if (at("\\")) ASSERT_TRUE(strchr("\\{}", c = rtf[i++])) << rtf;
            else ASSERT_TRUE((c = rtf[i++]) >= 0x20 && c < 0x7F && !strchr("{}", c)) << "unescaped in " << rtf;
            allBold &= bold, line += c, text += c;
        }
    }
    void Show(bool final) {
        while (size_t taken = TakeOutputLines(&state, pipe.data(), pipe.size(), final, 1000, 1 << 20, &batch)) {
            const std::string rtf(batch.text, batch.textLength);
            pipe.erase(0, taken);
            size_t before = text.size();
            Decode(rtf);
            size_t pars = 0;
            for (size_t at = 0; (at = rtf.find("\\par\n", at)) != std::string::npos; ++at) ++pars;
            ASSERT_EQ((size_t)batch.lines, pars);
            // The plain form stands in for the document only when it shows the same.
            std::string added = text.substr(before);
            bool control = false;
            for (char c : added) control |= ((unsigned char)c < 0x20 && !strchr("\t\r\n", c)) || c == 0x7F;
            EXPECT_EQ(rtf.find("\\b\\cf1 ") == std::string::npos && !control, batch.plainWillDo) << added;
            if (batch.plainWillDo) EXPECT_EQ(added, std::string(batch.plain, batch.plainLength));
        }
    }
    Pane& Read(const std::string& bytes) { return pipe += bytes, Show(false), *this; }
    Pane& End() { return Show(true), *this; }
};

TEST(Run, LineEndsNulBytesAndEveryOtherByteSurvive) {
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n' && c != 0x1B) all += (char)c;  // ESC starts a sequence that is removed
    const struct { std::string input, shown; size_t red; } cases[] = {
        {"1\r\n2\n3\r4\n", "1\r\n2\r\n3\r\n4\r\n", 0},
        {"done\r", "done\r\n", 0},  // a CR at the very end is a line end once the child has ended
        {std::string("a\0b\r\ner\0ror\r\n", 13), "ab\r\nerror\r\n", 1},
        {all + "\r\nソース\\{x}\r\na\x82\nb\x82\r\n", all + "\r\nソース\\{x}\r\na\x82\r\nb\x82\r\n", 0},  // stray lead bytes
    };
    for (const auto& c : cases) {
        Pane pane(HIGHLIGHT_ERRORS);
        pane.Read(c.input).End();
        EXPECT_EQ(c.shown, pane.text) << c.input;
        EXPECT_EQ(c.red, pane.red.size()) << c.input;
    }
}

TEST(Run, UnfinishedLineWaitsAndTheLastIsShownUnclassified) {
    Pane pane(BOTH);
    EXPECT_EQ("", pane.Read("main.c(12) : err").Read("or C2065\r").text) << "a CR may be followed by an LF";
    EXPECT_EQ("main.c(12) : error C2065\r\nnext\r\n", pane.Read("\nnext\r\nmain.c(3) : error C1").text);
    EXPECT_EQ("main.c(12) : error C2065\r\nnext\r\nmain.c(3) : error C1", pane.End().text);
    EXPECT_EQ(std::vector<std::string>{"main.c(12) : error C2065"}, pane.red);
    EXPECT_TRUE(pane.state.errorKeyword) << "the close-on-success test still sees the last line";
    const std::string output = "cc -c a.c\r\nsrc/io.c:7: warning: x\nlinking\n";
    for (size_t cut = 1; cut < output.size(); ++cut) {
        Pane split(HIGHLIGHT_JUMPABLE);
        split.Read(output.substr(0, cut)).Read(output.substr(cut)).End();
        EXPECT_EQ("cc -c a.c\r\nsrc/io.c:7: warning: x\r\nlinking\r\n", split.text) << cut;
        EXPECT_EQ(1u, split.red.size()) << cut;
    }
}

// A pending line longer than PENDING_LINE_MAX is shown at once as a lump,
// never splitting a character, a UTF-8 sequence or a CR LF, and a keyword cut
// by a lump is still seen.
TEST(Run, LongLinesAreShownInLumps) {
    const std::string x(PENDING_LINE_MAX, 'x'), a = "\xE3\x81\x82";  // あ in UTF-8
    const struct { std::string first, shownFirst, second, shown; bool keyword; } cases[] = {  // "-": not looked at
        {x, "", "", "", false}, {x + "x", x + "x", "y\n", x + "xy\r\n", false},
        {x + "\x83", x, "\x41\r\n", x + "\x83\x41\r\n", false},
        {x + "xxxxx\r", x + "xxxxx", "\nz\n", x + "xxxxx\r\nz\r\n", false},
        {x + "xxxxxxxxxxwar", "-", "ning\r\n", x + "xxxxxxxxxxwarning\r\n", true},
        {x + "xxxxxxxxxxワー", "-", "ニング\r\n", x + "xxxxxxxxxxワーニング\r\n", true},
        {x + a + a.substr(0, 1), "-", a.substr(1) + "\n", x + "ああ\r\n", false},
        {x + a + a.substr(0, 2), "-", a.substr(2) + "\n", x + "ああ\r\n", false},
    };
    for (const auto& c : cases) {
        Pane pane(0);
        pane.Read(c.first);
        if (c.shownFirst != "-") { EXPECT_EQ(c.shownFirst, pane.text) << c.second; }
        EXPECT_EQ(c.shown, pane.Read(c.second).text) << c.second;
        EXPECT_EQ(c.keyword, pane.state.errorKeyword) << c.second;
    }
}

// Each line is cleaned (escapes, UTF-8), then classified and highlighted by
// the flags that are set. That every line is counted and noted for make's
// directory stack is seen by tests/e2e/run_dialog.sh (the counts, the jumps).
TEST(Run, LinesAreCleanedAndHighlightedByTheFlags) {
    const struct { const char *line, *shown; bool error, jumpable; } lines[] = {
        {"make[1]: Entering directory 'C:/p/sub'", nullptr, false, false},
        {"\x1b[01mx.c:3:5:\x1b[m error: \xE2\x80\x98x\xE2\x80\x99", "x.c:3:5: error: ‘x’", true, true},
        {"LINK : fatal error L1104", nullptr, true, false}, {"main.c(40) : see 'x'", nullptr, false, true},
        {"Compiling...", nullptr, false, false}, {"リンク中にエラーが発生しました", nullptr, true, false},
    };
    for (int flags : {0, (int)HIGHLIGHT_ERRORS, (int)HIGHLIGHT_JUMPABLE, BOTH}) {
        Pane pane(flags);
        std::string shown;
        std::vector<std::string> red;
        for (const auto& c : lines) {
            pane.Read(std::string(c.line) + "\n");
            shown += std::string(c.shown ? c.shown : c.line) + "\r\n";
            if (((flags & HIGHLIGHT_ERRORS) && c.error) || ((flags & HIGHLIGHT_JUMPABLE) && c.jumpable))
                red.push_back(c.shown ? c.shown : c.line);
        }
        EXPECT_EQ(shown, pane.text);
        EXPECT_EQ(red, pane.red) << flags;
    }
}

// The close-on-success test sees a keyword whatever the highlight flags (a
// warning with none: tests/wine/run_make_test.cpp), and in the command line too.
TEST(Run, CloseOnSuccessTestSeesTheCommandLineToo) {
    EXPECT_FALSE(Pane(0).Read("cl /c main.c\r\nｺﾝﾊﾟｲﾙ終了\r\n").End().state.errorKeyword);
    OutputLines state;
    InitOutputLines(&state, 0);
    NoteShownText(&state, "nmake /f build.mak warning=1");
    EXPECT_TRUE(state.errorKeyword);
}
