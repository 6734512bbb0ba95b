// Resource and control ids of UnInstal.
#pragma once

#define IDD_UNINSTALL 205
#define IDC_MESSAGE 300
#define IDC_ASSOCIATIONS 304
#define IDC_SHORTCUTS 305
#define IDC_ADDREMOVE 308
