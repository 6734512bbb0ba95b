#include "uninstal/self_removal.h"

#include <windows.h>

#include "uninstal/core/removal_batch.h"
#include "uninstal/core/script_format.h"

using namespace uninstal;

void RemoveSelf() {
    char exePath[kPathSize];
    DWORD length = GetModuleFileNameA(NULL, exePath, sizeof exePath);
    if (length == 0 || length >= sizeof exePath) return;
    char text[kRemovalBatchSize];
    size_t textLength = FormatRemovalBatch(text, sizeof text, exePath, kRemovalBatchName);
    if (textLength == 0) return;

    HANDLE file = CreateFileA(kRemovalBatchName, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL whole = WriteFile(file, text, (DWORD)textLength, &written, NULL) && written == textLength;
    CloseHandle(file);
    // A batch cut inside a path could delete some other file.
    if (!whole) {
        DeleteFileA(kRemovalBatchName);
        return;
    }

    char commandLine[32];
    lstrcpyA(commandLine, kRemovalBatchName);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, NULL, "\\",
                        &startup, &process))
        return;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}
