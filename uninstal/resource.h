// Resource and control ids of UnInstal.
#pragma once

#define IDD_UNINSTALL 205
#define ID_MESSAGE 300
#define ID_ASSOCIATIONS 304
#define ID_SHORTCUTS 305
#define ID_ADDREMOVE 308
