// How the toolbar looks for a stored style and the common-controls version,
// and which buttons it carries. Kept apart from the window code so the rules
// can be checked without a window.
#pragma once

/// Version of the common-controls library that brings flat buttons and labels.
const int COMCTL_VERSION_FLAT = 470;
/// The version assumed when the library reports none.
const int COMCTL_VERSION_UNKNOWN = 400;

struct ToolbarLook {
    int bitmapId;     // 2000 small images, 2001 large images
    int imageWidth;
    int imageHeight;
    int buttonWidth;
    int buttonHeight;
    bool flat;
    bool labels;
};

/// Look of the toolbar for toolbarStyle (any value: 0 alone is small, values
/// above 1 are flat, 3 alone has labels; flat and labels need version 470).
ToolbarLook ToolbarLookFor(int toolbarStyle, int commonControlsVersion);

/// major * 100 + minor when the library answered, else 400.
int CommonControlsVersionFrom(bool answered, unsigned major, unsigned minor);
/// True when the classic registration of all classes is used (version 4.00 or older).
bool UsesClassicControlRegistration(int commonControlsVersion);
/// How many toolbar styles the settings dialog offers: 2, or 4 from version 4.01 on.
int ToolbarStyleChoiceCount(int commonControlsVersion);

const int TOOLBAR_IMAGE_COUNT = 7;

/// One place on the toolbar: a button (command and image) or a separator
/// (command 0, image -1).
struct ToolbarPlace {
    int command;
    int imageIndex;
};
const int TOOLBAR_PLACE_COUNT = 10;
extern const ToolbarPlace ToolbarPlaces[TOOLBAR_PLACE_COUNT];
