#include "bravik/core/command_line.h"
#include "tests/core/test.h"

TEST(CommandLine, SwitchAndName) {
    const struct { const char* line; int runAtStart; const char* name; } cases[] = {  // name nullptr: no makefile
        {nullptr, 0, nullptr}, {"", 0, nullptr}, {"\"C:\\my src\\app.mak\" ", 0, "\"C:\\my src\\app.mak\" "},
        {"/a app.mak", 1, "app.mak"}, {"/Aapp.mak", 1, "app.mak"}, {"/A    app.mak", 1, "app.mak"},
        {"/B app.mak", 0, "app.mak"}, {"/A\tapp.mak", 1, "\tapp.mak"}, {"/A   ", 0, nullptr}, {"/", 0, nullptr},
        {"/\x83\x5c app.mak", 0, "app.mak"},  // a double-byte "letter" is skipped whole
    };
    for (const auto& c : cases) {
        StartupCommand cmd = ParseStartupCommandLine(c.line);
        EXPECT_EQ(c.runAtStart, cmd.runAtStart) << (c.line ? c.line : "(null)");
        EXPECT_STREQ(c.name, cmd.makefileName) << (c.line ? c.line : "(null)");
    }
}
