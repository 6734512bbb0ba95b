#include "bravik/core/toolbar.h"

const ToolbarPlace ToolbarPlaces[TOOLBAR_PLACE_COUNT] = {
    {101, 0},  // open
    {104, 1},  // settings
    {102, 2},  // run
    {0, -1},
    {106, 3},  // edit
    {0, -1},
    {107, 4},  // help
    {109, 5},  // information
    {0, -1},
    {103, 6},  // exit
};

ToolbarLook ToolbarLookFor(int toolbarStyle, int commonControlsVersion) {
    bool modern = commonControlsVersion >= COMCTL_VERSION_FLAT;
    ToolbarLook look;
    if (toolbarStyle == 0) {
        look.bitmapId = 2000;
        look.imageWidth = 16;
        look.imageHeight = 15;
        look.buttonWidth = 23;
        look.buttonHeight = 22;
    } else {
        // Style 2 is called small in the dialog but has always used the large images.
        look.bitmapId = 2001;
        look.imageWidth = 21;
        look.imageHeight = 20;
        look.buttonWidth = 28;
        look.buttonHeight = 27;
    }
    look.flat = modern && toolbarStyle > 1;
    look.labels = modern && toolbarStyle == 3;
    return look;
}

int CommonControlsVersionFrom(bool answered, unsigned major, unsigned minor) {
    if (!answered) return COMCTL_VERSION_UNKNOWN;
    return (int)(major * 100 + minor);
}

bool UsesClassicControlRegistration(int commonControlsVersion) {
    return commonControlsVersion <= COMCTL_VERSION_UNKNOWN;
}

int ToolbarStyleChoiceCount(int commonControlsVersion) {
    return commonControlsVersion <= COMCTL_VERSION_UNKNOWN ? 2 : 4;
}
