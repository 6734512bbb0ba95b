#include "bravik/core/run.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "bravik/core/make_directories.h"

namespace {

const int BOTH = HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE;

const char RtfStart[] = "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 ";
const char RtfFontAndColours[] =
    "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}"  // ＭＳ Ｐゴシック
    "{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs18\\b0\\cf0 ";

struct Pane {
    OutputLines state;
    OutputBatch batch;
    std::string pipe;  // read from the pipe, not shown yet
    std::string text;  // pane text, a paragraph mark written as "\r\n"
    std::vector<std::string> highlighted;  // paragraphs shown wholly in bold red
    bool paragraphNormal = false, paragraphBold = false;
    std::string paragraph;

    explicit Pane(int flags) { InitOutputLines(&state, flags), InitOutputBatch(&batch); }
    ~Pane() { FreeOutputBatch(&batch); }

    void EndParagraph() {
        if (paragraphBold && !paragraphNormal && !paragraph.empty()) highlighted.push_back(paragraph);
        paragraph.clear();
        paragraphBold = paragraphNormal = false;
        text += "\r\n";
    }
    void Character(char c, bool bold) { (bold ? paragraphBold : paragraphNormal) = true, paragraph += c, text += c; }
    // Only what the writer produces is understood.
    void Document(const std::string& rtf) {
        ASSERT_EQ(0u, rtf.find(std::string(RtfStart) + RtfFontAndColours)) << rtf;
        ASSERT_EQ('}', rtf.back());
        bool bold = false;
        for (size_t i = strlen(RtfStart) + strlen(RtfFontAndColours); i + 1 < rtf.size();) {
            auto at = [&](const char* word) { return rtf.compare(i, strlen(word), word) == 0; };
            if (at("\\b\\cf1 ")) bold = true, i += 7;
            else if (at("\\b0\\cf0 ")) bold = false, i += 8;
            else if (at("\\par\n")) EndParagraph(), i += 5;
            else if (at("\\tab ")) Character('\t', bold), i += 5;
            else if (at("\\'")) Character((char)strtol(rtf.substr(i + 2, 2).c_str(), nullptr, 16), bold), i += 4;
            else if (at("\\u")) {
                size_t q = rtf.find('?', i);
                Character((char)atoi(rtf.substr(i + 2, q - i - 2).c_str()), bold);
                i = q + 1;
            } else if (at("\\\\") || at("\\{") || at("\\}")) Character(rtf[i + 1], bold), i += 2;
            else {
                ASSERT_TRUE(rtf[i] != '\\' && rtf[i] != '{' && rtf[i] != '}' && (unsigned char)rtf[i] < 0x80 &&
                            rtf[i] >= 0x20)
                    << "unescaped byte at " << i << " in " << rtf;
                Character(rtf[i++], bold);
            }
        }
    }
    void Show(bool final, int maxLines = 1000, size_t maxBytes = 1 << 20) {
        while (size_t taken = TakeOutputLines(&state, pipe.data(), pipe.size(), final, maxLines, maxBytes, &batch)) {
            pipe.erase(0, taken);
            ASSERT_EQ(batch.textLength, strlen(batch.text));
            size_t before = text.size(), highlightedBefore = highlighted.size();
            Document(batch.text);
            // The plain form stands in for the document only when it shows the same.
            std::string added = text.substr(before);
            bool control = false;
            for (char c : added) control |= (unsigned char)c < 0x20 && c != '\t' && c != '\r' && c != '\n';
            bool bold = highlighted.size() > highlightedBefore || paragraphBold;
            EXPECT_EQ(!bold && !control, batch.plainWillDo) << added;
            if (batch.plainWillDo) EXPECT_EQ(added, std::string(batch.plain, batch.plainLength));
        }
    }
    void Read(const std::string& bytes) { pipe += bytes, Show(false); }
    void End() { Show(true); }
};

std::string AllBytes() {
    std::string all;
    for (int c = 1; c < 256; ++c)
        if (c != '\r' && c != '\n' && c != 0x1B) all += (char)c;  // ESC starts a sequence that is removed
    return all;
}

TEST(Run, LineEndsNulBytesAndEveryOtherByteSurvive) {
    const struct {
        std::string input, shown;
        size_t highlighted;
    } cases[] = {
        {"1\r\n2\n3\r4\r\n5\n6\r7\n", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n", 0},
        {"done\r", "done\r\n", 0},  // a CR at the very end is a line end once the child has ended
        {std::string("a\0b\r\ner\0ror\r\n", 13), "ab\r\nerror\r\n", 1},
        // a stray lead byte keeps its line end
        {AllBytes() + "\r\nソース\\{x}\r\na\x82\nb\x82\r\n", AllBytes() + "\r\nソース\\{x}\r\na\x82\r\nb\x82\r\n", 0},
    };
    for (const auto& c : cases) {
        Pane pane(HIGHLIGHT_ERRORS);
        pane.Read(c.input);
        pane.End();
        EXPECT_EQ(c.shown, pane.text) << c.input;
        EXPECT_TRUE(pane.pipe.empty());
        EXPECT_EQ(c.highlighted, pane.highlighted.size()) << c.input;
    }
}

TEST(Run, UnfinishedLineWaitsForItsEnd) {
    Pane pane(BOTH);
    pane.Read("main.c(12) : err");
    EXPECT_EQ("", pane.text);
    pane.Read("or C2065: 'x' : undeclared identifier\r");
    EXPECT_EQ("", pane.text) << "a CR at the end may be followed by an LF";
    pane.Read("\nnext\r\nmain.c(3) : error C1: no end");
    const std::string first = "main.c(12) : error C2065: 'x' : undeclared identifier";
    EXPECT_EQ(first + "\r\nnext\r\n", pane.text);
    pane.End();
    EXPECT_EQ(first + "\r\nnext\r\nmain.c(3) : error C1: no end", pane.text);
    EXPECT_EQ(std::vector<std::string>{first}, pane.highlighted) << "the last line is shown unclassified";
    EXPECT_TRUE(pane.state.errorKeyword) << "but the close-on-success test still sees it";
}

TEST(Run, LineSplitAtEveryByteIsClassifiedWhole) {
    const std::string output = "cc -c a.c\r\nsrc/lib/io.c:7: warning: implicit declaration of 'f'\nlinking\n";
    for (size_t cut = 1; cut < output.size(); ++cut) {
        Pane pane(HIGHLIGHT_JUMPABLE);
        pane.Read(output.substr(0, cut));
        pane.Read(output.substr(cut));
        pane.End();
        EXPECT_EQ("cc -c a.c\r\nsrc/lib/io.c:7: warning: implicit declaration of 'f'\r\nlinking\r\n", pane.text)
            << cut;
        ASSERT_EQ(1u, pane.highlighted.size()) << cut;
    }
}

// A pending line holds up to PENDING_LINE_MAX bytes; a longer one is shown
// at once as a lump, never splitting a character or a CR LF, and a keyword
// cut by a lump is still seen.
TEST(Run, LongLinesAreShownInLumps) {
    const std::string x(PENDING_LINE_MAX, 'x');
    Pane waits(0);
    waits.Read(x);
    EXPECT_EQ("", waits.text);

    Pane lump(0);
    lump.Read(x + "x");
    EXPECT_EQ(x + "x", lump.text) << "shown at once, without a line end";
    lump.Read("y\n");
    EXPECT_EQ(x + "xy\r\n", lump.text);

    Pane lead(0);
    lead.Read(x + "\x83");  // first byte of ア
    EXPECT_EQ(x, lead.text);
    lead.Read("\x41\r\n");
    EXPECT_EQ(x + "\x83\x41\r\n", lead.text);

    Pane cr(0);
    cr.Read(x + "xxxxx\r");
    cr.Read("\nz\n");
    EXPECT_EQ(x + "xxxxx\r\nz\r\n", cr.text);

    Pane word(0);
    word.Read(x + "xxxxxxxxxxwar");
    EXPECT_FALSE(word.state.errorKeyword);
    word.Read("ning\r\n");
    EXPECT_TRUE(word.state.errorKeyword);

    Pane japanese(0);
    japanese.Read(x + "xxxxxxxxxxワー");
    japanese.Read("ニング\r\n");
    EXPECT_TRUE(japanese.state.errorKeyword);

    // A UTF-8 line is cut between characters, so each lump still converts.
    const std::string a = "\xE3\x81\x82";  // あ
    for (size_t cut = 0; cut < 3; ++cut) {
        Pane utf8(0);
        utf8.Read(x + a + a.substr(0, cut));
        utf8.Read(a.substr(cut) + "\n");
        EXPECT_EQ(x + "ああ\r\n", utf8.text) << cut;
    }
}

// Lines are cleaned before they are shown, classified and counted, and each
// notes make's directory stack.
TEST(Run, ColouredAndUtf8LinesAreCleanedCountedAndTracked) {
    const std::string quoted = "\xE2\x80\x98x\xE2\x80\x99";  // ‘x’ in UTF-8
    Pane pane(HIGHLIGHT_JUMPABLE);
    MakeDirectories dirs;
    InitMakeDirectories(&dirs);
    pane.state.directories = &dirs;
    pane.Read("make[1]: Entering directory 'C:/p/sub'\n"
              "\x1b[01m\x1b[Kx.c:3:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K" + quoted + " undeclared\n"
              "make[1]: Leaving directory 'C:/p/sub'\n"
              "LINK : fatal error L1104\n"
              "main.c(12) : warning C4101\n"
              "\x1b[32mdone\x1b[0m\n");
    pane.End();
    EXPECT_EQ("make[1]: Entering directory 'C:/p/sub'\r\nx.c:3:5: error: ‘x’ undeclared\r\n"
              "make[1]: Leaving directory 'C:/p/sub'\r\nLINK : fatal error L1104\r\nmain.c(12) : warning C4101\r\n"
              "done\r\n",
              pane.text);
    EXPECT_EQ((std::vector<std::string>{"x.c:3:5: error: ‘x’ undeclared", "main.c(12) : warning C4101"}),
              pane.highlighted);
    EXPECT_EQ(3, pane.state.errorLines);
    EXPECT_EQ(2, pane.state.jumpableLines);
    EXPECT_EQ(6, dirs.lines);
    EXPECT_STREQ("C:\\p\\sub", MakeDirectoryAt(&dirs, 1));
    EXPECT_EQ(nullptr, MakeDirectoryAt(&dirs, 4));
    FreeMakeDirectories(&dirs);
}

struct ClassCase {
    const char* line;
    bool error;     // holds an error keyword
    bool jumpable;  // names a file and a line
};

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
    {"C:/src/main.c:12: error: 'x' undeclared", true, true},
    {"Compiling...", false, false},
    {"main.c(40) : see declaration of 'x'", false, true},
    {"a.c:3:", false, true},
    {"eRRor in lower and upper case", false, false},
    {"リンク中にエラーが発生しました", true, false},
    {"ｴﾗｰ: ﾌｧｲﾙがありません", true, false},
    {"定義が間違いです", true, false},
    {"コンパイル完了", false, false},
};

TEST(Run, LinesAreHighlightedByTheFlagsThatAreSet) {
    for (int flags : {0, (int)HIGHLIGHT_ERRORS, (int)HIGHLIGHT_JUMPABLE, BOTH}) {
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
        EXPECT_EQ(expected, pane.highlighted) << flags;
    }
}

TEST(Run, FormatIsSwitchedOnlyWhereItChanges) {
    Pane pane(HIGHLIGHT_ERRORS);
    OutputBatch& batch = pane.batch;
    const char* data = "error 1\nerror 2\nok\nerror 3\nok\nok\n";
    ASSERT_EQ(strlen(data), TakeOutputLines(&pane.state, data, strlen(data), false, 100, 1000, &batch));
    EXPECT_EQ(std::string(RtfStart) + RtfFontAndColours +
                  "\\b\\cf1 error 1\\par\nerror 2\\par\n\\b0\\cf0 ok\\par\n\\b\\cf1 error 3\\par\n\\b0\\cf0 ok\\par\nok\\par\n}",
              batch.text);
    EXPECT_EQ(6, batch.lines);
}

TEST(Run, BatchesStopAtTheirLimitsAndLoseNothing) {
    std::string output;
    for (int i = 0; i < 100; ++i) output += (i % 10 == 9 ? "x.c(" + std::to_string(i) + ") : error\n" : "line\n");
    for (int maxLines : {1, 7, 100}) {
        for (size_t maxBytes : {(size_t)1, (size_t)10000}) {
            Pane pane(BOTH);
            pane.pipe = output;
            pane.Show(false, maxLines, maxBytes);
            Pane whole(BOTH);
            whole.Read(output);
            EXPECT_EQ(whole.text, pane.text) << maxLines << "/" << maxBytes;
            EXPECT_EQ(10u, pane.highlighted.size());
        }
    }
}

TEST(Run, CloseOnSuccessTestSeesEveryKeywordWhateverTheFlags) {
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

}  // namespace
