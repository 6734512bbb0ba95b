// The command that the registry associates with a file type's "open" verb.
#pragma once

/// Command line that opens filePath with the program registered under
/// HKEY_CLASSES_ROOT for extension (with its dot): the class's
/// shell\open\command, its environment references (%SystemRoot%) expanded,
/// with its first "%1" replaced by filePath (without "%1"
/// the command alone). out (outSize bytes) is emptied first and stays empty on
/// any failure. Returns the registry's byte size of the command (NUL
/// included), or 0 on failure. With "%1" the result must leave one byte to
/// spare; without it a command of outSize - 1 bytes fits.
int GetAssociatedCommand(const char* extension, const char* filePath, char* out, int outSize);
