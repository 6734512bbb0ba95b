// The system's open-file dialog as Bravik uses it.
#pragma once
#include <windows.h>

/// Asks for an existing file (Explorer style, no read-only box) into file
/// (size bytes, emptied first). title may be nullptr. 1 when a file was chosen.
int ChooseExistingFile(HWND owner, const char* filter, const char* title, const char* defaultExt, char* file,
                       size_t size);
