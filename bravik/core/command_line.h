// Bravik's own command line: an optional "/A" switch and a makefile name.
#pragma once

struct StartupCommand {
    int runAtStart;            // 1 when "/A" (either case) was given and a name follows
    const char* makefileName;  // points into the command line; nullptr when none
};

/// Reads the command line without the program name. Only the space is skipped
/// after the switch; a tab stays part of the name, and so do quotes.
StartupCommand ParseStartupCommandLine(const char* commandLine);
