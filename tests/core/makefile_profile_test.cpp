#include "bravik/core/makefile_profile.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

struct Variant {
    std::string label, macros;
};

class RecordingSink : public VariantSink {
public:
    std::vector<Variant> variants;
    int failAt = -1;
    bool AddVariant(int index, const char* label, const char* macros) override {
        EXPECT_EQ((int)variants.size(), index);
        variants.push_back({label, index == failAt ? "<none>" : macros});
        return index != failAt;
    }
};

SettingsRecord Blank() {
    SettingsRecord s;
    DefaultSettings(s);
    return s;
}

int ReadText(const std::string& text, SettingsRecord& s, RecordingSink& sink) {
    FILE* f = fmemopen((void*)text.data(), text.size(), "r");
    int r = ReadMakefileProfile(f, s, sink);
    fclose(f);
    return r;
}

}  // namespace

TEST(MakefileProfile, DirectiveTable) {
    struct Case {
        const char* line;
        uint8_t flagsBefore;
        uint8_t flagsAfter;
    } cases[] = {
        {"#BvSenv 1", 0, FLAG_USE_SYSTEM_ENV},
        {"#BvSenv 0", FLAG_USE_SYSTEM_ENV, 0},
        {"#BvSenv 2", FLAG_USE_SYSTEM_ENV, FLAG_USE_SYSTEM_ENV},
        {"#BvSenv yes", FLAG_USE_SYSTEM_ENV, 0},  // not a number: counts as 0
        {"#BvSenv 4294967296", FLAG_USE_SYSTEM_ENV, FLAG_USE_SYSTEM_ENV},  // saturates, never wraps to 0
        {"#BvClose 4294967297", 0, 0},                                      // nor to 1
        {"#BvClose 1", 0, FLAG_CLOSE_ON_SUCCESS},
        {"#BvClose\t0", FLAG_CLOSE_ON_SUCCESS, 0},
        {"#BvClose -1", FLAG_CLOSE_ON_SUCCESS, FLAG_CLOSE_ON_SUCCESS},
        {"#BvMulti 1", 0, FLAG_MULTI_SELECT | FLAG_CLOSE_ON_SUCCESS},
        {"#BvMulti 0", FLAG_MULTI_SELECT | FLAG_CLOSE_ON_SUCCESS, FLAG_CLOSE_ON_SUCCESS},
        {"#BvErrmsg 3", 0, FLAG_HIGHLIGHT_ERRORS | FLAG_HIGHLIGHT_JUMPABLE},
        {"#BvErrmsg 0", FLAG_HIGHLIGHT_ERRORS | FLAG_HIGHLIGHT_JUMPABLE, 0},
        {"#BvErrmsg 1", FLAG_HIGHLIGHT_JUMPABLE, FLAG_HIGHLIGHT_ERRORS},
        {"#BvErrmsg 2", FLAG_HIGHLIGHT_ERRORS, FLAG_HIGHLIGHT_JUMPABLE},
        {"#BvErrmsg 12", 0, FLAG_HIGHLIGHT_ERRORS},
        {"#BvErrmsg x3", FLAG_HIGHLIGHT_ERRORS, FLAG_HIGHLIGHT_ERRORS},
        {" #BvClose 1", 0, 0},  // not in the first column
        {"#bvclose 1", 0, 0},   // case-sensitive
    };
    for (const auto& c : cases) {
        SettingsRecord s = Blank();
        char env[2080] = "";
        s.flags = c.flagsBefore;
        ApplyDirective(c.line, s, env, sizeof env);
        EXPECT_EQ(c.flagsAfter, s.flags) << c.line;
    }
}

TEST(MakefileProfile, TextDirectivesKeepTrailingCharactersAndCutToFit) {
    SettingsRecord s = Blank();
    char env[2080] = "";
    ASSERT_TRUE(ApplyDirective("#BvExe\tC:\\tools\\make.exe  ", s, env, sizeof env));
    EXPECT_STREQ("C:\\tools\\make.exe  ", s.makeExe);
    ApplyDirective("#BvOpt -f %s -k", s, env, sizeof env);
    EXPECT_STREQ("-f %s -k", s.makeOptions);
    ApplyDirective("#BvEdit C:\\hidemaru\\hidemaru.exe", s, env, sizeof env);
    EXPECT_STREQ("C:\\hidemaru\\hidemaru.exe", s.editorExe);
    ApplyDirective("#BvEopt /j%d", s, env, sizeof env);
    EXPECT_STREQ("/j%d", s.editorOptions);
    ApplyDirective("#BvCur D:\\build", s, env, sizeof env);
    EXPECT_STREQ("D:\\build", s.currentDir);

    std::string longValue = "#BvExe " + std::string(600, 'x');
    ApplyDirective(longValue.c_str(), s, env, sizeof env);
    EXPECT_EQ(259u, strlen(s.makeExe));
    // A cut never leaves half of a double-byte character ("表" ends in 0x5C).
    std::string kanji = "#BvCur ";
    for (int i = 0; i < 200; ++i) kanji += "表";
    ApplyDirective(kanji.c_str(), s, env, sizeof env);
    EXPECT_EQ(258u, strlen(s.currentDir));
}

TEST(MakefileProfile, KindWritesTheWholeWordWithFlags) {
    SettingsRecord s = Blank();
    char env[2080] = "";
    s.editorKind = 1;
    s.flags = FLAG_HIGHLIGHT_ERRORS;
    ApplyDirective("#BvKind 0", s, env, sizeof env);
    EXPECT_EQ(0, s.editorKind);
    EXPECT_EQ(FLAG_HIGHLIGHT_ERRORS, s.flags);
    ApplyDirective("#BvKind 1", s, env, sizeof env);
    EXPECT_EQ(1, s.editorKind);
    ApplyDirective("#BvKind 257", s, env, sizeof env);  // 0x101: kind 1 and closeOnSuccess
    EXPECT_EQ(1, s.editorKind);
    EXPECT_EQ(FLAG_HIGHLIGHT_ERRORS | FLAG_CLOSE_ON_SUCCESS, s.flags);
    // Numbers beyond 32 bits saturate, the same in every build.
    struct { const char* line; uint32_t word; } overflow[] = {
        {"#BvKind 99999999999", 0x7FFFFFFFu}, {"#BvKind 2147483648", 0x7FFFFFFFu},
        {"#BvKind -99999999999", 0x80000000u}, {"#BvKind -2147483648", 0x80000000u},
        {"#BvKind -7", 0xFFFFFFF9u}, {"#BvKind 99999999999999999999999", 0x7FFFFFFFu},
    };
    for (const auto& c : overflow) {
        SetKindFlagsWord(s, 0);
        ApplyDirective(c.line, s, env, sizeof env);
        EXPECT_EQ(c.word, GetKindFlagsWord(s)) << c.line;
    }
}

TEST(MakefileProfile, VariantLines) {
    struct Case {
        const char* line;
        bool ok;
        const char* macros;
        const char* label;
    } cases[] = {
        {"#Bravik \"nodebug=1\" Release build", true, "nodebug=1", "Release build"},
        {"#Bravik\t\"\"\tDebug  ", true, "", "Debug  "},
        {"#Bravik\"A=1 B=2\"x", true, "A=1 B=2", "x"},
        {"#Bravik nodebug=1 Release", false, "", ""},
        {"#Bravik \"nodebug=1 Release", false, "", ""},
        {"#Bravik \"nodebug=1\"   ", false, "", ""},
        {"#bravik \"a\" b", false, "", ""},
        {"#Bravik \"\x95\\\" \x83\\", true, "\x95\\", "\x83\\"},  // 表 and ソ end in '\'
    };
    for (const auto& c : cases) {
        char macros[512] = "", label[512] = "";
        EXPECT_EQ(c.ok, ParseVariantLine(c.line, macros, label)) << c.line;
        if (c.ok) {
            EXPECT_STREQ(c.macros, macros) << c.line;
            EXPECT_STREQ(c.label, label) << c.line;
        }
    }
}

TEST(MakefileProfile, ReadsVariantsInOrderAndSkipsBadLines) {
    SettingsRecord s = Blank();
    RecordingSink sink;
    EXPECT_EQ(1, ReadText("all:\n#Bravik \"nodebug=1\" Release\r\n#Bravik bad\n"
                          "#Bravik \"\" Debug\n  #Bravik \"x\" indented\n",
                          s, sink));
    ASSERT_EQ(2u, sink.variants.size());
    EXPECT_EQ("Release", sink.variants[0].label);
    EXPECT_EQ("nodebug=1", sink.variants[0].macros);
    EXPECT_EQ("Debug", sink.variants[1].label);
    EXPECT_EQ("", sink.variants[1].macros);
}

TEST(MakefileProfile, NoVariantsGiveTheTwoDefaults) {
    SettingsRecord s = Blank();
    RecordingSink sink;
    EXPECT_EQ(1, ReadText("all:\n\techo hi\n", s, sink));
    ASSERT_EQ(2u, sink.variants.size());
    EXPECT_STREQ("リリース版のコンパイル", sink.variants[0].label.c_str());
    EXPECT_EQ("nodebug=1", sink.variants[0].macros);
    EXPECT_STREQ("デバッグ版のコンパイル", sink.variants[1].label.c_str());
    EXPECT_EQ("", sink.variants[1].macros);
}

TEST(MakefileProfile, AtMostOneHundredVariants) {
    std::string text;
    for (int i = 0; i < 130; ++i) text += "#Bravik \"N=" + std::to_string(i) + "\" v" + std::to_string(i) + "\n";
    SettingsRecord s = Blank();
    RecordingSink sink;
    EXPECT_EQ(1, ReadText(text, s, sink));
    ASSERT_EQ(100u, sink.variants.size());
    EXPECT_EQ("v99", sink.variants[99].label);
}

TEST(MakefileProfile, OutOfMemoryStopsReadingButKeepsTheLabel) {
    SettingsRecord s = Blank();
    RecordingSink sink;
    sink.failAt = 1;
    EXPECT_EQ(0, ReadText("#Bravik \"a\" A\n#Bravik \"b\" B\n#Bravik \"c\" C\n#BvExe late\n", s, sink));
    ASSERT_EQ(2u, sink.variants.size());
    EXPECT_EQ("B", sink.variants[1].label);
    EXPECT_STREQ("", s.makeExe);  // lines after the failure are not read
}

TEST(MakefileProfile, EnvironmentAccumulatesReplacesOrEmpties) {
    std::string many;
    for (int i = 0; i < 100; ++i) many += "#BvEnv VAR" + std::to_string(i) + "=" + std::string(20, 'v') + "\n";
    struct { std::string text; const char* expected; } cases[] = {
        {"#BvEnv A=1\n#BvEnv B=2\n#BvEnv C=3\n", "A=1\r\nB=2\r\nC=3\r\n"},
        {"#BvExe make\n", "OLD=1\r\n"},  // no #BvEnv: the stored text stays
        {"#BvSenv 1\n", ""},               // system environment: the stored text goes
        {many, nullptr},                    // outgrows the field: whole lines only
    };
    for (const auto& c : cases) {
        SettingsRecord s = Blank();
        strcpy(s.environment, "OLD=1\r\n");
        RecordingSink sink;
        ReadText(c.text, s, sink);
        if (c.expected) {
            EXPECT_STREQ(c.expected, s.environment);
        } else {
            size_t len = strlen(s.environment);
            EXPECT_GT(len, 2000u);
            EXPECT_EQ(0, strcmp(s.environment + len - 2, "\r\n"));
        }
    }
}

TEST(MakefileProfile, LongLinesArriveInPieces) {
    // 510 characters of filler, then a directive that starts the next piece.
    std::string text = std::string(510, 'x') + "#BvExe piece\n";
    SettingsRecord s = Blank();
    RecordingSink sink;
    ReadText(text, s, sink);
    EXPECT_STREQ("piece", s.makeExe);
    // A piece that ends after the lead byte of "表" (0x95 0x5C) drops it.
    text = "#Bravik \"\" " + std::string(498, 'x') + "表\n#BvEnv A=" + std::string(500, 'e') + "表\n";
    RecordingSink one;
    ReadText(text, s, one);
    ASSERT_EQ(1u, one.variants.size());
    EXPECT_EQ(std::string(498, 'x'), one.variants[0].label);
    EXPECT_EQ("A=" + std::string(500, 'e') + "\r\n", s.environment);
}

TEST(MakefileProfile, PrepareName) {
    struct { const char* in; const char* out; } cases[] = {
        {"app.mak", "app.mak"},
        {"\"C:\\my src\\app.mak\"", "C:\\my src\\app.mak"},
        {"\"app.mak\"  ", "app.mak\"  "},  // trailing blanks keep the closing quote
        {"\"app.mak", "app.mak"},
        {"\"", ""},
        {"\"\x83\"", "\x83\""},  // a lead byte before the quote: the quote is its trail
    };
    for (const auto& c : cases) {
        char out[260];
        PrepareMakefileName(c.in, out, sizeof out);
        EXPECT_STREQ(c.out, out) << c.in;
    }
}

TEST(MakefileProfile, DirectoryOfMakefile) {
    struct { const char* path; const char* sub; int rc; const char* out; } cases[] = {
        {"C:\\src\\app.mak", nullptr, 0, "C:\\src"},
        {"C:\\app.mak", nullptr, 0, "C:"},
        {"app.mak", nullptr, 0, ""},
        {"C:\\src\\app.mak", "inc", 0, "C:\\src\\inc"},
        {"C:\\src\\app.mak", "", 0, "C:\\src"},
        {"..\\proj\\makefile", nullptr, 0, "..\\proj"},
        {"C:\\\x83\\\\app.mak", nullptr, 0, "C:\\\x83\\"},  // ソ's trail byte is no separator
        {"C:\\src\\", nullptr, 1, "C:\\src\\"},
        {"", nullptr, 1, ""},
    };
    for (const auto& c : cases) {
        char out[260];
        EXPECT_EQ(c.rc, DirectoryOfMakefile(c.path, c.sub, out, sizeof out)) << c.path;
        EXPECT_STREQ(c.out, out) << c.path;
    }
}
