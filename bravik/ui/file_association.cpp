#include "bravik/ui/file_association.h"

#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "bravik/core/cp932.h"

static const DWORD VALUE_SIZE = 256;
static const DWORD EXPANDED_SIZE = 1024;  // the command with its references expanded

// Reads the default value of HKEY_CLASSES_ROOT\path into out (VALUE_SIZE + 1
// bytes), whatever its type; the registry need not have stored a NUL.
static bool ReadDefaultValue(const char* path, char* out, DWORD* size) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD n = VALUE_SIZE;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, nullptr, (BYTE*)out, &n);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return false;
    out[n < VALUE_SIZE ? n : VALUE_SIZE] = '\0';
    *size = n;
    return true;
}

int GetAssociatedCommand(const char* extension, const char* filePath, char* out, int outSize) {
    if (!out || outSize <= 0) return 0;
    out[0] = '\0';
    if (!extension || !filePath) return 0;

    char className[VALUE_SIZE + 1], keyPath[VALUE_SIZE];
    DWORD size;
    if (!ReadDefaultValue(extension, className, &size)) return 0;
    // A class name of more than 235 bytes leaves no room for the verb's path.
    int n = snprintf(keyPath, sizeof keyPath, "%s\\shell\\open\\command", className);
    if (n < 0 || n >= (int)sizeof keyPath) return 0;
    char stored[VALUE_SIZE + 1];
    if (!ReadDefaultValue(keyPath, stored, &size)) return 0;
    // Windows keeps the usual commands as REG_EXPAND_SZ
    // ("%SystemRoot%\system32\NOTEPAD.EXE %1"), and a plain string may hold
    // references too; "%1" names no variable and stays for the file.
    char command[EXPANDED_SIZE];
    DWORD expanded = ExpandEnvironmentStringsA(stored, command, sizeof command);
    if (expanded == 0 || expanded > sizeof command) return 0;

    size_t commandLen = strlen(command), pathLen = strlen(filePath);
    const char* mark = cp932::FindText(command, "%1");
    if (mark) {
        if (pathLen + commandLen - 1 >= (size_t)outSize) return 0;
        size_t head = (size_t)(mark - command);
        memcpy(out, command, head);
        memcpy(out + head, filePath, pathLen);
        strcpy(out + head + pathLen, mark + 2);
    } else {
        if (commandLen >= (size_t)outSize) return 0;
        memcpy(out, command, commandLen + 1);
    }
    return (int)size;
}
