// Carrying out an uninstall script: files, folders, shortcuts, file
// associations and the Add/Remove entry, gated by the dialog's check boxes.
#pragma once
#include <windows.h>

/// Carries out the records of a checked script block, reading the three check
/// boxes of dialog (also the owner of the folder browser). Returns 1 on
/// success, 0 without a script or install directory, when the user cancels
/// the folder browser or a folder is not found, or at an unknown record type.
int RunUninstallScript(HWND dialog, const char* script);

/// out (260 bytes) receives text with its leading path macro expanded.
/// Returns 1 when the path is whole, 0 when it had to be cut.
int ExpandPath(char* out, const char* text, const char* installDir);

/// Reads a value below root\Software\Microsoft\Windows\CurrentVersion[\subKey]
/// into out (260 bytes); out stays empty when the key or value is missing or
/// does not fit.
void ReadWindowsSetting(char* out, HKEY root, const char* subKey, const char* valueName);

/// Sets folder (260 bytes) as locationFlags say; returns 0 when the user
/// cancelled the folder browser or the folder was not found.
int ResolveMenuFolder(HWND owner, unsigned char locationFlags, char* folder);

/// out (260 bytes) receives the path of a shell special folder, or with a
/// browse title that of a folder the user picks below it. Returns 0 on
/// failure or cancel. A special folder without a file-system path gives a
/// non-zero result and an empty out.
int GetSpecialFolder(HWND owner, char* out, const char* browseTitle, int folderId);

/// Removes the registry keys of one file association record (its strings:
/// extension first, verb fifth) from the bottom up.
void RemoveAssociation(const char* strings, const char* installDir);
