#include "uninstal/core/menu_location.h"

namespace uninstal {

MenuLocation DecodeMenuLocation(unsigned char locationFlags) {
    switch (locationFlags & 0x0F) {
    case 2: return kLocationStartup;
    case 3: return kLocationDesktop;
    case 4: return kLocationSendTo;
    default: break;
    }
    bool programs = (locationFlags & 0x40) != 0;
    if (locationFlags & 0x20) return kLocationCurrent;
    if (locationFlags & 0x80) return programs ? kLocationBrowsePrograms : kLocationBrowseStartMenu;
    return programs ? kLocationProgramsSetting : kLocationStartMenuSetting;
}

}  // namespace uninstal
