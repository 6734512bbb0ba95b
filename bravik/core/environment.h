// The environment the make child receives: the system's strings (when asked
// for), then the user's lines, each of which may reference one variable or
// directory and defines or redefines one variable.
#pragma once
#include <stddef.h>

const int ENV_TABLE_ENTRIES = 64;
const int ENV_ENTRY_SIZE = 1024;        // one NAME=value text and its NUL; longer texts are cut
const int ENV_REBUILT_LINE_SIZE = 780;  // a line after its reference was expanded; cut beyond
const int ENV_VALUE_SIZE = 260;         // a referenced value or directory; cut beyond

/// What the composition reads; the Win32 layer gathers it from the platform.
struct EnvironmentSources {
    const char* environment;       // the user's lines, separated by CR and/or LF; nullptr: none
    bool useSystemEnv;             // start from systemStrings
    const char* systemStrings;     // "A=1\0B=2\0\0" as the platform gives them; nullptr: none
    const char* systemDirectory;   // the values of %SYSTEMDIRECTORY%,
    const char* windowsDirectory;  // %WINDOWSDIRECTORY% and
    const char* currentDirectory;  // %CURRENTDIRECTORY%; nullptr or "": not available
};

/// Allocates the working table (calloc's contract); tests replace it to simulate a shortage.
extern void* (*EnvironmentTableAllocator)(size_t count, size_t size);

/// Composes the block: entries joined by `separator`, the last one followed by
/// two NULs (with separator NUL a platform environment block; "\0\0" when
/// empty). At most 64 entries; further new names are dropped. Returns the
/// allocation (release it with free()), or nullptr when it could not be made.
///
/// Names: a variable's name is the text before the first '=' of its entry or
/// line, without the blanks that stand before that '='. A definition replaces
/// the first entry of the same name (case-sensitive), so PATH never replaces
/// PATHEXT and "PATH = x" replaces PATH. A reference %name% (the first two '%'
/// of a line; one per line) takes, without regard to case, a directory word or
/// else the first entry of that name, its value without leading blanks. Lines
/// without '=' or with an empty name, and the empty reference %%, are ignored.
char* ComposeEnvironment(const EnvironmentSources& sources, char separator);
