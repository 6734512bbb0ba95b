// The uninstaller's one state block, for the program's life.
#pragma once
#include <windows.h>

#include "uninstal/core/script_format.h"
#include "uninstal/ui/script_reader.h"

struct AppState {
    HINSTANCE instance;
    UninstallScript script;           ///< from the script reader; freed when the dialog is destroyed
    char caption[TITLE_SIZE];  ///< the script title, caption of the failure message
};

extern AppState app;
