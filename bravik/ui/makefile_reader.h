// Reading a makefile into the variant list and the settings, and the title.
#pragma once
#include <windows.h>

/// Reads the makefile (name as typed, possibly quoted). 1 on success, 0 when
/// it cannot be opened or memory ran out (the user has been told).
int ReadMakefile(const char* name);
/// Shows FileErrorMessages[code] after the file's name or title. Returns the box's result.
int ShowFileError(int code, const char* name);
/// "<file title> - Bravik", or "No File - Bravik" without a makefile.
void UpdateTitle();
/// Re-creates the list box when its selection mode no longer follows multiSelect.
void SyncListMode();
/// Directory of the open makefile (260-byte out), with "\subPath" appended when
/// given. 0 on success, 1 when the makefile path has no file title.
int MakefileDirectory(char* out, const char* subPath);
