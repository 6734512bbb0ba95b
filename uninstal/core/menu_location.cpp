#include "uninstal/core/menu_location.h"

MenuLocation DecodeMenuLocation(unsigned char locationFlags) {
    switch (locationFlags & 0x0F) {
    case 2: return LOCATION_STARTUP;
    case 3: return LOCATION_DESKTOP;
    case 4: return LOCATION_SEND_TO;
    default: break;
    }
    bool programs = (locationFlags & 0x40) != 0;
    if (locationFlags & 0x20) return LOCATION_CURRENT;
    if (locationFlags & 0x80) return programs ? LOCATION_BROWSE_PROGRAMS : LOCATION_BROWSE_START_MENU;
    return programs ? LOCATION_PROGRAMS_SETTING : LOCATION_START_MENU_SETTING;
}
