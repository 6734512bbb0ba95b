// Resource ids of the stand-in Hidemaru editor; the line control id is the
// one the Hidemaru editor's jump dialog uses.
#pragma once
#define IDD_JUMP 100
#define IDC_LINE 163
#define CMD_JUMP_DIALOG 34
