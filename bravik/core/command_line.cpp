#include "bravik/core/command_line.h"

#include "bravik/core/cp932.h"

StartupCommand ParseStartupCommandLine(const char* commandLine) {
    StartupCommand result = {0, nullptr};
    if (!commandLine || !*commandLine) return result;

    const char* p = commandLine;
    if (*p == '/') {
        ++p;
        if (*p == 'a' || *p == 'A') result.runAtStart = 1;
        p = cp932::Next(p);  // any other letter is skipped silently; a lone "/" stops here
        while (*p == ' ') ++p;
    }
    if (!*p) {
        result.runAtStart = 0;
        return result;
    }
    result.makefileName = p;
    return result;
}
