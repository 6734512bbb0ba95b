// The run dialog "RESULTDLG": the make child's output as it arrives, its
// elapsed seconds and outcome, abort, recompile, quit and the editor jump.
#pragma once
#include <stdint.h>
#include <windows.h>

/// What RunMake hands the run dialog. Everything stays RunMake's: the dialog
/// neither closes the handles nor frees the texts.
struct RunRequest {
    STARTUPINFOA* startupInfo;
    PROCESS_INFORMATION* processInfo;  // the child's process handle is polled and terminated
    HANDLE outputPipe;                 // read end of the child's output pipe
    const char* commandLine;           // shown as the first line of the output
};

/// Characters the output pane accepts: the whole output of any build.
const LPARAM OUTPUT_PANE_LIMIT = 0x7FFFFFFE;

/// Test only: while non-zero, the dialog takes nothing from the reader, as
/// if the display had fallen behind the child for as long.
extern volatile LONG runDisplayHeld;

/// Dialog procedure of RESULTDLG; WM_INITDIALOG carries a RunRequest*.
/// Ends with 0 (closed), 1 (quit Bravik) or 2 (recompile).
INT_PTR CALLBACK RunDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam);
