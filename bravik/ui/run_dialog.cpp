#include "bravik/ui/run_dialog.h"

#include <commctrl.h>
#include <limits.h>
#include <richedit.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/run.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/editor_jump.h"
#include "bravik/ui/output_pane.h"
#include "bravik/ui/output_reader.h"
#include "bravik/ui/resource.h"
#include "bravik/ui/run_make.h"

// The seconds count runs on its own timer; what the reader thread received
// is shown on a fast one, so a flood of output reaches the pane in batches
// between which the dialog answers.
enum { TIMER_SECONDS = 1, TIMER_OUTPUT = 2 };
const UINT SECONDS_INTERVAL = 1000;
const UINT OUTPUT_INTERVAL = 10;

// One batch should take about this long, so that the dialog never keeps a
// message waiting for long, however slowly the pane grows; a slow batch can
// take two or three times as long as the one before it. A batch with a
// highlighted line also costs the rich edit a walk over its paragraphs,
// which no batch size can avoid: below BATCH_LINES_MIN lines a busy machine
// would only be slowed further by many small batches.
const double BATCH_TARGET_MS = 35.0;
// A line shown is on the screen within half a second: the pane is painted as
// soon as no complete line waits, and during a flood at least this often.
const double PAINT_INTERVAL_MS = 400.0;
const int BATCH_LINES_FIRST = 100;  // the first batch of a pane is the slowest
const int BATCH_LINES_MIN = 100;
const int BATCH_LINES_MAX = 4000;
const size_t BATCH_BYTES_MAX = 256 * 1024;

const WPARAM PANE_UNDO_LIMIT = 100;  // the control's own default

static HWND outputPane;
static WNDPROC panePreviousProc;
static long elapsedSeconds;
static PROCESS_INFORMATION* runProcess;
static HANDLE runPipe;
static bool keyConsumed;
static bool childEnded;  // the process handle was seen signalled
static bool aborting;    // 中断 was pressed while the run was open
static DWORD childExitCode;
static int batchLines;
static OutputLines outputLines;
static OutputBatch outputBatch;
static bool redrawOff;  // the pane's redraw is off between batches
static LARGE_INTEGER lastPaint;
static LARGE_INTEGER nextBatch;  // while the child runs, no batch before this

volatile LONG runDisplayHeld;

static double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)(to.QuadPart - from.QuadPart) * 1000.0 / (double)frequency.QuadPart;
}

static CHARFORMATA PaneFormat(bool highlight) {
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    format.dwMask = CFM_COLOR | CFM_BOLD;
    if (highlight) {
        format.crTextColor = RGB(255, 0, 0);
        format.dwEffects = CFE_BOLD;
    } else {
        format.dwEffects = CFE_AUTOCOLOR;
    }
    return format;
}

static void SetInsertionFormat(bool highlight) {
    CHARFORMATA format = PaneFormat(highlight);
    SendMessageA(outputPane, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
}

static void AppendText(const char* text, bool highlight) {
    if (!outputPane) return;
    CHARRANGE end = {-1, -1};
    SendMessageA(outputPane, EM_EXSETSEL, 0, (LPARAM)&end);
    SetInsertionFormat(highlight);
    SendMessageA(outputPane, EM_REPLACESEL, FALSE, (LPARAM)text);
    if (highlight) SetInsertionFormat(false);
    NoteShownText(&outputLines, text);
}

static void ShowPaneEnd() {
    SendMessageA(outputPane, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(outputPane, nullptr, TRUE);
    SendMessageA(outputPane, EM_SCROLLCARET, 0, 0);
    QueryPerformanceCounter(&lastPaint);
    redrawOff = false;
}

struct RtfSource {
    const char* text;
    size_t left;
};

static DWORD CALLBACK ReadRtf(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* got) {
    RtfSource* source = (RtfSource*)cookie;
    size_t n = source->left < (size_t)size ? source->left : (size_t)size;
    memcpy(buffer, source->text, n);
    source->text += n;
    source->left -= n;
    *got = (LONG)n;
    return 0;
}

// A batch with a highlighted line goes in as one rich-text document with its
// highlighting in it: formatting lines afterwards would need a selection by
// position, which costs a rich edit a walk over all its paragraphs every
// time. Stream-in itself ends with such a walk, so the common batch without
// highlighting goes in as plain text, which needs none. The pane is painted
// a few times a second while output floods in, not after every batch.
static void AppendBatch(const OutputBatch& batch) {
    if (!redrawOff) SendMessageA(outputPane, WM_SETREDRAW, FALSE, 0);
    redrawOff = true;
    CHARRANGE end = {-1, -1};
    SendMessageA(outputPane, EM_EXSETSEL, 0, (LPARAM)&end);
    if (batch.plainWillDo) {
        SetInsertionFormat(false);
        SendMessageA(outputPane, EM_REPLACESEL, FALSE, (LPARAM)batch.plain);
        return;
    }
    RtfSource source = {batch.text, batch.textLength};
    EDITSTREAM stream = {(DWORD_PTR)&source, 0, ReadRtf};
    SendMessageA(outputPane, EM_STREAMIN, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
}

// Shows one batch of what the reader has received (`whole`: all of it in
// one); false when nothing could be shown. The queue stays locked only while
// the batch is cut out of it, not while the pane takes it. Without a pane the
// output is taken and dropped, or a chatty child would wait for ever.
static bool ShowReceived(bool final, bool whole = false) {
    OutputQueue* queue = LockReceived();
    if (!outputPane) {
        size_t queued = QueuedBytes(queue);
        DropOutput(queue, queued);
        ReleaseReceived();
        return queued > 0;
    }
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    size_t taken = TakeOutputLines(&outputLines, QueuedData(queue), QueuedBytes(queue), final,
                                   whole ? INT_MAX : batchLines, whole ? SIZE_MAX : BATCH_BYTES_MAX, &outputBatch);
    DropOutput(queue, taken);
    ReleaseReceived();
    if (!taken) return false;
    AppendBatch(outputBatch);
    QueryPerformanceCounter(&after);
    nextBatch.QuadPart = after.QuadPart + (after.QuadPart - before.QuadPart);
    if (outputBatch.lines > 0) {
        double ms = Milliseconds(before, after);
        if (ms < 1.0) ms = 1.0;
        int fitting = (int)(outputBatch.lines * BATCH_TARGET_MS / ms);
        // Shrink at once when a batch took too long, grow by half at most.
        int next = fitting < batchLines * 3 / 2 ? fitting : batchLines * 3 / 2;
        batchLines = next < BATCH_LINES_MIN ? BATCH_LINES_MIN : next > BATCH_LINES_MAX ? BATCH_LINES_MAX : next;
    }
    return true;
}

static void SetStatus(HWND dialog, const char* text) {
    SetDlgItemTextA(dialog, IDC_RUNSTATUS, text);
}

// After 中断 everything received goes into the pane in one go, painted once,
// so that the run ends at once however far the display had fallen behind.
static void FinishRun(HWND dialog) {
    if (aborting) ShowReceived(true, true);
    while (ShowReceived(true)) {
    }
    if (outputPane && redrawOff) ShowPaneEnd();
    char text[128];
    snprintf(text, sizeof text, "%ld 秒でMAKE終了", elapsedSeconds);
    SetStatus(dialog, text);
    // The completion text starts a line of its own.
    if (outputLines.midLine) AppendText("\r\n", false);
    if (childExitCode == 0) {
        snprintf(text, sizeof text, "%ld 秒でMAKEが正常に終了しました.\r\n", elapsedSeconds);
        AppendText(text, false);
    } else {
        snprintf(text, sizeof text, "%ld 秒でMAKEが %ld のエラーで終了しました.\r\n", elapsedSeconds,
                 (long)(int)childExitCode);
        AppendText(text, true);
    }
    EndPaneRun(&outputLines);
    elapsedSeconds = -1;
    KillTimer(dialog, TIMER_SECONDS);
    KillTimer(dialog, TIMER_OUTPUT);
    SetDlgItemTextA(dialog, IDCANCEL, "閉じる");
    EnableWindow(GetDlgItem(dialog, IDCANCEL), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_EDITORJUMP), TRUE);
    EnableWindow(GetDlgItem(dialog, IDC_RECOMPILE), TRUE);
    if (outputPane) {
        SendMessageA(outputPane, EM_SETUNDOLIMIT, PANE_UNDO_LIMIT, 0);  // the user's own edits can be undone
        EnableWindow(outputPane, TRUE);
    }
    if (childExitCode == 0 && (AppState.settings.flags & FLAG_CLOSE_ON_SUCCESS) && !outputLines.errorKeyword) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        runAutoClosed = 1;
    } else if (outputPane) {
        SetFocus(outputPane);
    }
}

// The signalled handle, not STILL_ACTIVE, tells the end: 259 is also an
// exit code a child can really return. From then on the reader takes only
// what the pipe holds, so that a process the child started and that still
// writes into the pipe does not keep the run open.
static void NoteChildEnd() {
    if (childEnded || WaitForSingleObject(runProcess->hProcess, 0) != WAIT_OBJECT_0) return;
    if (!GetExitCodeProcess(runProcess->hProcess, &childExitCode)) childExitCode = (DWORD)-1;
    childEnded = true;
    DrainOutputReader();
}

// The run is over once the child has ended, the reader has taken the rest
// from the pipe and everything received is in the pane (after 中断: at once).
static void OnOutputTick(HWND dialog) {
    if (elapsedSeconds < 0) return;
    if (aborting) NoteChildEnd();
    bool readerDone = OutputReaderFinished();
    if (aborting && childEnded) {
        if (readerDone) FinishRun(dialog);
        return;
    }
    bool held = InterlockedCompareExchange(&runDisplayHeld, 0, 0) != 0;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    // Painted every so often while batches follow one another, in a tick of
    // its own: a message waiting on the dialog then waits for a batch or for
    // the paint, never for both.
    if (outputPane && redrawOff && Milliseconds(lastPaint, now) >= PAINT_INTERVAL_MS) {
        ShowPaneEnd();
        return;
    }
    // While the child runs the pane takes at most half of the time: on a
    // machine with few processors a display working flat out would take
    // them from the build.
    bool paced = !childEnded && now.QuadPart < nextBatch.QuadPart;
    bool shown = !held && !paced && ShowReceived(false);
    // Painted as soon as no complete line waits, whatever unfinished line is pending.
    if (outputPane && redrawOff && !shown && !paced) ShowPaneEnd();
    if (childEnded && readerDone && !shown && !held) FinishRun(dialog);
}

// The seconds go on while the run is open, also while the pane catches up
// with a child that has already ended.
static void OnSecondsTick(HWND dialog) {
    if (elapsedSeconds < 0) return;
    ++elapsedSeconds;
    if (!aborting) {
        char text[64];
        snprintf(text, sizeof text, "%ld 秒", elapsedSeconds);
        SetStatus(dialog, text);
    }
    NoteChildEnd();
}

static void SetRunTitle(HWND dialog) {
    if (!AppState.variantListBox) return;
    LRESULT index = SendMessageA(AppState.variantListBox, LB_GETCURSEL, 0, 0);
    if (index < 0 || index >= MAX_VARIANTS) return;
    LRESULT length = SendMessageA(AppState.variantListBox, LB_GETTEXTLEN, (WPARAM)index, 0);
    if (length < 0) return;
    char* label = (char*)calloc((size_t)length + 1, 1);
    if (!label) return;
    SendMessageA(AppState.variantListBox, LB_GETTEXT, (WPARAM)index, (LPARAM)label);
    static const char prefix[] = "MAKEの実行 - [";
    char title[256];
    strcpy(title, prefix);
    // A long label is cut on a character boundary so that "]" still fits.
    cp932::CopyCut(title + strlen(prefix), sizeof title - strlen(prefix) - 1, label);
    strcat(title, "]");
    SetWindowTextA(dialog, title);
    free(label);
}

static int PaneTop(HWND dialog) {
    RECT button;
    GetWindowRect(GetDlgItem(dialog, IDC_EDITORJUMP), &button);
    POINT bottom = {button.left, button.bottom};
    ScreenToClient(dialog, &bottom);
    return bottom.y + 4;
}

static void LayoutPane(HWND dialog) {
    if (!outputPane) return;
    RECT client;
    GetClientRect(dialog, &client);
    int top = PaneTop(dialog);
    MoveWindow(outputPane, 0, top, client.right, LayoutCountsLine(dialog) - top, TRUE);
}

static bool OnPaneKeyDown(HWND pane, WPARAM key) {
    keyConsumed = false;
    int code = JumpKeyVirtualCode(AppState.settings.jumpKey);
    if (code == 0 || (int)(key & 0xFF) != code) return false;
    SendMessageA(GetParent(pane), WM_COMMAND, IDC_EDITORJUMP, 0);
    keyConsumed = true;
    return true;
}

static void OnPaneDoubleClick(HWND pane, LPARAM lParam) {
    POINTL point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
    LONG at = (LONG)SendMessageA(pane, EM_CHARFROMPOS, 0, (LPARAM)&point);
    CHARRANGE caret = {at, at};
    SendMessageA(pane, EM_EXSETSEL, 0, (LPARAM)&caret);
    SendMessageA(GetParent(pane), WM_COMMAND, IDC_EDITORJUMP, 0);
}

static LRESULT CALLBACK OutputPaneProc(HWND pane, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_KEYDOWN:
        if (OnPaneKeyDown(pane, wParam)) return 0;
        break;
    case WM_KEYUP:
    case WM_CHAR:
        if (keyConsumed) return 0;
        break;
    case WM_LBUTTONDBLCLK: OnPaneDoubleClick(pane, lParam); return 0;
    case WM_CONTEXTMENU: ShowPaneMenu(lParam); return 0;
    }
    return CallWindowProcA(panePreviousProc, pane, msg, wParam, lParam);
}

static void CreateOutputPane(HWND dialog) {
    RECT client;
    GetClientRect(dialog, &client);
    int top = PaneTop(dialog);
    outputPane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "",
                                 WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL | ES_NOHIDESEL |
                                     ES_AUTOVSCROLL | ES_MULTILINE,
                                 0, top, client.right, client.bottom - top, dialog, (HMENU)0, AppState.instance, nullptr);
    if (!outputPane) return;
    // EM_LIMITTEXT 0 would leave the control at its default of 64K
    // characters, and the rest of a large build's output would be dropped.
    SendMessageA(outputPane, EM_EXLIMITTEXT, 0, OUTPUT_PANE_LIMIT);
    // The output is not undoable; without an undo stack the control also
    // spares itself a copy of every line it takes while the run is shown.
    SendMessageA(outputPane, EM_SETUNDOLIMIT, 0, 0);
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(outputPane, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
    format.dwMask |= CFM_FACE | CFM_SIZE;
    strcpy(format.szFaceName, "ＭＳ Ｐゴシック");
    format.yHeight = 180;
    SendMessageA(outputPane, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
    EnableWindow(outputPane, FALSE);
}

static void ResetRunState(const RunRequest* request) {
    runAutoClosed = 0;
    runProcess = request->processInfo;
    runPipe = request->outputPipe;
    outputPane = nullptr;
    panePreviousProc = nullptr;
    keyConsumed = false;
    childEnded = false;
    aborting = false;
    childExitCode = 0;
    batchLines = BATCH_LINES_FIRST;
    redrawOff = false;
    QueryPerformanceCounter(&lastPaint);
    nextBatch = lastPaint;
    int flags = 0;
    if (AppState.settings.flags & FLAG_HIGHLIGHT_ERRORS) flags |= HIGHLIGHT_ERRORS;
    if (AppState.settings.flags & FLAG_HIGHLIGHT_JUMPABLE) flags |= HIGHLIGHT_JUMPABLE;
    InitOutputLines(&outputLines, flags);
}

static void OnInitDialog(HWND dialog, const RunRequest* request) {
    ResetRunState(request);
    SetRunTitle(dialog);
    CreateOutputPane(dialog);
    if (outputPane) {
        AppendText(request->commandLine, false);
        AppendText("\r\n", false);
        panePreviousProc = (WNDPROC)SetWindowLongPtrA(outputPane, GWLP_WNDPROC, (LONG_PTR)OutputPaneProc);
        BeginPaneRun(dialog, outputPane, &outputLines);
        LayoutPane(dialog);  // room for the counts line under the pane
    }
    SetDlgItemTextA(dialog, IDCANCEL, "中断");
    EnableWindow(GetDlgItem(dialog, IDC_EDITORJUMP), FALSE);
    EnableWindow(GetDlgItem(dialog, IDC_RECOMPILE), FALSE);
    StartOutputReader(runPipe);
    SetTimer(dialog, TIMER_SECONDS, SECONDS_INTERVAL, nullptr);
    SetTimer(dialog, TIMER_OUTPUT, OUTPUT_INTERVAL, nullptr);
    elapsedSeconds = 0;
    SetFocus(GetDlgItem(dialog, IDCANCEL));
}

// A pane that holds a big build's output takes the rich edit seconds to free
// (about 3 s for 250,000 lines under Wine). It leaves with the dialog hidden
// and is destroyed once the thread next takes messages, so that the dialog
// closes at once, and a program that quits after the run (Bravik /A, the
// Bravikの終了 button) ends without paying for it at all.
static HWND retiredPane;

static void CALLBACK DestroyRetiredPane(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (retiredPane) DestroyWindow(retiredPane);
    retiredPane = nullptr;
}

// The dialog lets go of its pane: the pane's own window procedure back, the
// run's handles cleared. Returns the pane, if there was one.
static HWND ReleasePane() {
    HWND pane = outputPane;
    if (pane && panePreviousProc) SetWindowLongPtrA(pane, GWLP_WNDPROC, (LONG_PTR)panePreviousProc);
    outputPane = nullptr;
    panePreviousProc = nullptr;
    return pane;
}

static void RetireOutputPane() {
    if (!outputPane) return;
    if (retiredPane) DestroyWindow(retiredPane);  // never more than one waits
    // Focus left on a hidden window would stay with it until it is freed.
    if (GetFocus() == outputPane) SetFocus(GetParent(outputPane));
    ShowWindow(outputPane, SW_HIDE);
    retiredPane = ReleasePane();
    if (!SetParent(retiredPane, HWND_MESSAGE) || !SetTimer(nullptr, 0, 0, DestroyRetiredPane)) {
        DestroyWindow(retiredPane);
        retiredPane = nullptr;
    }
}

static void EndRunDialog(HWND dialog, RunOutcome outcome) {
    RetireOutputPane();
    EndDialog(dialog, outcome);
}

static void OnAbortOrClose(HWND dialog) {
    if (elapsedSeconds < 0) {
        EndRunDialog(dialog, Closed);
        return;
    }
    EnableWindow(GetDlgItem(dialog, IDCANCEL), FALSE);
    if (!childEnded) TerminateProcess(runProcess->hProcess, 0xFFFFFFFF);
    aborting = true;
    SetStatus(dialog, "中断の処理中");
}

static void OnEditorJump() {
    if (elapsedSeconds < 0 && outputPane) EditorJump(outputPane);
}

static void OnCommand(HWND dialog, int id) {
    switch (id) {
    case IDCANCEL: OnAbortOrClose(dialog); break;
    case IDC_EDITORJUMP: OnEditorJump(); break;
    case IDC_RECOMPILE:
        if (elapsedSeconds < 0) EndRunDialog(dialog, Recompile);
        break;
    case IDC_QUITBRAVIK: EndRunDialog(dialog, QuitProgram); break;
    }
}

static void OnDestroy(HWND dialog) {
    ReleasePane();
    KillTimer(dialog, TIMER_SECONDS);
    KillTimer(dialog, TIMER_OUTPUT);
    StopOutputReader();
    FreeOutputBatch(&outputBatch);
    ClosePaneRun();
}

INT_PTR CALLBACK RunDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG: OnInitDialog(dialog, (const RunRequest*)lParam); return FALSE;
    case WM_TIMER:
        if (wParam == TIMER_SECONDS) OnSecondsTick(dialog);
        if (wParam == TIMER_OUTPUT) OnOutputTick(dialog);
        return TRUE;
    case WM_COMMAND: OnCommand(dialog, LOWORD(wParam)); return TRUE;
    case WM_NOTIFY:
        if (((NMHDR*)lParam)->hwndFrom != outputPane || ((NMHDR*)lParam)->code != (UINT)NM_DBLCLK) return FALSE;
        OnEditorJump();
        return TRUE;
    case WM_SIZE: LayoutPane(dialog); return TRUE;
    case WM_DESTROY: OnDestroy(dialog); return TRUE;
    }
    return FALSE;
}
