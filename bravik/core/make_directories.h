// make's directory stack: the "Entering directory" and "Leaving directory"
// lines GNU make prints around a sub-make (and, with -w, around itself), so
// that a relative file name in a diagnostic can be found where it was meant.
#pragma once
#include <stddef.h>

const size_t MAKE_DIRECTORY_SIZE = 260;
const int MAKE_DIRECTORY_DEPTH = 64;

enum MakeDirectoryLine {
    MAKE_NO_DIRECTORY = 0,
    MAKE_ENTERING = 1,
    MAKE_LEAVING = 2,
};

/// Recognizes "PROG: Entering directory 'D'" and "PROG: Leaving directory 'D'"
/// (D also quoted `D' or with the typographic quotes) and the Japanese
/// "PROG: ディレクトリ 'D' に入ります" / "... から出ます", where PROG is make's name,
/// possibly with its level ("make[2]"). Returns the kind; directory
/// (MAKE_DIRECTORY_SIZE bytes) receives D with '/' turned into '\' (emptied
/// for any other line, or when D does not fit).
int ParseMakeDirectoryLine(const char* line, char* directory);

/// The directory stack of one run, and where in the output it changed.
/// Owns its memory (FreeMakeDirectories).
struct MakeDirectories {
    char* names;  // every entered directory, NUL-terminated, one after the other
    size_t namesLength, namesCapacity;
    struct Change {
        int line;  // from this output line on
        int name;  // offset in names, -1 for none
    }* changes;
    size_t changeCount, changeCapacity;
    int stack[MAKE_DIRECTORY_DEPTH];  // offsets in names, innermost last
    int depth;
    int lines;  // output lines noted so far
};

void InitMakeDirectories(MakeDirectories* dirs);
void FreeMakeDirectories(MakeDirectories* dirs);

/// Notes the next output line (its index is the count of lines noted before).
/// A Leaving line removes the innermost entry of that name, so interleaved
/// sub-makes of a parallel build do not pop each other's directories.
void NoteMakeOutputLine(MakeDirectories* dirs, const char* line);

/// The directory in effect where output line `index` was printed, or nullptr.
const char* MakeDirectoryAt(const MakeDirectories* dirs, int index);
