// runbench: the Windows side of bench/run_throughput.sh. Every mode prints
// one line of "key=value" figures; times are seconds from the start of the
// child, read from the performance counter, which all processes share.
//
//   runbench file MARKER OUT COMMAND...    the command's output into a file
//   runbench pipe MARKER OUT COMMAND...    drained from a default pipe by a
//                                          blocking reader (the floor for a
//                                          piped child); the output kept in OUT
//   runbench bravik MARKER BRAVIK MAKEFILE  Bravik.exe /A MAKEFILE, its run
//                                          dialog asked for its status text
//                                          every 5 ms until it shows the end;
//                                          Bravik's peak resident memory
//   runbench abort MARKER BRAVIK MAKEFILE MS  the same, with 中断 pressed MS
//                                          after the dialog appeared: the time
//                                          until the run had ended
//   runbench richedit TEXT LINES W H       TEXT appended to a rich edit of the
//                                          run dialog's pane style and size,
//                                          LINES lines per append, redraw off
#include <windows.h>
#include <psapi.h>
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static double Seconds(LONGLONG ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return (double)ticks / (double)frequency.QuadPart;
}

static LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// The marker holds the counter of the moment the make recipe wrote it.
static double MarkerSeconds(const char* marker, LONGLONG start) {
    FILE* f = fopen(marker, "rb");
    if (!f) return -1;
    long long at = 0;
    int ok = fscanf(f, "%lld", &at);
    fclose(f);
    return ok == 1 ? Seconds(at - start) : -1;
}

static char* JoinArguments(int argc, char** argv, int from) {
    static char line[4096];
    line[0] = '\0';
    for (int i = from; i < argc; ++i) {
        if (i > from) strcat(line, " ");
        strcat(line, argv[i]);
    }
    return line;
}

static HANDLE OpenNul() {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    return CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

static int RunToFileOrPipe(bool pipe, const char* marker, const char* outPath, char* command) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (pipe) {
        CreatePipe(&readEnd, &writeEnd, &inherit, 0);
        SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    } else {
        writeEnd = CreateFileA(outPath, GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    }
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    startup.hStdInput = OpenNul();
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION process;
    DeleteFileA(marker);
    LONGLONG start = Now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        printf("error=start\n");
        return 1;
    }
    CloseHandle(writeEnd);
    size_t total = 0;
    if (pipe) {
        size_t capacity = 32u << 20;
        char* text = (char*)malloc(capacity);
        DWORD got = 0;
        while (ReadFile(readEnd, text + total, (DWORD)(capacity - total > 65536 ? 65536 : capacity - total), &got,
                        nullptr) &&
               got > 0) {
            total += got;
            if (capacity - total < 65536) text = (char*)realloc(text, capacity *= 2);
        }
        FILE* out = fopen(outPath, "wb");
        fwrite(text, 1, total, out);
        fclose(out);
        free(text);
        CloseHandle(readEnd);
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    double end = Seconds(Now() - start);
    printf("mode=%s marker=%.3f end=%.3f bytes=%zu\n", pipe ? "pipe" : "file", MarkerSeconds(marker, start), end, total);
    return 0;
}

static double PeakMegabytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters;
    memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) return -1;
    return (double)counters.PeakWorkingSetSize / (1 << 20);
}

struct Search {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindRunDialog(HWND window, LPARAM param) {
    Search* search = (Search*)param;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32];
    GetClassNameA(window, cls, sizeof cls);
    if (pid != search->pid || strcmp(cls, "#32770") != 0 || !GetDlgItem(window, 1204)) return TRUE;
    search->found = window;
    return FALSE;
}

static int RunBravik(const char* marker, const char* bravik, const char* makefile, long abortAfterMs) {
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" /A %s", bravik, makefile);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    DeleteFileA(marker);
    LONGLONG start = Now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        printf("error=start\n");
        return 1;
    }
    Search search = {process.dwProcessId, nullptr};
    while (!search.found && WaitForSingleObject(process.hProcess, 5) == WAIT_TIMEOUT)
        EnumWindows(FindRunDialog, (LPARAM)&search);
    HWND status = GetDlgItem(search.found, 1204);
    RECT pane = {0, 0, 0, 0};
    // The dialog is found as soon as it exists, its pane a moment later.
    HWND paneWindow = nullptr;
    for (int tries = 0; search.found && !paneWindow && tries < 200; ++tries) {
        paneWindow = FindWindowExA(search.found, nullptr, "RichEdit20A", nullptr);
        if (!paneWindow) Sleep(5);
    }
    if (paneWindow) GetClientRect(paneWindow, &pane);
    double worst = 0, shown = -1, worstAt = 0, peak = 0, aborted = -1;
    LONGLONG dialogAt = Now();
    long probes = 0;
    while (status && shown < 0) {
        if (abortAfterMs >= 0 && aborted < 0 && Seconds(Now() - dialogAt) * 1000 >= abortAfterMs) {
            aborted = Seconds(Now() - start);
            PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);
        }
        double megabytes = PeakMegabytes(process.hProcess);
        if (megabytes > peak) peak = megabytes;
        char text[128] = "";
        LONGLONG asked = Now();
        DWORD_PTR result = 0;
        LRESULT answered = SendMessageTimeoutA(status, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_NORMAL, 60000, &result);
        LONGLONG now = Now();
        if (!answered) {
            shown = Seconds(now - start);  // the dialog closed itself after showing the end
            break;
        }
        ++probes;
        if (Seconds(now - asked) > worst) {
            worst = Seconds(now - asked);
            worstAt = Seconds(asked - start);
        }
        if (strstr(text, "MAKE\x8f\x49\x97\xb9")) shown = Seconds(now - start);  // "MAKE終了"
        else Sleep(5);
    }
    if (aborted >= 0) PostMessageA(search.found, WM_COMMAND, IDCANCEL, 0);  // an aborted run's dialog stays open
    WaitForSingleObject(process.hProcess, 600000);
    printf("mode=%s marker=%.3f shown=%.3f end=%.3f worst_answer_ms=%.1f worst_at=%.3f probes=%ld pane=%ldx%ld "
           "peak_mb=%.0f",
           aborted >= 0 ? "abort" : "bravik", MarkerSeconds(marker, start), shown, Seconds(Now() - start),
           worst * 1000, worstAt, probes, pane.right, pane.bottom, peak);
    if (aborted >= 0) printf(" abort_at=%.3f abort_ms=%.0f", aborted, (shown - aborted) * 1000);
    printf("\n");
    return 0;
}

static LRESULT CALLBACK FrameProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

static int RunRichEdit(const char* textPath, long chunkLines, int width, int height) {
    FILE* f = fopen(textPath, "rb");
    if (!f) return 1;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    char* text = (char*)malloc((size_t)size + 1);
    size_t got = fread(text, 1, (size_t)size, f);
    text[got] = '\0';
    fclose(f);

    LoadLibraryA("RICHED20.DLL");
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = "RunBenchFrame";
    RegisterClassA(&wc);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND top = CreateWindowExA(0, "RunBenchFrame", "richedit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", 0x56200144, 0, 0, width, height, top, nullptr,
                                nullptr, nullptr);
    SendMessageA(pane, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    CHARFORMATA format;
    memset(&format, 0, sizeof format);
    format.cbSize = sizeof format;
    SendMessageA(pane, EM_GETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
    format.dwMask |= CFM_FACE | CFM_SIZE;
    strcpy(format.szFaceName, "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");  // ＭＳ Ｐゴシック
    format.yHeight = 180;
    SendMessageA(pane, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);

    LONGLONG start = Now();
    double worst = 0;
    long chunks = 0;
    for (char* p = text; *p;) {
        char* end = p;
        for (long lines = 0; *end && lines < chunkLines; ++lines) {
            char* lf = strchr(end, '\n');
            end = lf ? lf + 1 : end + strlen(end);
        }
        char keep = *end;
        *end = '\0';
        LONGLONG before = Now();
        SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
        CHARRANGE atEnd = {-1, -1};
        SendMessageA(pane, EM_EXSETSEL, 0, (LPARAM)&atEnd);
        SendMessageA(pane, EM_REPLACESEL, FALSE, (LPARAM)p);
        SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(pane, nullptr, TRUE);
        SendMessageA(pane, EM_SCROLLCARET, 0, 0);
        UpdateWindow(pane);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        double took = Seconds(Now() - before);
        if (took > worst) worst = took;
        ++chunks;
        *end = keep;
        p = end;
    }
    printf("mode=richedit lines_per_chunk=%ld chunks=%ld appended=%.3f worst_chunk_ms=%.1f bytes=%zu peak_mb=%.0f\n",
           chunkLines, chunks, Seconds(Now() - start), worst * 1000, got, PeakMegabytes(GetCurrentProcess()));
    DestroyWindow(top);
    free(text);
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 5 && !strcmp(argv[1], "file")) return RunToFileOrPipe(false, argv[2], argv[3], JoinArguments(argc, argv, 4));
    if (argc >= 5 && !strcmp(argv[1], "pipe")) return RunToFileOrPipe(true, argv[2], argv[3], JoinArguments(argc, argv, 4));
    if (argc == 5 && !strcmp(argv[1], "bravik")) return RunBravik(argv[2], argv[3], argv[4], -1);
    if (argc == 6 && !strcmp(argv[1], "abort")) return RunBravik(argv[2], argv[3], argv[4], atol(argv[5]));
    if (argc == 6 && !strcmp(argv[1], "richedit")) return RunRichEdit(argv[2], atol(argv[3]), atoi(argv[4]), atoi(argv[5]));
    fprintf(stderr, "usage: runbench file|pipe MARKER OUT COMMAND... | bravik MARKER BRAVIK MAKEFILE | abort MARKER BRAVIK "
                    "MAKEFILE MS | richedit TEXT LINES W H\n");
    return 2;
}
