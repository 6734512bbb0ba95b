// The make command line: executable, options, makefile operand and the
// build variant's macros, composed into fixed buffers that are never overrun.
#pragma once
#include <stddef.h>

const size_t MAKE_COMMAND_SIZE = 780;  // the whole command line, NUL included
const size_t MAKE_OPTIONS_SIZE = 300;  // options with the makefile name put in

enum MakeCommandStatus {
    MAKE_COMMAND_OK = 1,
    MAKE_COMMAND_TOO_LONG = 0,  // the command line needs more than 779 bytes
    MAKE_OPTIONS_TOO_LONG = -1, // the options with the makefile name need more than 299
};

/// The file title of a path: the text after its last '\', '/' or ':'
/// (multibyte-aware); "" when the path ends in a separator.
const char* MakefileTitle(const char* makefilePath);

/// The makefile as make is told it: the whole path when the child runs in
/// currentDir, else the title alone (the child then runs beside the makefile).
const char* MakefileOperand(const char* makefilePath, const char* currentDir);

/// The directory make runs in (out, size bytes): currentDir when set, else
/// the makefile's directory, a bare drive "C:" made its root "C:\".
void MakeWorkingDirectory(const char* makefileDir, const char* currentDir, char* out, size_t size);

/// Copies options into out (size bytes) with the first "%s" replaced by
/// operand and "%%" by "%"; every other '%' stays as it is. An operand with a
/// blank is put in double quotes, unless the options already enclose "%s" in
/// them. 1, or 0 (out empty) when the result would not fit.
int ExpandMakeOptions(const char* options, const char* operand, char* out, size_t size);

/// Composes the command line into out (MAKE_COMMAND_SIZE bytes):
///   options empty          -> "exe /f operand"
///   options holding "%s"   -> "exe expanded-options" (no "/f" of its own)
///   otherwise              -> "exe options /f operand"
/// then " macros" when macros is non-empty. Only an operand with a blank is
/// quoted; every other text goes in as it stands. Returns a
/// MakeCommandStatus; on refusal out is empty.
int ComposeMakeCommand(const char* makeExe, const char* makeOptions, const char* operand, const char* macros,
                       char* out);
