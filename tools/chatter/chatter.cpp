// chatter: a console program that make recipes run in the run tests and the
// benchmark, since a recipe under Wine can only start Windows programs.
// It carries out its arguments as a list of commands, left to right:
//
//   print FILE EOL      the lines of a text file as they are (CP932), each ended
//                       by EOL (crlf, lf, cr, none), one write per line
//   line TEXT           TEXT and CR LF          err TEXT    the same on stderr
//   text TEXT           TEXT without line end (arguments arrive in CP932)
//   lines N EVERY       N build lines, every EVERY-th a compiler diagnostic
//                       without error words (0: none), CR LF, one write each
//   long N LEN          N lines of LEN bytes each (line end included), CR LF
//   lump N              N bytes 'x' without line end, in one write
//   blocks N SIZE       N writes of SIZE bytes each (a multiple of 100), as a
//                       fast writer (`type`) writes: numbered 100-byte lines
//   spawn "ARGS"        starts another chatter with ARGS on the same output
//                       and goes on without waiting for it
//   cwd                 the current directory as a line
//   marker FILE         writes the performance counter and its frequency
//   pid FILE            writes this process's id
//   args FILE REST...   writes the remaining arguments, blank-separated, and ends
//   stdin               reads standard input to its end, prints "stdin N bytes"
//   sleep MS            waits (MS -1: for ever)
//   exit N              ends with exit code N
//
// A failed write (the reader has gone) ends the program with exit code 3.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static void Put(HANDLE out, const char* data, DWORD size) {
    DWORD written = 0;
    while (size > 0) {
        if (!WriteFile(out, data, size, &written, nullptr) || written == 0) ExitProcess(3);
        data += written;
        size -= written;
    }
}

static const char* LineEnd(const char* name) {
    if (!strcmp(name, "lf")) return "\n";
    if (!strcmp(name, "cr")) return "\r";
    if (!strcmp(name, "none")) return "";
    return "\r\n";
}

static int PrintFile(HANDLE out, const char* path, const char* end) {
    FILE* f = fopen(path, "rb");
    if (!f) return 0;
    char line[4096 + 2];
    while (fgets(line, 4096, f)) {
        size_t n = strlen(line);
        while (n > 0 && (line[n - 1] == '\n' || line[n - 1] == '\r')) --n;
        memcpy(line + n, end, strlen(end));
        Put(out, line, (DWORD)(n + strlen(end)));
    }
    fclose(f);
    return 1;
}

static void BuildLines(HANDLE out, long count, long every) {
    char line[256];
    for (long i = 1; i <= count; ++i) {
        int n;
        if (every > 0 && i % every == 0)
            n = snprintf(line, sizeof line, "src\\module%03ld.c(%ld) : C4101: 'i' : unreferenced local variable %06ld\r\n",
                         i % 1000, i, i);
        else
            n = snprintf(line, sizeof line, "g++ -c -O2 -Wall -Iinclude -o obj/file%06ld.o src/file%06ld.cpp -DNDEBUG\r\n", i,
                         i);
        Put(out, line, (DWORD)n);
    }
}

static void WriteSmallFile(const char* path, const char* text) {
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(f, text, (DWORD)strlen(text), &written, nullptr);
    CloseHandle(f);
}

int main(int argc, char** argv) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    int exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        const char* command = argv[i];
        const char* a = i + 1 < argc ? argv[i + 1] : "";
        const char* b = i + 2 < argc ? argv[i + 2] : "";
        if (!strcmp(command, "print")) {
            if (!PrintFile(out, a, LineEnd(b))) return 4;
            i += 2;
        } else if (!strcmp(command, "line") || !strcmp(command, "err") || !strcmp(command, "text")) {
            HANDLE to = command[0] == 'e' ? err : out;
            Put(to, a, (DWORD)strlen(a));
            if (command[0] != 't') Put(to, "\r\n", 2);
            ++i;
        } else if (!strcmp(command, "lines")) {
            BuildLines(out, atol(a), atol(b));
            i += 2;
        } else if (!strcmp(command, "long")) {
            long n = atol(a), length = atol(b);
            if (length < 3) length = 3;
            char* line = (char*)malloc((size_t)length);
            for (long k = 0; k < n; ++k) {
                int head = snprintf(line, (size_t)length, "%08ld ", k + 1);
                for (long j = head < length - 2 ? head : length - 2; j < length - 2; ++j) line[j] = (char)('a' + j % 26);
                line[length - 2] = '\r';
                line[length - 1] = '\n';
                Put(out, line, (DWORD)length);
            }
            free(line);
            i += 2;
        } else if (!strcmp(command, "blocks")) {
            long n = atol(a), size = atol(b);
            char* block = (char*)malloc((size_t)size);
            long line = 0;
            for (long k = 0; k < n; ++k) {
                for (long at = 0; at < size; at += 100) {
                    char text[101];
                    snprintf(text, sizeof text, "%08ld %-89s\r\n", ++line, "block line");
                    memcpy(block + at, text, size - at < 100 ? (size_t)(size - at) : 100);
                }
                Put(out, block, (DWORD)size);
            }
            free(block);
            i += 2;
        } else if (!strcmp(command, "spawn")) {
            char self[MAX_PATH], line[2048];
            GetModuleFileNameA(nullptr, self, sizeof self);
            snprintf(line, sizeof line, "\"%s\" %s", self, a);
            STARTUPINFOA startup;
            memset(&startup, 0, sizeof startup);
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
            startup.hStdOutput = out;
            startup.hStdError = err;
            PROCESS_INFORMATION process;
            if (!CreateProcessA(nullptr, line, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) return 6;
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            ++i;
        } else if (!strcmp(command, "cwd")) {
            char dir[MAX_PATH + 2];
            DWORD n = GetCurrentDirectoryA(MAX_PATH, dir);
            memcpy(dir + n, "\r\n", 2);
            Put(out, dir, n + 2);
        } else if (!strcmp(command, "lump")) {
            long n = atol(a);
            char* x = (char*)malloc((size_t)n + 1);
            memset(x, 'x', (size_t)n);
            Put(out, x, (DWORD)n);
            free(x);
            ++i;
        } else if (!strcmp(command, "marker")) {
            LARGE_INTEGER now, frequency;
            QueryPerformanceCounter(&now);
            QueryPerformanceFrequency(&frequency);
            char text[64];
            snprintf(text, sizeof text, "%lld %lld\n", (long long)now.QuadPart, (long long)frequency.QuadPart);
            WriteSmallFile(a, text);
            ++i;
        } else if (!strcmp(command, "pid")) {
            char text[32];
            snprintf(text, sizeof text, "%lu\n", GetCurrentProcessId());
            WriteSmallFile(a, text);
            ++i;
        } else if (!strcmp(command, "args")) {
            char text[2048] = "";
            for (int k = i + 2; k < argc; ++k) {
                if (k > i + 2) strncat(text, " ", sizeof text - strlen(text) - 1);
                strncat(text, argv[k], sizeof text - strlen(text) - 1);
            }
            WriteSmallFile(a, text);
            return 0;
        } else if (!strcmp(command, "stdin")) {
            HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
            char buffer[4096];
            DWORD got = 0;
            unsigned long total = 0;
            while (ReadFile(in, buffer, sizeof buffer, &got, nullptr) && got > 0) total += got;
            char text[64];
            int n = snprintf(text, sizeof text, "stdin %lu bytes\r\n", total);
            Put(out, text, (DWORD)n);
        } else if (!strcmp(command, "sleep")) {
            long ms = atol(a);
            Sleep(ms < 0 ? INFINITE : (DWORD)ms);
            ++i;
        } else if (!strcmp(command, "exit")) {
            exitCode = atoi(a);
            ++i;
        } else {
            fprintf(stderr, "chatter: unknown command %s\n", command);
            return 5;
        }
    }
    return exitCode;
}
