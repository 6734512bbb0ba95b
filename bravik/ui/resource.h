// Resource and command ids of Bravik, shared by the .rc files and the code.
#pragma once

// Commands (toolbar, accelerators, window menu); string ids of the same value
// are the status-bar descriptions, id + 100 the tooltips.
#define CMD_OPEN 101
#define CMD_RUN 102
#define CMD_EXIT 103
#define CMD_SETTINGS 104
#define CMD_STATUSBAR 105
#define CMD_EDIT 106
#define CMD_HELP 107
#define CMD_HELPONHELP 108
#define CMD_ABOUT 109
#define CMD_VARIANT_FIRST 200
#define CMD_VARIANT_LAST 300

// Child windows of the main window.
#define ID_TOOLBAR 3000
#define ID_STATUSBAR 3001
#define ID_VARIANTLIST 3002

// Toolbar image bitmaps.
#define IDB_TOOLBAR_SMALL 2000
#define IDB_TOOLBAR_LARGE 2001

// Settings dialog "MAKEENVDLG".
#define IDC_MAKEEXE 1001
#define IDC_MAKEOPT 1002
#define IDC_MAKEEXE_BROWSE 1003
#define IDC_ENVIRONMENT 1004
#define IDC_USESYSTEMENV 1005
#define IDC_SHOWENV 1006
#define IDC_CURRENTDIR 1007
#define IDC_CURRENTDIR_BROWSE 1008
#define IDC_EDITOREXE 1009
#define IDC_EDITOROPT 1010
#define IDC_EDITOREXE_BROWSE 1011
#define IDC_EDITORKIND 1012
#define IDC_TOOLBARSTYLE 1013
#define IDC_JUMPKEY 1014
#define IDC_CLOSEONSUCCESS 1015
#define IDC_MULTISELECT 1016
#define IDC_HIGHLIGHTERRORS 1017
#define IDC_HIGHLIGHTJUMPABLE 1018

// Run dialog "RESULTDLG".
#define IDC_EDITORJUMP 1201
#define IDC_RECOMPILE 1202
#define IDC_QUITBRAVIK 1203
#define IDC_RUNSTATUS 1204
#define IDC_RUNCOUNTS 1205  // created by the dialog, under the pane

// About box "ABOUTDLG".
#define IDC_HOMEPAGE 1300
#define IDC_SENDMAIL 1301

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
