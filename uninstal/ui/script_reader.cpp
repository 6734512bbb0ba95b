#include "uninstal/ui/script_reader.h"

#include <string.h>

#include "uninstal/core/script_format.h"

int ReadScriptFile(const char* path, UninstallScript* script) {
    memset(script, 0, sizeof *script);
    HANDLE file =
        CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    ScriptHeader header;
    DWORD got = 0;
    if (SetFilePointer(file, SCRIPT_OFFSET, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ||
        !ReadFile(file, &header, sizeof header, &got, nullptr) || got != sizeof header ||
        header.dataLength >= SCRIPT_MAX_DATA_LENGTH) {
        CloseHandle(file);
        return 0;
    }
    HGLOBAL handle = GlobalAlloc(GMEM_FIXED, SCRIPT_HEADER_SIZE + header.dataLength);
    char* block = handle ? (char*)GlobalLock(handle) : nullptr;
    if (!block) {
        if (handle) GlobalFree(handle);
        CloseHandle(file);
        return 0;
    }
    memcpy(block, &header, sizeof header);
    // A short data read would leave the record walk without its end byte.
    got = 0;
    BOOL read = header.dataLength == 0 || ReadFile(file, block + SCRIPT_HEADER_SIZE, header.dataLength, &got, nullptr);
    CloseHandle(file);
    if (!read || CheckScript(block, SCRIPT_HEADER_SIZE + got) != SCRIPT_SOUND) {
        GlobalUnlock(handle);
        GlobalFree(handle);
        return 0;
    }
    script->handle = handle;
    script->block = block;
    script->data = block + SCRIPT_HEADER_SIZE;
    return 1;
}

int ReadUninstallScript(UninstallScript* script) {
    char path[UNINSTAL_PATH_SIZE];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
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
