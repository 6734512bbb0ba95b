#include "bravik/core/makefile_profile.h"
#include "tests/core/test.h"

// Keeps each variant as "label|macros".
struct Sink : VariantSink {
    std::vector<std::string> variants;
    int failAt = -1;
    bool AddVariant(int index, const char* label, const char* macros) override {
        EXPECT_EQ((int)variants.size(), index);
        variants.push_back(std::string(label) + "|" + macros);
        return index != failAt;
    }
};

// The settings after reading text into defaults whose environment is "OLD=1".
static SettingsRecord Read(const std::string& text, Sink* sink = nullptr, int result = 1) {
    Sink none;
    SettingsRecord s;
    DefaultSettings(s);
    strcpy(s.environment, "OLD=1\r\n");
    FILE* f = fmemopen((void*)text.data(), text.size(), "r");
    EXPECT_EQ(result, ReadMakefileProfile(f, s, sink ? *sink : none));
    fclose(f);
    return s;
}

// Flags are bits 8..15 of the word at 3124, the editor kind bits 0..7.
TEST(MakefileProfile, NumberDirectivesSetTheWordOfKindAndFlags) {
    const uint32_t SYS = FLAG_USE_SYSTEM_ENV << 8, CLOSE = FLAG_CLOSE_ON_SUCCESS << 8, MULTI = FLAG_MULTI_SELECT << 8,
                   ERR = FLAG_HIGHLIGHT_ERRORS << 8, JUMP = FLAG_HIGHLIGHT_JUMPABLE << 8;
    const struct { const char* line; uint32_t before, after; } cases[] = {
        {"#BvSenv 1", 0, SYS}, {"#BvSenv 0", SYS, 0}, {"#BvSenv 2", SYS, SYS}, {"#BvSenv yes", SYS, 0},
        {"#BvSenv 4294967296", SYS, SYS}, {"#BvClose 4294967297", 0, 0},  // saturates, never wraps to 0 or 1
        {"#BvClose 1", 0, CLOSE}, {"#BvClose\t0", CLOSE, 0}, {"#BvClose -1", CLOSE, CLOSE},
        {"#BvMulti 1", 0, MULTI | CLOSE}, {"#BvMulti 0", MULTI | CLOSE, CLOSE}, {"#BvErrmsg 3", 0, ERR | JUMP},
        {"#BvErrmsg 0", ERR | JUMP, 0}, {"#BvErrmsg 1", JUMP, ERR}, {"#BvErrmsg 2", ERR, JUMP},
        {"#BvErrmsg 12", 0, ERR}, {"#BvErrmsg x3", ERR, ERR}, {" #BvClose 1", 0, 0}, {"#bvclose 1", 0, 0},
        {"#BvKind 0", ERR | 1, ERR}, {"#BvKind 257", ERR, ERR | CLOSE | 1},  // the number goes into the whole word
        {"#BvKind 99999999999999999999999", 0, 0x7FFFFFFF}, {"#BvKind -2147483648", 0, 0x80000000u},
        {"#BvKind -99999999999", 0, 0x80000000u}, {"#BvKind -7", 0, 0xFFFFFFF9u},
    };
    for (const auto& c : cases) {
        SettingsRecord s;
        DefaultSettings(s);
        SetKindFlagsWord(s, c.before);
        char env[2080] = "";
        ApplyDirective(c.line, s, env, sizeof env);
        EXPECT_EQ(c.after, GetKindFlagsWord(s)) << c.line;
    }
}

TEST(MakefileProfile, TextDirectivesAndVariantLines) {
    SettingsRecord s;
    char env[2080] = "";
    std::string kanji = "#BvCur ";
    for (int i = 0; i < 200; ++i) kanji += "表";  // "表" ends in 0x5C: a cut never leaves half of it
    const struct { std::string line; const char* field; std::string value; } cases[] = {
        // #BvExe, #BvOpt, #BvEdit and #BvEopt carry the profiles of tests/e2e/run_dialog.sh
        {"#BvCur\tD:\\build  ", s.currentDir, "D:\\build  "}, {kanji, s.currentDir, kanji.substr(7, 258)},
        {"#BvExe " + std::string(600, 'x'), s.makeExe, std::string(259, 'x')}, {"#BvCur", s.currentDir, ""},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ApplyDirective(c.line.c_str(), s, env, sizeof env));
        EXPECT_EQ(c.value, c.field) << c.line;
    }
    const struct { const char *line, *variant; } variants[] = {  // variant nullptr: refused
        {"#Bravik \"nodebug=1\" Release build", "Release build|nodebug=1"}, {"#Bravik\t\"\"\tDebug  ", "Debug  |"},
        {"#Bravik\"A=1 B=2\"x", "x|A=1 B=2"}, {"#Bravik nodebug=1 Release", nullptr},
        {"#Bravik \"nodebug=1 Release", nullptr}, {"#Bravik \"nodebug=1\"   ", nullptr}, {"#bravik \"a\" b", nullptr},
        {"#Bravik \"\x95\\\" \x83\\", "\x83\\|\x95\\"},  // 表 and ソ end in '\'
    };
    for (const auto& c : variants) {
        char macros[512] = "", label[512] = "";
        EXPECT_EQ(c.variant != nullptr, ParseVariantLine(c.line, macros, label)) << c.line;
        if (c.variant) { EXPECT_EQ(c.variant, std::string(label) + "|" + macros); }
    }
}

TEST(MakefileProfile, ReadingVariantsAndEnvironment) {
    Sink listed, none, many, failing, cut;
    Read("all:\n#Bravik \"nodebug=1\" Release\r\n#Bravik bad\n#Bravik \"\" Debug\n  #Bravik \"x\" i\n", &listed);
    EXPECT_EQ((std::vector<std::string>{"Release|nodebug=1", "Debug|"}), listed.variants);
    Read("all:\n\techo hi\n", &none);  // no variant line: the two defaults
    EXPECT_EQ((std::vector<std::string>{"リリース版のコンパイル|nodebug=1", "デバッグ版のコンパイル|"}), none.variants);
    std::string text;
    for (int i = 0; i < 130; ++i) text += "#Bravik \"N\" v" + std::to_string(i) + "\n";
    Read(text, &many);
    EXPECT_EQ(100u, many.variants.size());
    EXPECT_EQ("v99|N", many.variants.back());
    failing.failAt = 1;  // out of memory: reading stops there
    EXPECT_STREQ("", Read("#Bravik \"a\" A\n#Bravik \"b\" B\n#Bravik \"c\" C\n#BvExe late\n", &failing, 0).makeExe);
    EXPECT_EQ((std::vector<std::string>{"A|a", "B|b"}), failing.variants);
    // A line is read in pieces of 510 bytes; a piece ending on the lead byte of "表" drops it.
    Read("#Bravik \"\" " + std::string(498, 'x') + "表\n", &cut);
    EXPECT_EQ(std::vector<std::string>{std::string(498, 'x') + "|"}, cut.variants);
    EXPECT_STREQ("piece", Read(std::string(510, 'x') + "#BvExe piece\n").makeExe);
    const struct { std::string text, env; } cases[] = {
        {"#BvEnv A=1\n#BvEnv B=2\n", "A=1\r\nB=2\r\n"}, {"#BvExe make\n", "OLD=1\r\n"},  // no #BvEnv: kept
        {"#BvSenv 1\n", ""}, {"#BvEnv A=" + std::string(500, 'e') + "表\n", "A=" + std::string(500, 'e') + "\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.env, Read(c.text).environment) << c.text.substr(0, 20);
    text.clear();
    for (int i = 0; i < 100; ++i) text += "#BvEnv VAR" + std::to_string(i) + "=" + std::string(20, 'v') + "\n";
    std::string env = Read(text).environment;  // outgrows the field: whole lines only
    EXPECT_GT(env.size(), 2000u);
    EXPECT_EQ("\r\n", env.substr(env.size() - 2));
}

TEST(MakefileProfile, NameAndDirectory) {
    const struct { const char *in, *out; } names[] = {
        {"app.mak", "app.mak"}, {"\"C:\\my src\\app.mak\"", "C:\\my src\\app.mak"}, {"\"app.mak\"  ", "app.mak\"  "},
        {"\"app.mak", "app.mak"}, {"\"", ""}, {"\"\x83\"", "\x83\""},  // the quote is the trail of a lead byte
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
