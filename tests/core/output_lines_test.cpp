#include "bravik/core/output_lines.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const int BOTH = HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE;

// Feeds the output as the pipe delivers it, piece by piece, and keeps what
// the pane would receive: its text and the highlighted pane ranges.
struct Pane {
    OutputLines state;
    OutputBatch batch;
    std::string pipe;   // read from the pipe, not shown yet
    std::string text;   // pane text, a paragraph mark written as "\r\n"
    size_t length = 0;  // pane characters
    std::vector<PaneRange> highlights;

    explicit Pane(int flags) {
        InitOutputLines(&state, flags);
        InitOutputBatch(&batch);
    }
    ~Pane() { FreeOutputBatch(&batch); }

    void Show(bool final, int maxLines = 1000, size_t maxBytes = 1 << 20) {
        for (;;) {
            size_t taken = TakeOutputLines(&state, pipe.data(), pipe.size(), final, maxLines, maxBytes, &batch);
            if (!taken) return;
            pipe.erase(0, taken);
            ASSERT_EQ(batch.textLength, strlen(batch.text));
            text += batch.text;
            for (int i = 0; i < batch.highlightCount; ++i)
                highlights.push_back({length + batch.highlights[i].first, length + batch.highlights[i].last});
            length += batch.paneLength;
        }
    }
    void Read(const std::string& bytes) {
        pipe += bytes;
        Show(false);
    }
    void End() { Show(true); }

    // The pane's lines (paragraph marks dropped) that start in a highlighted range.
    std::vector<std::string> HighlightedLines() const {
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t b = 0; b < text.size();) {
            size_t e = text.find("\r\n", b);
            if (e == std::string::npos) e = text.size();
            std::string line = text.substr(b, e - b);
            for (const PaneRange& r : highlights) {
                if (r.first <= start && start < r.last) {
                    lines.push_back(line);
                    break;
                }
            }
            start += PaneLength(line.data(), line.size()) + 1;
            b = e + 2;
        }
        return lines;
    }
};

TEST(OutputLines, EveryKindOfLineEndEndsALine) {
    const char* inputs[] = {"one\r\ntwo\r\n", "one\ntwo\n", "one\rtwo\r", "one\r\ntwo\n", "one\ntwo\r\n",
                            "one\rtwo\n"};
    for (const char* input : inputs) {
        Pane pane(0);
        pane.Read(input);
        pane.End();
        EXPECT_EQ("one\r\ntwo\r\n", pane.text) << input;
        EXPECT_EQ(8u, pane.length) << input;
        EXPECT_TRUE(pane.pipe.empty());
    }
}

TEST(OutputLines, EmptyLinesAreKept) {
    Pane pane(0);
    pane.Read("a\r\n\r\n\n\rb\r\r\n");
    pane.End();
    EXPECT_EQ("a\r\n\r\n\r\n\r\nb\r\n\r\n", pane.text);
}

TEST(OutputLines, UnfinishedLineWaitsForItsEnd) {
    Pane pane(BOTH);
    pane.Read("main.c(12) : err");
    EXPECT_EQ("", pane.text);
    pane.Read("or C2065: 'x' : undeclared identifier\r");
    EXPECT_EQ("", pane.text) << "a CR at the end may be followed by an LF";
    pane.Read("\nnext\r\n");
    EXPECT_EQ("main.c(12) : error C2065: 'x' : undeclared identifier\r\nnext\r\n", pane.text);
    ASSERT_EQ(1u, pane.HighlightedLines().size());
    EXPECT_EQ("main.c(12) : error C2065: 'x' : undeclared identifier", pane.HighlightedLines()[0]);
}

TEST(OutputLines, LineSplitAtEveryByteIsClassifiedWhole) {
    const std::string output = "cc -c a.c\r\nsrc/lib/io.c:7: warning: implicit declaration of 'f'\nlinking\n";
    for (size_t cut = 1; cut < output.size(); ++cut) {
        Pane pane(HIGHLIGHT_JUMPABLE);
        pane.Read(output.substr(0, cut));
        pane.Read(output.substr(cut));
        pane.End();
        EXPECT_EQ("cc -c a.c\r\nsrc/lib/io.c:7: warning: implicit declaration of 'f'\r\nlinking\r\n", pane.text)
            << cut;
        ASSERT_EQ(1u, pane.HighlightedLines().size()) << cut;
    }
}

TEST(OutputLines, LastLineWithoutLineEndIsShownAsItIsAtTheEnd) {
    Pane pane(BOTH);
    pane.Read("first\r\nmain.c(3) : error C1: no end");
    EXPECT_EQ("first\r\n", pane.text);
    pane.End();
    EXPECT_EQ("first\r\nmain.c(3) : error C1: no end", pane.text);
    EXPECT_TRUE(pane.HighlightedLines().empty()) << "the pending line is shown unclassified";
    EXPECT_TRUE(pane.state.errorKeyword) << "but the close-on-success test still sees it";
}

TEST(OutputLines, CrAtTheVeryEndIsALineEndOnceTheChildHasEnded) {
    Pane pane(0);
    pane.Read("done\r");
    EXPECT_EQ("", pane.text);
    pane.End();
    EXPECT_EQ("done\r\n", pane.text);
}

TEST(OutputLines, PendingLineHoldsUpTo1022Bytes) {
    Pane waits(0);
    waits.Read(std::string(PENDING_LINE_MAX, 'x'));
    EXPECT_EQ("", waits.text);

    Pane lump(0);
    lump.Read(std::string(PENDING_LINE_MAX + 1, 'x'));
    EXPECT_EQ(std::string(PENDING_LINE_MAX + 1, 'x'), lump.text) << "shown at once, without a line end";
    lump.Read("y\n");
    EXPECT_EQ(std::string(PENDING_LINE_MAX + 1, 'x') + "y\r\n", lump.text);
}

TEST(OutputLines, LumpNeverSplitsACharacterOrACrLf) {
    Pane lead(0);
    lead.Read(std::string(PENDING_LINE_MAX, 'x') + "\x83");  // first byte of ア
    EXPECT_EQ(std::string(PENDING_LINE_MAX, 'x'), lead.text);
    lead.Read("\x41\r\n");
    EXPECT_EQ(std::string(PENDING_LINE_MAX, 'x') + "\x83\x41\r\n", lead.text);

    Pane cr(0);
    cr.Read(std::string(PENDING_LINE_MAX + 5, 'x') + "\r");
    cr.Read("\nz\n");
    EXPECT_EQ(std::string(PENDING_LINE_MAX + 5, 'x') + "\r\nz\r\n", cr.text);
}

TEST(OutputLines, KeywordCutByALumpIsStillSeen) {
    Pane pane(0);
    pane.Read(std::string(PENDING_LINE_MAX + 10, 'x') + "war");
    EXPECT_FALSE(pane.state.errorKeyword);
    pane.Read("ning\r\n");
    EXPECT_TRUE(pane.state.errorKeyword);

    Pane japanese(0);
    japanese.Read(std::string(PENDING_LINE_MAX + 10, 'x') + "ワー");
    japanese.Read("ニング\r\n");
    EXPECT_TRUE(japanese.state.errorKeyword);
}

TEST(OutputLines, NulBytesAreDropped) {
    Pane pane(HIGHLIGHT_ERRORS);
    pane.Read(std::string("a\0b\r\ner\0ror\r\n", 13));
    EXPECT_EQ("ab\r\nerror\r\n", pane.text);
    EXPECT_EQ(1u, pane.HighlightedLines().size());
}

TEST(OutputLines, StrayLeadByteDoesNotSwallowTheLineEnd) {
    Pane pane(0);
    pane.Read("a\x82\nb\x82\r\nc\n");
    EXPECT_EQ("a\x82\r\nb\x82\r\nc\r\n", pane.text);
    EXPECT_EQ(8u, pane.length);
}

struct ClassCase {
    const char* line;
    bool error;     // holds an error keyword
    bool jumpable;  // names a file and a line
};

// Lines as compilers and linkers print them; which test each one passes
// follows from the keyword table and the worked examples of the recognizer.
const ClassCase classCases[] = {
    {"main.c(12) : error C2065: 'x' : undeclared identifier", true, true},
    {"src\\util.cpp(145) : warning C4101: 'i' : unreferenced local variable", true, true},
    {"Error main.c 12: Undefined symbol 'x' in function main", true, true},
    {"Warning ..\\src\\io.c 230: Possibly incorrect assignment", true, true},
    {"main.c:12: error: 'x' undeclared", true, true},
    {"src/lib/io.c:7: warning: implicit declaration of 'f'", true, true},
    {"test.c 12: error: undeclared symbol", true, true},
    {"LINK : fatal error L1104: cannot open file 'x.lib'", true, false},
    {"MAKE : fatal error U1077: 'cl' : return code '0x2'", true, false},
    {"x.exe - 0 error(s), 0 warning(s)", true, false},
    {"C:/src/main.c:12: error: 'x' undeclared", true, false},
    {"Compiling...", false, false},
    {"main.c(40) : see declaration of 'x'", false, true},
    {"a.c:3:", false, true},
    {"eRRor in lower and upper case", false, false},
    {"リンク中にエラーが発生しました", true, false},
    {"ｴﾗｰ: ﾌｧｲﾙがありません", true, false},
    {"定義が間違いです", true, false},
    {"コンパイル完了", false, false},
};

TEST(OutputLines, LinesAreHighlightedByTheFlagsThatAreSet) {
    for (const ClassCase& c : classCases) {
        EXPECT_FALSE(IsHighlightedLine(c.line, 0)) << c.line;
        EXPECT_EQ(c.error, IsHighlightedLine(c.line, HIGHLIGHT_ERRORS)) << c.line;
        EXPECT_EQ(c.jumpable, IsHighlightedLine(c.line, HIGHLIGHT_JUMPABLE)) << c.line;
        EXPECT_EQ(c.error || c.jumpable, IsHighlightedLine(c.line, BOTH)) << c.line;
    }
}

TEST(OutputLines, HighlightRangesCoverExactlyTheClassifiedLines) {
    for (int flags : {(int)HIGHLIGHT_ERRORS, (int)HIGHLIGHT_JUMPABLE, BOTH}) {
        std::string output;
        std::vector<std::string> expected;
        for (const ClassCase& c : classCases) {
            output += c.line;
            output += "\n";
            bool on = ((flags & HIGHLIGHT_ERRORS) && c.error) || ((flags & HIGHLIGHT_JUMPABLE) && c.jumpable);
            if (on) expected.push_back(c.line);
        }
        Pane pane(flags);
        pane.Read(output);
        pane.End();
        EXPECT_EQ(expected, pane.HighlightedLines()) << flags;
    }
}

TEST(OutputLines, RangesCountDoubleByteCharactersOnce) {
    Pane pane(HIGHLIGHT_ERRORS);
    pane.Read("ソース\r\nｱｲ\r\nエラー\r\n");
    ASSERT_EQ(1u, pane.highlights.size());
    // "ソース" 3 + mark, "ｱｲ" 2 + mark: the error line starts at 7 and its
    // three characters and mark end at 11.
    EXPECT_EQ(7u, pane.highlights[0].first);
    EXPECT_EQ(11u, pane.highlights[0].last);
    EXPECT_EQ(11u, pane.length);
}

TEST(OutputLines, AdjacentHighlightedLinesShareOneRange) {
    Pane pane(HIGHLIGHT_ERRORS);
    pane.Read("error 1\nerror 2\nok\nerror 3\n");
    ASSERT_EQ(2u, pane.highlights.size());
    EXPECT_EQ(0u, pane.highlights[0].first);
    EXPECT_EQ(16u, pane.highlights[0].last);
    EXPECT_EQ(19u, pane.highlights[1].first);
    EXPECT_EQ(27u, pane.highlights[1].last);
}

TEST(OutputLines, BatchesStopAtTheirLimitsAndLoseNothing) {
    std::string output;
    for (int i = 0; i < 100; ++i) output += (i % 10 == 9 ? "x.c(" + std::to_string(i) + ") : error\n" : "line\n");
    for (int maxLines : {1, 3, 7, 100}) {
        for (size_t maxBytes : {(size_t)1, (size_t)40, (size_t)10000}) {
            Pane pane(BOTH);
            pane.pipe = output;
            pane.Show(false, maxLines, maxBytes);
            Pane whole(BOTH);
            whole.Read(output);
            EXPECT_EQ(whole.text, pane.text) << maxLines << "/" << maxBytes;
            EXPECT_EQ(10u, pane.HighlightedLines().size());
        }
    }
}

TEST(OutputLines, OneBatchTakesNoMoreLinesThanAsked) {
    OutputLines state;
    InitOutputLines(&state, 0);
    OutputBatch batch;
    InitOutputBatch(&batch);
    const char* data = "a\nb\nc\nd\n";
    EXPECT_EQ(4u, TakeOutputLines(&state, data, 8, false, 2, 1000, &batch));
    EXPECT_EQ(2, batch.lines);
    EXPECT_STREQ("a\r\nb\r\n", batch.text);
    // A line longer than maxBytes is still taken whole.
    EXPECT_EQ(8u, TakeOutputLines(&state, "abcdefg\n", 8, false, 10, 2, &batch));
    EXPECT_STREQ("abcdefg\r\n", batch.text);
    FreeOutputBatch(&batch);
}

TEST(OutputLines, CloseOnSuccessTestSeesEveryKeywordWhateverTheFlags) {
    const char* clean[] = {"cl /c main.c", "main.c", "Generating code", "ｺﾝﾊﾟｲﾙ終了"};
    const char* dirty[] = {"WARNING: x", "1 Error", "エラー", "ﾜｰﾆﾝｸﾞ", "異常終了", "誤り"};
    for (int flags : {0, (int)HIGHLIGHT_ERRORS, (int)HIGHLIGHT_JUMPABLE}) {
        Pane pane(flags);
        for (const char* line : clean) pane.Read(std::string(line) + "\r\n");
        pane.End();
        EXPECT_FALSE(pane.state.errorKeyword) << flags;
        for (const char* line : dirty) {
            Pane one(flags);
            one.Read(std::string("ok\n") + line + "\nok\n");
            EXPECT_TRUE(one.state.errorKeyword) << line << " / " << flags;
        }
    }
    OutputLines state;
    InitOutputLines(&state, 0);
    NoteShownText(&state, "nmake /f build.mak warning=1");
    EXPECT_TRUE(state.errorKeyword) << "the command line counts too";
}

TEST(OutputLines, PaneLengthCountsCharacters) {
    struct {
        const char* text;
        size_t expected;
    } cases[] = {{"ab", 2},          {"アイ", 2},         {"ｱｲ", 2},       {"a\x82", 2},
                 {"\x82\n", 2},      {"\x82\x20", 2},     {"漢字x", 3},    {"", 0}};
    for (const auto& c : cases) EXPECT_EQ(c.expected, PaneLength(c.text, strlen(c.text))) << c.text;
}

}  // namespace
