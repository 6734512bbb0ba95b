// Path texts of the uninstaller: macro expansion, the help index beside a
// help file, shortcut and menu folder paths, the association class key.
// Every output buffer is UNINSTAL_PATH_SIZE bytes unless a size is given; a text that
// does not fit is cut on a character boundary and reported, so that no caller
// deletes a path it could not hold whole.
#pragma once
#include <stddef.h>

/// Fills dir (UNINSTAL_PATH_SIZE bytes) with the directory of a path macro letter
/// ('c', 'p', 's' or 'w'); returns 0 when it could not be had whole.
typedef int (*MacroDirectoryFn)(char letter, char* dir);

/// out receives text with a leading "%" macro replaced by its directory and
/// the rest joined with one '\'; returns 1 when the result is whole, 0 when
/// it was cut (out then holds the cut text).
int ExpandPathText(char* out, const char* text, const char* installDir, MacroDirectoryFn macroDirectory);

/// True when the last character of text is a single-byte '\'.
bool EndsWithBackslash(const char* text);

/// For a path whose extension is "HLP" in any letter case, out receives the
/// same path with the extension "gid"; returns 1 then, else 0.
int HelpIndexPath(char* out, const char* path);

/// out receives folder '\' name ".lnk"; returns 1 when whole, 0 when cut.
int ShortcutPath(char* out, const char* folder, const char* name);

/// Appends '\' and name to folder (unchanged for an empty name); returns 1
/// when whole, 0 when cut.
int AppendMenuFolder(char* folder, const char* name);

/// out (size bytes) receives the association class key: the extension
/// without its first character, then "_bvu_file". Returns 0 for an extension
/// with nothing after its first character, or a key that does not fit.
int AssociationClassKey(char* out, size_t size, const char* extension);
