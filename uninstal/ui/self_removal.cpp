#include "uninstal/ui/self_removal.h"

#include <windows.h>

#include "uninstal/core/self_removal.h"
#include "uninstal/core/script_format.h"

void RemoveSelf() {
    char exePath[UNINSTAL_PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, exePath, sizeof exePath);
    if (length == 0 || length >= sizeof exePath) return;
    char text[REMOVAL_BATCH_SIZE];
    size_t textLength = FormatRemovalBatch(text, sizeof text, exePath, RemovalBatchName);
    if (textLength == 0) return;

    HANDLE file = CreateFileA(RemovalBatchName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    BOOL whole = WriteFile(file, text, (DWORD)textLength, &written, nullptr) && written == textLength;
    CloseHandle(file);
    // A batch cut inside a path could delete some other file.
    if (!whole) {
        DeleteFileA(RemovalBatchName);
        return;
    }

    char commandLine[32];
    lstrcpyA(commandLine, RemovalBatchName);
    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, CREATE_SUSPENDED | IDLE_PRIORITY_CLASS, nullptr,
                        "\\", &startup, &process))
        return;
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    CloseHandle(process.hProcess);
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
}
