#include "uninstal/script_reader.h"

#include <string.h>

#include "uninstal/core/script_format.h"

using namespace uninstal;

int ReadScriptFile(const char* path, UninstallScript* script) {
    memset(script, 0, sizeof *script);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) return 0;
    ScriptHeader header;
    DWORD got = 0;
    if (SetFilePointer(file, kScriptOffset, NULL, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file, &header, sizeof header, &got, NULL) || got != sizeof header ||
        header.dataLength >= kMaxDataLength) {
        CloseHandle(file);
        return 0;
    }
    HGLOBAL handle = GlobalAlloc(GMEM_FIXED, kHeaderSize + header.dataLength);
    char* block = handle ? (char*)GlobalLock(handle) : NULL;
    if (!block) {
        if (handle) GlobalFree(handle);
        CloseHandle(file);
        return 0;
    }
    memcpy(block, &header, sizeof header);
    // A short data read would leave the record walk without its end byte.
    got = 0;
    BOOL read = header.dataLength == 0 || ReadFile(file, block + kHeaderSize, header.dataLength, &got, NULL);
    CloseHandle(file);
    if (!read || CheckScript(block, kHeaderSize + got) != kScriptSound) {
        GlobalUnlock(handle);
        GlobalFree(handle);
        return 0;
    }
    script->handle = handle;
    script->block = block;
    script->data = block + kHeaderSize;
    return 1;
}

int ReadUninstallScript(UninstallScript* script) {
    char path[kPathSize];
    DWORD length = GetModuleFileNameA(NULL, path, sizeof path);
    if (length == 0 || length >= sizeof path) {
        memset(script, 0, sizeof *script);
        return 0;
    }
    return ReadScriptFile(path, script);
}

void FreeUninstallScript(UninstallScript* script) {
    if (script->handle) {
        GlobalUnlock(script->handle);
        GlobalFree(script->handle);
    }
    memset(script, 0, sizeof *script);
}
