// The about box "ABOUTDLG": version, the maker's home page and support mail.
#pragma once
#include <windows.h>

// The maker's addresses; a release build may set others on the compiler's
// command line.
#ifndef BRAVIK_HOMEPAGE_URL
#define BRAVIK_HOMEPAGE_URL "https://www.quibrel.example/bravik/"
#endif
#ifndef BRAVIK_SUPPORT_MAIL
#define BRAVIK_SUPPORT_MAIL "bravik-support@quibrel.example"
#endif

/// Dialog procedure of "ABOUTDLG".
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);

/// Asks the shell to open target (a web or mailto: address) from the about
/// box; on failure (a result of 32 or less) shows failureText. Returns 1 on success.
int OpenFromAboutBox(HWND dialog, const char* target, const char* failureText);
