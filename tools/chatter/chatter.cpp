// chatter: the console program make recipes run in the run tests and the
// benchmark (under Wine a recipe can start Windows programs only). Its
// arguments are commands, left to right: print FILE (its bytes), line TEXT,
// text TEXT (no line end), lines N EVERY (build lines, every EVERY-th a
// diagnostic), blocks N SIZE (N writes of numbered 100-byte lines, as `type`
// writes), spawn "ARGS" (another chatter on the same output, not waited for),
// marker FILE (the performance counter and its frequency), pid FILE, stdin
// (reads it to its end, prints "stdin N bytes"), sleep MS, exit N. A failed
// write (the reader has gone) ends it with code 3.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HANDLE out;

static void Put(HANDLE to, const char* data, size_t size) {
    for (DWORD written = 0; size > 0; data += written, size -= written)
        if (!WriteFile(to, data, (DWORD)size, &written, nullptr) || written == 0) ExitProcess(3);
}

int main(int argc, char** argv) {
    out = GetStdHandle(STD_OUTPUT_HANDLE);
    int exitCode = 0;
    char text[2048];
    for (int i = 1; i < argc; ++i) {
        const char* command = argv[i];
        const char* a = i + 1 < argc ? argv[i + 1] : "";
        const char* b = i + 2 < argc ? argv[i + 2] : "";
        long n = atol(a), m = atol(b);
        if (!strcmp(command, "print")) {
            FILE* f = fopen(a, "rb");
            if (!f) return 4;
            for (size_t got; (got = fread(text, 1, sizeof text, f)) > 0;) Put(out, text, got);
            fclose(f);
            ++i;
        } else if (!strcmp(command, "line") || !strcmp(command, "text")) {
            Put(out, a, strlen(a));
            if (command[0] == 'l') Put(out, "\r\n", 2);
            ++i;
        } else if (!strcmp(command, "lines")) {
            for (long k = 1; k <= n; ++k) {
                int length = m > 0 && k % m == 0
                    ? snprintf(text, sizeof text, "src\\module%03ld.c(%ld) : C4101: 'i' : unreferenced local variable %06ld\r\n", k % 1000, k, k)
                    : snprintf(text, sizeof text, "g++ -c -O2 -Wall -Iinclude -o obj/file%06ld.o src/file%06ld.cpp -DNDEBUG\r\n", k, k);
                Put(out, text, (size_t)length);
            }
            i += 2;
        } else if (!strcmp(command, "blocks")) {
            long line = 0;
            char* buffer = (char*)malloc((size_t)m + 101);
            for (long k = 0; k < n; ++k) {
                for (long at = 0; at < m; at += 100) snprintf(buffer + at, 101, "%08ld %-89s\r\n", ++line, "block line");
                Put(out, buffer, (size_t)m);
            }
            free(buffer);
            i += 2;
        } else if (!strcmp(command, "spawn")) {
            char self[MAX_PATH];
            GetModuleFileNameA(nullptr, self, sizeof self);
            snprintf(text, sizeof text, "\"%s\" %s", self, a);
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = out;
            startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
            PROCESS_INFORMATION process;
            if (!CreateProcessA(nullptr, text, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return 6;
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            ++i;
        } else if (!strcmp(command, "marker") || !strcmp(command, "pid")) {
            LARGE_INTEGER now, frequency;
            QueryPerformanceCounter(&now);
            QueryPerformanceFrequency(&frequency);
            if (command[0] == 'm') snprintf(text, sizeof text, "%lld %lld\n", (long long)now.QuadPart, (long long)frequency.QuadPart);
            else snprintf(text, sizeof text, "%lu\n", GetCurrentProcessId());
            if (FILE* f = fopen(a, "wb")) fputs(text, f), fclose(f);
            ++i;
        } else if (!strcmp(command, "stdin")) {
            DWORD got = 0;
            unsigned long total = 0;
            while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), text, sizeof text, &got, nullptr) && got > 0) total += got;
            Put(out, text, (size_t)snprintf(text, sizeof text, "stdin %lu bytes\r\n", total));
        } else if (!strcmp(command, "sleep") || !strcmp(command, "exit")) {
            if (command[0] == 's') Sleep((DWORD)n);
            else exitCode = (int)n;
            ++i;
        } else {
            fprintf(stderr, "chatter: unknown command %s\n", command);
            return 5;
        }
    }
    return exitCode;
}
