#include "bravik/core/run_make.h"

#include <gtest/gtest.h>
#include <string.h>

#include <string>

namespace {

struct CommandCase {
    const char* exe;
    const char* options;
    const char* operand;
    const char* macros;
    const char* expected;
};

// The documented examples, the GNU make "-f %s" profile and the rules around them.
const CommandCase commandCases[] = {
    {"nmake", "-nologo", "build.mak", "", "nmake -nologo /f build.mak"},
    {"nmake", "-f %s -k", "build.mak", "", "nmake -f build.mak -k"},
    {"nmake", "", "build.mak", "", "nmake /f build.mak"},
    {"nmake", "-nologo", "build.mak", "nodebug=1", "nmake -nologo /f build.mak nodebug=1"},
    {"nmake", "", "build.mak", "nodebug=1 cpu=x86", "nmake /f build.mak nodebug=1 cpu=x86"},
    {"nmake", "-f %s", "build.mak", "nodebug=1", "nmake -f build.mak nodebug=1"},
    {"Z:\\gnu\\make.exe", "-f %s", "app.mak", "", "Z:\\gnu\\make.exe -f app.mak"},
    {"C:\\Program Files\\make.exe", "-f %s", "C:\\My Projects\\app.mak", "",
     "C:\\Program Files\\make.exe -f \"C:\\My Projects\\app.mak\""},
    {"nmake", "", "C:\\My Projects\\app.mak", "a=1", "nmake /f \"C:\\My Projects\\app.mak\" a=1"},
    {"nmake", "-nologo", "my app.mak", "", "nmake -nologo /f \"my app.mak\""},
    {"make", "-f \"%s\"", "my app.mak", "", "make -f \"my app.mak\""},  // quoted by the options already
    {"make", "-f \"%s\"", "app.mak", "", "make -f \"app.mak\""},
    {"make", "-f %s\"", "my\tapp.mak", "", "make -f \"my\tapp.mak\"\""},
    {"make", "-C %s", "\"quoted\".mak", "", "make -C \"quoted\".mak"},
    {"make", "-f %s 100%% %d", "a.mak", "", "make -f a.mak 100% %d"},
    {"make", "-f %s -f %s", "a.mak", "", "make -f a.mak -f %s"},
    {"make", "-k %", "a.mak", "", "make -k % /f a.mak"},
    {"", "", "build.mak", "", " /f build.mak"},
    {"", "-f %s", "build.mak", nullptr, " -f build.mak"},
    {"nmake", "-nologo", "表.mak", "ラベル=1", "nmake -nologo /f 表.mak ラベル=1"},
};

TEST(RunMake, ComposesByTheFirstRuleThatApplies) {
    for (const CommandCase& c : commandCases) {
        char out[MAKE_COMMAND_SIZE];
        memset(out, 'x', sizeof out);
        EXPECT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand(c.exe, c.options, c.operand, c.macros, out))
            << c.exe << "|" << c.options;
        EXPECT_STREQ(c.expected, out) << c.exe << "|" << c.options << "|" << c.macros;
    }
}

struct OperandCase {
    const char* path;
    const char* currentDir;
    const char* expected;
};

const OperandCase operandCases[] = {
    {"C:\\src\\app.mak", "", "app.mak"},
    {"C:\\src\\app.mak", "D:\\work", "C:\\src\\app.mak"},
    {"app.mak", "", "app.mak"},
    {"C:app.mak", "", "app.mak"},
    {"C:/src/app.mak", "", "app.mak"},
    {"C:\\My Projects\\my app.mak", "", "my app.mak"},
    {"C:\\表示\\app.mak", "", "app.mak"},      // 表 ends in 0x5C, a trail byte
    {"C:\\src\\ソフト.mak", "", "ソフト.mak"},  // ソ too: the title is not cut there
    {"C:\\src\\", "", ""},
};

TEST(RunMake, OperandIsTheTitleUnlessAWorkingDirectoryIsSet) {
    for (const OperandCase& c : operandCases)
        EXPECT_STREQ(c.expected, MakefileOperand(c.path, c.currentDir)) << c.path << " / " << c.currentDir;
}

TEST(RunMake, WorkingDirectoryIsTheRootForAMakefileInADriveRoot) {
    struct { const char *makefileDir, *currentDir, *expected; } cases[] = {
        {"C:", "", "C:\\"}, {"C:\\src", "", "C:\\src"}, {"", "", ""}, {"C:", "D:\\work", "D:\\work"},
        {"C:\\src", "D:", "D:"},  // the user's own directory is taken as written
    };
    for (const auto& c : cases) {
        char out[260];
        MakeWorkingDirectory(c.makefileDir, c.currentDir, out, sizeof out);
        EXPECT_STREQ(c.expected, out) << c.makefileDir << " / " << c.currentDir;
    }
}

TEST(RunMake, LongestCommandLineFitsAndOneMoreByteIsRefused) {
    char out[MAKE_COMMAND_SIZE + 16];
    // "make /f a.mak " is 14 bytes; the macros fill the rest up to 779.
    std::string macros(779 - 14, 'm');
    ASSERT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand("make", "", "a.mak", macros.c_str(), out));
    EXPECT_EQ(779u, strlen(out));

    macros += 'm';
    memset(out, '#', sizeof out);
    EXPECT_EQ(MAKE_COMMAND_TOO_LONG, ComposeMakeCommand("make", "", "a.mak", macros.c_str(), out));
    EXPECT_STREQ("", out);
    for (size_t i = MAKE_COMMAND_SIZE; i < sizeof out; ++i) EXPECT_EQ('#', out[i]) << "written past at " << i;
}

TEST(RunMake, ExpandedOptionsAreLimitedTo299Bytes) {
    std::string operand(299 - 3, 'p');  // "-f " + operand = 299
    char out[MAKE_COMMAND_SIZE];
    ASSERT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand("make", "-f %s", operand.c_str(), "", out));
    EXPECT_EQ(5u + 299, strlen(out));

    operand += 'p';
    EXPECT_EQ(MAKE_OPTIONS_TOO_LONG, ComposeMakeCommand("make", "-f %s", operand.c_str(), "", out));
    EXPECT_STREQ("", out);
}

TEST(RunMake, ExpansionNeverWritesPastItsBuffer) {
    const char* operands[] = {"", "a", "abcdefgh", "abcdefghijklmnop", "ab cd"};
    for (const char* operand : operands) {
        for (size_t size = 1; size < 24; ++size) {
            char out[32];
            memset(out, '#', sizeof out);
            int fits = ExpandMakeOptions("-f %s -k %%", operand, out, size);
            std::string quoted = strchr(operand, ' ') ? "\"" + std::string(operand) + "\"" : operand;
            std::string whole = "-f " + quoted + " -k %";
            EXPECT_EQ(whole.size() < size, fits == 1) << operand << " in " << size;
            EXPECT_STREQ(fits ? whole.c_str() : "", out);
            for (size_t i = size; i < sizeof out; ++i) ASSERT_EQ('#', out[i]) << operand << " in " << size;
        }
    }
}

TEST(RunMake, PercentSAfterALeadByteIsNoConversion) {
    // 0x81 0x25 is not valid CP932, but a multibyte-aware search treats it as
    // one character, so "%s" is not found there and the "/f" rule applies.
    char out[MAKE_COMMAND_SIZE];
    ASSERT_EQ(MAKE_COMMAND_OK, ComposeMakeCommand("make", "\x81%s", "a.mak", "", out));
    EXPECT_STREQ("make \x81%s /f a.mak", out);
}

}  // namespace
