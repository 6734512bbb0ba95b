// Where a menu folder or shortcut record's locationFlags say it lies.
#pragma once

enum MenuLocation {
    LOCATION_STARTUP,           ///< the user's Startup folder
    LOCATION_DESKTOP,
    LOCATION_SEND_TO,
    LOCATION_CURRENT,           ///< the folder the previous folder or shortcut record ended with
    LOCATION_BROWSE_PROGRAMS,    ///< chosen by the user below the Programs menu
    LOCATION_BROWSE_START_MENU,   ///< chosen by the user below the Start menu
    LOCATION_PROGRAMS_SETTING,   ///< the Programs menu as recorded in the registry
    LOCATION_START_MENU_SETTING,  ///< the Start menu as recorded in the registry
};

/// The low four bits name a fixed folder (2, 3, 4); otherwise 0x20, then 0x80
/// with 0x40 choosing between the Programs menu and the Start menu.
MenuLocation DecodeMenuLocation(unsigned char locationFlags);
