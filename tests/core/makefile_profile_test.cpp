#include "bravik/core/makefile_profile.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Sink : VariantSink {
    std::vector<std::string> labels, macros;
    int failAt = -1;
    bool AddVariant(int index, const char* label, const char* m) override {
        EXPECT_EQ((int)labels.size(), index);
        labels.push_back(label), macros.push_back(m);
        return index != failAt;
    }
};

SettingsRecord Blank() {
    SettingsRecord s;
    DefaultSettings(s);
    return s;
}

int Read(const std::string& text, SettingsRecord& s, Sink& sink) {
    FILE* f = fmemopen((void*)text.data(), text.size(), "r");
    int r = ReadMakefileProfile(f, s, sink);
    fclose(f);
    return r;
}

const uint8_t SYS = FLAG_USE_SYSTEM_ENV, CLOSE = FLAG_CLOSE_ON_SUCCESS, ERR = FLAG_HIGHLIGHT_ERRORS,
              JUMP = FLAG_HIGHLIGHT_JUMPABLE;

}  // namespace

TEST(MakefileProfile, FlagDirectives) {
    const struct { const char* line; uint8_t before, after; } cases[] = {
        {"#BvSenv 1", 0, SYS}, {"#BvSenv 0", SYS, 0}, {"#BvSenv 2", SYS, SYS}, {"#BvSenv yes", SYS, 0},
        {"#BvSenv 4294967296", SYS, SYS}, {"#BvClose 4294967297", 0, 0},  // saturates, never wraps to 0 or 1
        {"#BvClose 1", 0, CLOSE}, {"#BvClose\t0", CLOSE, 0}, {"#BvClose -1", CLOSE, CLOSE},
        {"#BvMulti 1", 0, FLAG_MULTI_SELECT | CLOSE}, {"#BvMulti 0", FLAG_MULTI_SELECT | CLOSE, CLOSE},
        {"#BvErrmsg 3", 0, ERR | JUMP}, {"#BvErrmsg 0", ERR | JUMP, 0}, {"#BvErrmsg 1", JUMP, ERR},
        {"#BvErrmsg 2", ERR, JUMP}, {"#BvErrmsg 12", 0, ERR}, {"#BvErrmsg x3", ERR, ERR},
        {" #BvClose 1", 0, 0}, {"#bvclose 1", 0, 0},  // first column only, case-sensitive
    };
    for (const auto& c : cases) {
        SettingsRecord s = Blank();
        char env[2080] = "";
        s.flags = c.before;
        ApplyDirective(c.line, s, env, sizeof env);
        EXPECT_EQ(c.after, s.flags) << c.line;
    }
}

TEST(MakefileProfile, TextAndKindDirectives) {
    SettingsRecord s = Blank();
    char env[2080] = "";
    std::string kanji = "#BvCur ";
    for (int i = 0; i < 200; ++i) kanji += "表";  // "表" ends in 0x5C: a cut never leaves half of it
    const struct { std::string line; const char* field; std::string value; } cases[] = {
        {"#BvExe\tC:\\tools\\make.exe  ", s.makeExe, "C:\\tools\\make.exe  "}, {"#BvOpt -f %s -k", s.makeOptions, "-f %s -k"},
        {"#BvEdit C:\\hm.exe", s.editorExe, "C:\\hm.exe"}, {"#BvEopt /j%d", s.editorOptions, "/j%d"},
        {"#BvCur D:\\build", s.currentDir, "D:\\build"}, {"#BvExe " + std::string(600, 'x'), s.makeExe, std::string(259, 'x')},
        {kanji, s.currentDir, kanji.substr(7, 258)}, {"#BvCur", s.currentDir, ""},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ApplyDirective(c.line.c_str(), s, env, sizeof env));
        EXPECT_EQ(c.value, c.field) << c.line;
    }
    // The number lands in the whole word that also holds the flags; beyond 32 bits it saturates.
    const struct { const char* line; uint32_t before, word; } kinds[] = {
        {"#BvKind 0", 0x1001, 0x1000}, {"#BvKind 257", 0x1000, 0x1101}, {"#BvKind 99999999999999999999999", 0, 0x7FFFFFFF},
        {"#BvKind -2147483648", 0, 0x80000000u}, {"#BvKind -99999999999", 0, 0x80000000u}, {"#BvKind -7", 0, 0xFFFFFFF9u},
    };
    for (const auto& c : kinds) {
        SetKindFlagsWord(s, c.before);
        ApplyDirective(c.line, s, env, sizeof env);
        EXPECT_EQ(c.word, GetKindFlagsWord(s)) << c.line;
    }
}

TEST(MakefileProfile, VariantLines) {
    const struct { const char *line, *macros, *label; } cases[] = {  // label nullptr: refused
        {"#Bravik \"nodebug=1\" Release build", "nodebug=1", "Release build"}, {"#Bravik\t\"\"\tDebug  ", "", "Debug  "},
        {"#Bravik\"A=1 B=2\"x", "A=1 B=2", "x"}, {"#Bravik nodebug=1 Release", "", nullptr},
        {"#Bravik \"nodebug=1 Release", "", nullptr}, {"#Bravik \"nodebug=1\"   ", "", nullptr},
        {"#bravik \"a\" b", "", nullptr},
        {"#Bravik \"\x95\\\" \x83\\", "\x95\\", "\x83\\"},  // 表 and ソ end in '\'
    };
    for (const auto& c : cases) {
        char macros[512] = "", label[512] = "";
        EXPECT_EQ(c.label != nullptr, ParseVariantLine(c.line, macros, label)) << c.line;
        if (c.label) { EXPECT_EQ(std::string(c.macros) + "|" + c.label, std::string(macros) + "|" + label); }
    }
}

TEST(MakefileProfile, ReadingVariants) {
    SettingsRecord s = Blank();
    Sink sink, none, many, failing;
    EXPECT_EQ(1, Read("all:\n#Bravik \"nodebug=1\" Release\r\n#Bravik bad\n#Bravik \"\" Debug\n  #Bravik \"x\" i\n", s, sink));
    EXPECT_EQ((std::vector<std::string>{"Release", "Debug"}), sink.labels);
    EXPECT_EQ((std::vector<std::string>{"nodebug=1", ""}), sink.macros);
    EXPECT_EQ(1, Read("all:\n\techo hi\n", s, none));
    EXPECT_EQ((std::vector<std::string>{"リリース版のコンパイル", "デバッグ版のコンパイル"}), none.labels);
    EXPECT_EQ((std::vector<std::string>{"nodebug=1", ""}), none.macros);
    std::string text;
    for (int i = 0; i < 130; ++i) text += "#Bravik \"N\" v" + std::to_string(i) + "\n";
    Read(text, s, many);
    ASSERT_EQ(100u, many.labels.size());
    EXPECT_EQ("v99", many.labels[99]);
    failing.failAt = 1;  // out of memory: reading stops there
    EXPECT_EQ(0, Read("#Bravik \"a\" A\n#Bravik \"b\" B\n#Bravik \"c\" C\n#BvExe late\n", s, failing));
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), failing.labels);
    EXPECT_STREQ("", s.makeExe);
}

TEST(MakefileProfile, EnvironmentLinesAndLongLines) {
    std::string many, over = std::string(510, 'x') + "#BvExe piece\n";
    for (int i = 0; i < 100; ++i) many += "#BvEnv VAR" + std::to_string(i) + "=" + std::string(20, 'v') + "\n";
    // A line is read in pieces of 510 bytes; a piece ending on the lead byte of "表" drops it.
    std::string cut = "#BvEnv A=" + std::string(500, 'e') + "表\n";
    const struct { std::string text; std::string env; } cases[] = {
        {"#BvEnv A=1\n#BvEnv B=2\n", "A=1\r\nB=2\r\n"}, {"#BvExe make\n", "OLD=1\r\n"},  // no #BvEnv: kept
        {"#BvSenv 1\n", ""},  // the system environment instead
        {many, "-"}, {over, "OLD=1\r\n"}, {cut, "A=" + std::string(500, 'e') + "\r\n"},
    };
    for (const auto& c : cases) {
        SettingsRecord s = Blank();
        strcpy(s.environment, "OLD=1\r\n");
        Sink sink;
        Read(c.text, s, sink);
        if (c.text == many) {  // outgrows the field: whole lines only
            EXPECT_GT(strlen(s.environment), 2000u);
            EXPECT_STREQ("\r\n", s.environment + strlen(s.environment) - 2);
        } else {
            EXPECT_EQ(c.env, s.environment) << c.text.substr(0, 40);
        }
        if (c.text == over) { EXPECT_STREQ("piece", s.makeExe); }
    }
    SettingsRecord s = Blank();
    Sink one;
    Read("#Bravik \"\" " + std::string(498, 'x') + "表\n", s, one);
    EXPECT_EQ(std::vector<std::string>{std::string(498, 'x')}, one.labels);
}

TEST(MakefileProfile, NameAndDirectory) {
    const struct { const char *in, *out; } names[] = {
        {"app.mak", "app.mak"}, {"\"C:\\my src\\app.mak\"", "C:\\my src\\app.mak"},
        {"\"app.mak\"  ", "app.mak\"  "}, {"\"app.mak", "app.mak"}, {"\"", ""},
        {"\"\x83\"", "\x83\""},  // a lead byte before the quote: the quote is its trail
    };
    for (const auto& c : names) {
        char out[260];
        PrepareMakefileName(c.in, out, sizeof out);
        EXPECT_STREQ(c.out, out) << c.in;
    }
    const struct { const char *path, *sub; int rc; const char* out; } dirs[] = {
        {"C:\\src\\app.mak", nullptr, 0, "C:\\src"}, {"C:\\app.mak", nullptr, 0, "C:"}, {"app.mak", nullptr, 0, ""},
        {"C:\\src\\app.mak", "inc", 0, "C:\\src\\inc"}, {"C:\\src\\app.mak", "", 0, "C:\\src"},
        {"../proj/makefile", nullptr, 0, "../proj"}, {"C:\\\x83\\\\app.mak", nullptr, 0, "C:\\\x83\\"},
        {"C:\\src\\", nullptr, 1, "C:\\src\\"}, {"", nullptr, 1, ""},
    };
    for (const auto& c : dirs) {
        char out[260];
        EXPECT_EQ(c.rc, DirectoryOfMakefile(c.path, c.sub, out, sizeof out)) << c.path;
        EXPECT_STREQ(c.out, out) << c.path;
    }
}
