// Where a menu folder or shortcut record's locationFlags say it lies.
#pragma once

namespace uninstal {

enum MenuLocation {
    kLocationStartup,           ///< the user's Startup folder
    kLocationDesktop,
    kLocationSendTo,
    kLocationCurrent,           ///< the folder the previous folder or shortcut record ended with
    kLocationBrowsePrograms,    ///< chosen by the user below the Programs menu
    kLocationBrowseStartMenu,   ///< chosen by the user below the Start menu
    kLocationProgramsSetting,   ///< the Programs menu as recorded in the registry
    kLocationStartMenuSetting,  ///< the Start menu as recorded in the registry
};

/// The low four bits name a fixed folder (2, 3, 4); otherwise 0x20, then 0x80
/// with 0x40 choosing between the Programs menu and the Start menu.
MenuLocation DecodeMenuLocation(unsigned char locationFlags);

}  // namespace uninstal
