// runbench: the Windows side of bench/run_throughput.sh. Times are seconds on
// the performance counter, which all processes share, from the start of the
// child; each measuring mode prints one line of key=value figures. The make
// recipes write with chatter (`lines N 10`, `marker FILE`).
//   pipe MARKER OUT COMMAND...  the command drained from a default pipe by a blocking reader (the floor)
//   bravik MARKER BRAVIK MAKEFILE [ABORT_MS]  "Bravik /A MAKEFILE" until it has ended: its run dialog's
//                      longest WM_NULL round trip, its pane's size, Bravik's peak memory
//   richedit TEXT W H  TEXT into a rich edit of the pane's style and size, 10,000
//                      lines per append with the redraw off (the ceiling)
#include <windows.h>
#include <math.h>
#include <psapi.h>
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static double Now() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// The marker is chatter's: the performance counter and its frequency.
static double Marker(const char* marker, double start) {
    double at = -1, counter, frequency;
    FILE* f = fopen(marker, "rb");
    if (f && fscanf(f, "%lf %lf", &counter, &frequency) == 2 && frequency > 0) at = counter / frequency - start;
    if (f) fclose(f);
    return at;
}

static double PeakMegabytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    return GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.PeakWorkingSetSize / 1048576.0 : -1;
}

static HANDLE Start(char* command, HANDLE output, const char* marker, double* start) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ, &inherit, OPEN_EXISTING, 0, nullptr);
        startup.hStdOutput = startup.hStdError = output;
    }
    PROCESS_INFORMATION process;
    DeleteFileA(marker);
    *start = Now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &startup, &process))
        printf("error=start %s\n", command), exit(1);
    CloseHandle(process.hThread);
    return process.hProcess;
}

static int Pipe(const char* marker, const char* out, int argc, char** argv) {
    static char command[4096];
    for (int i = 0; i < argc; ++i) strcat(strcat(command, i ? " " : ""), argv[i]);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    double start;
    HANDLE process = Start(command, writeEnd, marker, &start);
    CloseHandle(writeEnd);
    size_t total = 0, capacity = 64u << 20;
    char* text = (char*)malloc(capacity);  // kept in memory: the reader does nothing else
    for (DWORD got; ReadFile(readEnd, text + total, 65536, &got, nullptr) && got;)
        if (capacity - (total += got) < 65536) text = (char*)realloc(text, capacity *= 2);
    WaitForSingleObject(process, INFINITE);
    printf("marker=%.3f end=%.3f bytes=%zu\n", Marker(marker, start), Now() - start, total);
    FILE* f = fopen(out, "wb");
    fwrite(text, 1, total, f);
    return fclose(f);
}

struct Search {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindRunDialog(HWND window, LPARAM param) {  // Bravik's dialog with a rich edit
    Search* search = (Search*)param;
    DWORD pid = 0;
    char cls[16] = "";
    GetWindowThreadProcessId(window, &pid);
    GetClassNameA(window, cls, sizeof cls);
    if (pid == search->pid && !strcmp(cls, "#32770") && FindWindowExA(window, nullptr, "RichEdit20A", nullptr))
        search->found = window;
    return !search->found;
}

// abortMs >= 0: 中断 is pressed that long after the start, and abort_ms is how
// long the run then took to end (its button enabled again, as 閉じる).
static int Bravik(const char* marker, const char* bravik, const char* makefile, long abortMs) {
    char command[1024];
    snprintf(command, sizeof command, "\"%s\" /A %s", bravik, makefile);
    double start, worst = 0, peak = 0, peakRead = 0, pressed = 0, ended = 0;
    HANDLE process = Start(command, nullptr, marker, &start);
    Search search = {GetProcessId(process), nullptr};
    while (!search.found && WaitForSingleObject(process, 5) == WAIT_TIMEOUT)
        EnumWindows(FindRunDialog, (LPARAM)&search);
    double dialogAt = Now() - start;
    RECT pane = {0, 0, 0, 0};
    GetClientRect(FindWindowExA(search.found, nullptr, "RichEdit20A", nullptr), &pane);
    // The peak is a high-water mark the system keeps: read now and then, it
    // costs the measured process no server call every few milliseconds.
    for (HWND dialog = search.found; WaitForSingleObject(process, 5) == WAIT_TIMEOUT;) {
        if (Now() - peakRead >= 0.1) peakRead = Now(), peak = fmax(peak, PeakMegabytes(process));
        double asked = Now();
        DWORD_PTR result;
        if (dialog && !SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result)) dialog = nullptr;
        if (dialog && Now() - asked > worst) worst = Now() - asked;
        if (dialog && abortMs >= 0 && !pressed && Now() - start >= abortMs / 1000.0) {
            pressed = Now();
            SendMessageTimeoutA(dialog, WM_COMMAND, IDCANCEL, 0, SMTO_NORMAL, 60000, &result);
        } else if (dialog && pressed && !ended && IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))) {
            ended = Now();
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        }
    }
    printf("dialog=%.3f marker=%.3f end=%.3f worst_answer_ms=%.1f pane=%ldx%ld peak_mb=%.0f abort_ms=%.0f\n", dialogAt,
           Marker(marker, start), Now() - start, worst * 1000, pane.right, pane.bottom, peak, (ended - pressed) * 1000);
    return 0;
}

static int RichEdit(const char* path, int width, int height) {
    FILE* f = fopen(path, "rb");
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    char* text = (char*)calloc((size_t)size + 1, 1);
    fseek(f, 0, SEEK_SET);
    size = (long)fread(text, 1, (size_t)size, f);
    fclose(f);
    LoadLibraryA("RICHED20.DLL");
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND top = CreateWindowExA(0, "STATIC", "richedit", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    HWND pane = CreateWindowExA(WS_EX_CLIENTEDGE, "RichEdit20A", "", 0x56200144, 0, 0, width, height, top, nullptr,
                                nullptr, nullptr);
    SendMessageA(pane, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    format.dwMask = CFM_FACE | CFM_SIZE;
    format.yHeight = 180;  // the pane's font: ＭＳ Ｐゴシック, 9 points
    strcpy(format.szFaceName, "\x82\x6c\x82\x72 \x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e");
    SendMessageA(pane, EM_SETCHARFORMAT, SCF_DEFAULT, (LPARAM)&format);
    double start = Now();
    for (char* p = text; *p;) {
        char* end = p;
        for (int lines = 0; *end && lines < 10000; ++lines)
            end = strchr(end, '\n') ? strchr(end, '\n') + 1 : strchr(end, 0);
        char keep = *end;
        *end = '\0';
        CHARRANGE atEnd = {-1, -1};
        SendMessageA(pane, WM_SETREDRAW, FALSE, 0);
        SendMessageA(pane, EM_EXSETSEL, 0, (LPARAM)&atEnd);
        SendMessageA(pane, EM_REPLACESEL, FALSE, (LPARAM)p);
        SendMessageA(pane, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(pane, nullptr, TRUE);
        SendMessageA(pane, EM_SCROLLCARET, 0, 0);
        UpdateWindow(pane);
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&msg);
        *(p = end) = keep;
    }
    printf("appended=%.3f bytes=%ld peak_mb=%.0f\n", Now() - start, size, PeakMegabytes(GetCurrentProcess()));
    return 0;
}

int main(int argc, char** argv) {
    if (argc >= 5 && !strcmp(argv[1], "pipe")) return Pipe(argv[2], argv[3], argc - 4, argv + 4);
    if (argc >= 5 && !strcmp(argv[1], "bravik")) return Bravik(argv[2], argv[3], argv[4], argc > 5 ? atol(argv[5]) : -1);
    if (argc == 5 && !strcmp(argv[1], "richedit")) return RichEdit(argv[2], atoi(argv[3]), atoi(argv[4]));
    fprintf(stderr, "usage: runbench pipe MARKER OUT COMMAND... | bravik MARKER BRAVIK MAKEFILE [ABORT_MS] | "
                    "richedit TEXT W H\n");
    return 2;
}
