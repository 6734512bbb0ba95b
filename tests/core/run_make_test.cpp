#include "bravik/core/run_make.h"
#include "tests/core/test.h"

TEST(RunMake, ComposesByTheFirstRuleThatApplies) {
    const struct { const char *exe, *options, *operand, *macros, *expected; } cases[] = {
        {"nmake", "-nologo", "build.mak", "nodebug=1", "nmake -nologo /f build.mak nodebug=1"},
        {"nmake", "", "build.mak", "", "nmake /f build.mak"}, {"nmake", "-f %s -k", "b.mak", "", "nmake -f b.mak -k"},
        {"C:\\Program Files\\make.exe", "-f %s", "C:\\My Projects\\app.mak", "a=1",
         "C:\\Program Files\\make.exe -f \"C:\\My Projects\\app.mak\" a=1"},
        {"nmake", "-nologo", "my app.mak", "", "nmake -nologo /f \"my app.mak\""},
        {"make", "-f \"%s\"", "my app.mak", "", "make -f \"my app.mak\""},  // quoted by the options already
        {"make", "-f %s\"", "my\tapp.mak", "", "make -f \"my\tapp.mak\"\""}, {"make", "-C %s", "\"q\".mak", "", "make -C \"q\".mak"},
        {"make", "-f %s 100%% %d", "a.mak", "", "make -f a.mak 100% %d"}, {"make", "-f %s -f %s", "a.mak", "", "make -f a.mak -f %s"},
        {"make", "-k %", "a.mak", "", "make -k % /f a.mak"}, {"", "-f %s", "build.mak", nullptr, " -f build.mak"},
        {"make", "\x81%s", "a.mak", "", "make \x81%s /f a.mak"},  // after a lead byte "%s" is no conversion
    };
    for (const auto& c : cases) {
        char out[MAKE_COMMAND_SIZE];
        EXPECT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand(c.exe, c.options, c.operand, c.macros, out)) << c.expected;
        EXPECT_STREQ(c.expected, out);
    }
    const struct { const char *path, *currentDir, *operand; } operands[] = {
        {"C:\\src\\app.mak", "", "app.mak"}, {"C:\\src\\app.mak", "D:\\work", "C:\\src\\app.mak"}, {"C:app.mak", "", "app.mak"},
        {"C:/src/app.mak", "", "app.mak"}, {"C:\\src\\ソフト.mak", "", "ソフト.mak"}, {"C:\\src\\", "", ""},
    };
    for (const auto& c : operands) EXPECT_STREQ(c.operand, MakefileOperand(c.path, c.currentDir)) << c.path;
    const struct { const char *makefileDir, *currentDir, *expected; } dirs[] = {
        {"C:", "", "C:\\"}, {"C:\\src", "", "C:\\src"}, {"", "", ""}, {"C:", "D:\\work", "D:\\work"}, {"C:\\src", "D:", "D:"},
    };
    for (const auto& c : dirs) {
        char out[260];
        MakeWorkingDirectory(c.makefileDir, c.currentDir, out, sizeof out);
        EXPECT_STREQ(c.expected, out) << c.makefileDir << " / " << c.currentDir;
    }
}

TEST(RunMake, LimitsAreKeptAndNothingIsWrittenPastThem) {
    char out[MAKE_COMMAND_SIZE + 16];
    std::string macros(779 - 14, 'm'), operand(299 - 3, 'p');  // "make /f a.mak " is 14 bytes, "-f " 3
    ASSERT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand("make", "", "a.mak", macros.c_str(), out));
    EXPECT_EQ(779u, strlen(out));
    memset(out, '#', sizeof out);
    EXPECT_EQ(MAKE_COMMAND_TOO_LONG, ComposeMakeCommand("make", "", "a.mak", (macros + "m").c_str(), out));
    EXPECT_STREQ("", out);
    EXPECT_EQ(std::string(16, '#'), std::string(out + MAKE_COMMAND_SIZE, 16)) << "written past the buffer";
    ASSERT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand("make", "-f %s", operand.c_str(), "", out));
    EXPECT_EQ(5u + 299, strlen(out));
    EXPECT_EQ(MAKE_OPTIONS_TOO_LONG, ComposeMakeCommand("make", "-f %s", (operand + "p").c_str(), "", out));
    EXPECT_STREQ("", out);
    for (const char* operand : {"", "abcdefgh", "ab cd"}) {
        for (size_t size = 1; size < 24; ++size) {
            char out[32];
            memset(out, '#', sizeof out);
            int fits = ExpandMakeOptions("-f %s -k %%", operand, out, size);
            std::string whole = "-f " + (strchr(operand, ' ') ? "\"" + std::string(operand) + "\"" : operand) + " -k %";
            EXPECT_EQ(whole.size() < size, fits == 1) << operand << " in " << size;
            EXPECT_STREQ(fits ? whole.c_str() : "", out);
            EXPECT_EQ(std::string(sizeof out - size, '#'), std::string(out + size, sizeof out - size)) << size;
        }
    }
}
