// The process-wide state block of Bravik, zero-filled at start-up.
#pragma once
#include <windows.h>

#include "bravik/core/settings.h"

const int MAX_VARIANTS = 100;

struct AppStateBlock {
    HINSTANCE instance;
    HWND mainWindow;
    HWND statusWindow;
    HWND toolbarWindow;
    HWND variantListBox;
    char resourceName[20];
    char makefilePath[PATH_SIZE];
    char* variantMacros[MAX_VARIANTS];
    SettingsRecord settings;
    WindowPosition position;
    int settingsChanged;
    int commonControlsVersion;
    int runAtStart;
};

extern AppStateBlock AppState;
