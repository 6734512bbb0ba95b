// The environment the make child receives: the system's strings (when asked
// for), then the user's lines, each of which may reference one variable or
// directory and defines or redefines one variable.
#pragma once
#include <stddef.h>

/// The platform's limit of one variable: its NAME=value text, in characters
/// (a double-byte character counts once).
const int ENV_VARIABLE_MAX_CHARS = 32767;
const size_t ENV_NAME_SHOWN_SIZE = 80;  // the name a refusal reports, cut to fit

/// What the composition reads; the Win32 layer gathers it from the platform.
struct EnvironmentSources {
    const char* environment;       // the user's lines, separated by CR and/or LF; nullptr: none
    bool useSystemEnv;             // start from systemStrings
    const char* systemStrings;     // "A=1\0B=2\0\0" as the platform gives them; nullptr: none
    const char* systemDirectory;   // the values of %SYSTEMDIRECTORY%,
    const char* windowsDirectory;  // %WINDOWSDIRECTORY% and
    const char* currentDirectory;  // %CURRENTDIRECTORY%; nullptr or "": not available
};

/// Why ComposeEnvironment gave no block.
struct EnvironmentRefusal {
    bool tooLong;                    // false: memory ran out
    char name[ENV_NAME_SHOWN_SIZE];  // the variable whose line passed ENV_VARIABLE_MAX_CHARS
};

/// Every allocation of the composition (realloc's contract); tests replace it
/// to simulate a shortage.
extern void* (*EnvironmentAllocator)(void* block, size_t size);

/// Composes the block: entries joined by `separator`, the last one followed by
/// two NULs (with separator NUL a platform environment block; "\0\0" when
/// empty). System strings and lines are kept whole, as many as there are.
/// Returns the allocation (release it with free()), or nullptr when memory ran
/// out or a line, after its reference was expanded, would pass the platform's
/// limit of one variable; `refusal` (if given) then says which.
///
/// Names: a variable's name is the text before the first '=' of its entry or
/// line, without the blanks that stand before that '='. A definition replaces
/// the first entry of the same name (case-sensitive), so PATH never replaces
/// PATHEXT and "PATH = x" replaces PATH. A reference %name% (the first two '%'
/// of a line; one per line) takes, without regard to case, a directory word or
/// else the first entry of that name, its value without leading blanks. Lines
/// without '=' or with an empty name, and the empty reference %%, are ignored.
char* ComposeEnvironment(const EnvironmentSources& sources, char separator, EnvironmentRefusal* refusal = nullptr);
