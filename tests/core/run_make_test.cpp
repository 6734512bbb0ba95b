#include "bravik/core/run_make.h"
#include "tests/core/test.h"

TEST(RunMake, CommandLineByTheFirstRuleThatAppliesWithinItsLimits) {
    const std::string fill(765, 'm'), over = fill + "m", path(296, 'p'), longer = path + "p";  // 779 and 299 bytes
    const int OK = MAKE_COMMAND_OK;
    const struct { const char *exe, *options, *operand, *macros; int status; std::string expected; } cases[] = {
        {"nmake", "", "b.mak", "", OK, "nmake /f b.mak"},  // "-f %s" with macros: tests/e2e/release.sh
        {"C:\\Program Files\\make.exe", "-f %s", "C:\\My Projects\\a.mak", "a=1", OK,
         "C:\\Program Files\\make.exe -f \"C:\\My Projects\\a.mak\" a=1"},
        {"nmake", "-nologo", "my a.mak", "", OK, "nmake -nologo /f \"my a.mak\""},
        {"make", "-f \"%s\"", "my a.mak", "", OK, "make -f \"my a.mak\""},  // quoted by the options already
        {"make", "-f %s\"", "my\ta.mak", "", OK, "make -f \"my\ta.mak\"\""},
        {"make", "-f %s 100%% %d", "a.mak", "", OK, "make -f a.mak 100% %d"},
        {"make", "-f %s -f %s", "a", "", OK, "make -f a -f %s"},
        {"make", "-k %", "a.mak", "", OK, "make -k % /f a.mak"}, {"", "-f %s", "b.mak", nullptr, OK, " -f b.mak"},
        {"make", "\x81%s", "a.mak", "", OK, "make \x81%s /f a.mak"},  // after a lead byte "%s" is no conversion
        {"make", "", "a.mak", fill.c_str(), OK, "make /f a.mak " + fill},
        {"make", "", "a.mak", over.c_str(), MAKE_COMMAND_TOO_LONG, ""},
        {"make", "-f %s", path.c_str(), "", OK, "make -f " + path},
        {"make", "-f %s", longer.c_str(), "", MAKE_OPTIONS_TOO_LONG, ""},
    };
    for (const auto& c : cases) {
        char out[MAKE_COMMAND_SIZE + 16];
        memset(out, '#', sizeof out);
        EXPECT_EQ(c.status, ComposeMakeCommand(c.exe, c.options, c.operand, c.macros, out)) << c.expected;
        EXPECT_EQ(c.expected, out);
        EXPECT_EQ(std::string(16, '#'), std::string(out + MAKE_COMMAND_SIZE, 16)) << "written past the buffer";
    }
}

TEST(RunMake, OperandAndWorkingDirectory) {
    const struct { const char *path, *currentDir, *operand; } operands[] = {
        {"C:\\src\\a.mak", "", "a.mak"}, {"C:\\src\\a.mak", "D:\\work", "C:\\src\\a.mak"}, {"C:a.mak", "", "a.mak"},
        {"C:/src/a.mak", "", "a.mak"}, {"C:\\src\\ソフト.mak", "", "ソフト.mak"}, {"C:\\src\\", "", ""},
    };
    for (const auto& c : operands) EXPECT_STREQ(c.operand, MakefileOperand(c.path, c.currentDir)) << c.path;
    const struct { const char *makefileDir, *currentDir, *expected; } dirs[] = {
        {"C:", "", "C:\\"}, {"C:\\src", "", "C:\\src"}, {"", "", ""}, {"C:", "D:\\work", "D:\\work"},
        {"C:\\src", "D:", "D:"},
    };
    for (const auto& c : dirs) {
        char out[260];
        MakeWorkingDirectory(c.makefileDir, c.currentDir, out, sizeof out);
        EXPECT_STREQ(c.expected, out) << c.makefileDir << " / " << c.currentDir;
    }
}
