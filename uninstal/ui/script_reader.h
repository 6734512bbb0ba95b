// Reading the uninstall script appended to the uninstaller's own file.
#pragma once
#include <windows.h>

/// The script block (header and data) in fixed global memory, or all null.
struct UninstallScript {
    HGLOBAL handle;
    char* block;
    const char* data;  ///< block + 276
};

/// Reads the script at offset 0xC000 of the running executable's file.
/// Returns 1 with script filled, or 0 with script empty.
int ReadUninstallScript(UninstallScript* script);
/// As ReadUninstallScript for the file at path. A header or data that cannot
/// be read whole, or data that CheckScript refuses, gives no script.
int ReadScriptFile(const char* path, UninstallScript* script);
/// Frees the block, if any, and empties script.
void FreeUninstallScript(UninstallScript* script);
