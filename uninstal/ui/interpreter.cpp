#include "uninstal/ui/interpreter.h"

#include <shlobj.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "uninstal/core/deferred_list.h"
#include "uninstal/core/menu_location.h"
#include "uninstal/core/path_text.h"
#include "uninstal/core/script_format.h"
#include "uninstal/ui/resource.h"

namespace {

const char BrowseTitle[] = "削除するメニューの場所を選んでください。";
const char UninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct GateBox {
    int id;
    unsigned gate;
};
const GateBox GateBoxes[] = {
    {IDC_ASSOCIATIONS, GATE_ASSOCIATIONS},
    {IDC_SHORTCUTS, GATE_SHORTCUTS},
    {IDC_ADDREMOVE, GATE_ADD_REMOVE},
};

struct RunState {
    char installDir[UNINSTAL_PATH_SIZE];
    unsigned gateMask;
    char currentMenuFolder[UNINSTAL_PATH_SIZE];
    // Cleared when a menu folder path had to be cut: records that go on from
    // it name a folder that is not the one the installer made.
    bool menuFolderWhole;
    char expanded[UNINSTAL_PATH_SIZE];
    DeferredList deferred;
};

unsigned ReadGateMask(HWND dialog) {
    unsigned mask = 0;
    for (const GateBox& box : GateBoxes)
        if (IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) mask |= box.gate;
    return mask;
}

int MacroDirectory(char letter, char* dir) {
    DWORD length = 0;
    switch (letter) {
    case 'c': length = GetCurrentDirectoryA(UNINSTAL_PATH_SIZE, dir); break;
    case 's': length = GetSystemDirectoryA(dir, UNINSTAL_PATH_SIZE); break;
    case 'w': length = GetWindowsDirectoryA(dir, UNINSTAL_PATH_SIZE); break;
    case 'p':
        ReadWindowsSetting(dir, HKEY_LOCAL_MACHINE, nullptr, "ProgramFilesDir");
        return 1;
    default: return 0;
    }
    return length > 0 && length < UNINSTAL_PATH_SIZE;
}

void RemoveDeferredEntry(int folder, const char* path) {
    if (folder)
        RemoveDirectoryA(path);
    else
        DeleteFileA(path);
}

void RemoveInstalledFile(RunState* state, const char* strings) {
    if (!ExpandPath(state->expanded, strings, state->installDir)) return;
    DeleteFileA(state->expanded);
    char helpIndex[UNINSTAL_PATH_SIZE];
    if (HelpIndexPath(helpIndex, state->expanded)) DeleteFileA(helpIndex);
}

void RemoveInstalledDirectory(RunState* state, const char* strings) {
    if (ExpandPath(state->expanded, strings, state->installDir)) RemoveDirectoryA(state->expanded);
}

void RemoveUninstallEntry(const char* productKey) {
    // An empty name would make the key path the Uninstall key itself.
    char keyPath[UNINSTAL_PATH_SIZE];
    if (!*productKey) return;
    cp932::CopyCut(keyPath, sizeof keyPath, UninstallKey);
    if (cp932::AppendCut(keyPath, sizeof keyPath, productKey) != strlen(UninstallKey) + strlen(productKey)) return;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
}

int EnterMenuLocation(HWND dialog, RunState* state, unsigned char locationFlags) {
    if (!ResolveMenuFolder(dialog, locationFlags, state->currentMenuFolder)) return 0;
    if (DecodeMenuLocation(locationFlags) != LOCATION_CURRENT) state->menuFolderWhole = true;
    return 1;
}

int RemoveMenuFolderRecord(HWND dialog, RunState* state, const char* record, const char* strings) {
    if (!EnterMenuLocation(dialog, state, (unsigned char)record[1])) return 0;
    if (!AppendMenuFolder(state->currentMenuFolder, strings)) state->menuFolderWhole = false;
    if (!state->menuFolderWhole || !state->currentMenuFolder[0]) return 1;
    return AddDeferred(&state->deferred, 1, state->currentMenuFolder);
}

int RemoveShortcutRecord(HWND dialog, RunState* state, const char* record, const char* strings) {
    if (!EnterMenuLocation(dialog, state, (unsigned char)record[1])) return 0;
    // Only whether the target is empty matters, so a cut target still counts.
    ExpandPath(state->expanded, NthString(strings, 1), state->installDir);
    if (!state->expanded[0]) return 1;
    // Without a folder part the path would name a file relative to the
    // current directory, not the shortcut the installer made.
    if (!state->menuFolderWhole || !state->currentMenuFolder[0]) return 1;
    if (!ShortcutPath(state->expanded, state->currentMenuFolder, NthString(strings, 0))) return 1;
    return AddDeferred(&state->deferred, 0, state->expanded);
}

int CarryOutRecord(HWND dialog, RunState* state, const char* productKey, const char* record, const char* strings) {
    switch ((unsigned char)record[0]) {
    case RECORD_FILE: RemoveInstalledFile(state, strings); return 1;
    case RECORD_DIRECTORY: RemoveInstalledDirectory(state, strings); return 1;
    case RECORD_ADD_REMOVE: RemoveUninstallEntry(productKey); return 1;
    case RECORD_SHORTCUT: return RemoveShortcutRecord(dialog, state, record, strings);
    case RECORD_MENU_FOLDER: return RemoveMenuFolderRecord(dialog, state, record, strings);
    case RECORD_ASSOCIATION: RemoveAssociation(strings, state->installDir); return 1;
    default: return 0;
    }
}

}  // namespace

int RunUninstallScript(HWND dialog, const char* script) {
    if (!script) return 0;
    const ScriptHeader* header = (const ScriptHeader*)script;
    if (CheckScript(script, SCRIPT_HEADER_SIZE + header->dataLength) != SCRIPT_SOUND) return 0;
    RunState state;
    memset(&state, 0, sizeof state);
    cp932::CopyCut(state.installDir, sizeof state.installDir, header->installDir);
    if (!state.installDir[0]) return 0;
    state.gateMask = ReadGateMask(dialog);
    state.menuFolderWhole = true;

    const char* data = script + SCRIPT_HEADER_SIZE;
    const char* productKey = NthString(data, 0);
    for (const char* record = NthString(data, SCRIPT_HEADER_STRINGS); *record != RECORD_END;) {
        const RecordLayout* layout = FindRecordLayout((unsigned char)*record);
        if (!layout) {
            ReleaseDeferred(&state.deferred);
            return 0;
        }
        const char* strings = RecordStrings(record, layout);
        if ((layout->gate == 0 || (state.gateMask & layout->gate)) &&
            !CarryOutRecord(dialog, &state, productKey, record, strings)) {
            ReleaseDeferred(&state.deferred);
            return 0;
        }
        record = NthString(strings, layout->stringCount);
    }
    RunDeferred(&state.deferred, RemoveDeferredEntry);
    return 1;
}

int ExpandPath(char* out, const char* text, const char* installDir) {
    return ExpandPathText(out, text, installDir, MacroDirectory);
}

void ReadWindowsSetting(char* out, HKEY root, const char* subKey, const char* valueName) {
    out[0] = '\0';
    char keyPath[100];
    size_t length = cp932::CopyCut(keyPath, sizeof keyPath, "Software\\Microsoft\\Windows\\CurrentVersion");
    if (subKey) {
        length = cp932::AppendCut(keyPath, sizeof keyPath, "\\");
        if (cp932::AppendCut(keyPath, sizeof keyPath, subKey) != length + strlen(subKey)) return;
    }
    HKEY key;
    if (RegOpenKeyA(root, keyPath, &key) != ERROR_SUCCESS) return;
    DWORD size = UNINSTAL_PATH_SIZE;
    LONG result = RegQueryValueExA(key, valueName, nullptr, nullptr, (BYTE*)out, &size);
    RegCloseKey(key);
    // The registry need not store the terminating NUL; a value that fills all
    // 260 bytes without one is too long to use.
    if (result != ERROR_SUCCESS || size == 0 || (size >= UNINSTAL_PATH_SIZE && out[UNINSTAL_PATH_SIZE - 1] != '\0')) {
        out[0] = '\0';
        return;
    }
    if (out[size - 1] != '\0') out[size] = '\0';
}

int ResolveMenuFolder(HWND owner, unsigned char locationFlags, char* folder) {
    switch (DecodeMenuLocation(locationFlags)) {
    case LOCATION_STARTUP: return GetSpecialFolder(owner, folder, nullptr, CSIDL_STARTUP);
    case LOCATION_DESKTOP: return GetSpecialFolder(owner, folder, nullptr, CSIDL_DESKTOP);
    case LOCATION_SEND_TO: return GetSpecialFolder(owner, folder, nullptr, CSIDL_SENDTO);
    case LOCATION_CURRENT: return 1;
    case LOCATION_BROWSE_PROGRAMS: return GetSpecialFolder(owner, folder, BrowseTitle, CSIDL_PROGRAMS);
    case LOCATION_BROWSE_START_MENU: return GetSpecialFolder(owner, folder, BrowseTitle, CSIDL_STARTMENU);
    case LOCATION_PROGRAMS_SETTING:
        ReadWindowsSetting(folder, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
        return 1;
    case LOCATION_START_MENU_SETTING:
        ReadWindowsSetting(folder, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
        return 1;
    }
    return 0;
}

int GetSpecialFolder(HWND owner, char* out, const char* browseTitle, int folderId) {
    out[0] = '\0';
    LPITEMIDLIST root = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, folderId, &root))) return 0;
    IMalloc* shellMalloc = nullptr;
    if (FAILED(SHGetMalloc(&shellMalloc))) {
        CoTaskMemFree(root);
        return 0;
    }
    char path[MAX_PATH];
    int result;
    if (browseTitle) {
        char displayName[UNINSTAL_PATH_SIZE];
        BROWSEINFOA browse;
        memset(&browse, 0, sizeof browse);
        browse.hwndOwner = owner;
        browse.pidlRoot = root;
        browse.pszDisplayName = displayName;
        browse.lpszTitle = browseTitle;
        LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
        result = 0;
        if (chosen) {
            if (SHGetPathFromIDListA(chosen, path)) {
                cp932::CopyCut(out, UNINSTAL_PATH_SIZE, path);
                result = 1;
            }
            shellMalloc->Free(chosen);
        }
    } else {
        if (SHGetPathFromIDListA(root, path)) cp932::CopyCut(out, UNINSTAL_PATH_SIZE, path);
        result = 1;
    }
    shellMalloc->Free(root);
    shellMalloc->Release();
    return result;
}

void RemoveAssociation(const char* strings, const char* installDir) {
    (void)installDir;
    const char* extension = NthString(strings, 0);
    const char* verb = NthString(strings, 4);
    char classKey[UNINSTAL_PATH_SIZE];
    if (!AssociationClassKey(classKey, sizeof classKey, extension)) return;

    HKEY key;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, extension, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, classKey);
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_CLASSES_ROOT, extension);
    }
    HKEY classHandle;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, classKey, &classHandle) != ERROR_SUCCESS) return;
    RegDeleteKeyA(classHandle, "DefaultIcon");
    HKEY shell;
    // An empty verb would open "Shell" itself and delete it with its verbs' keys.
    if (*verb && RegOpenKeyA(classHandle, "Shell", &shell) == ERROR_SUCCESS) {
        HKEY verbKey;
        if (RegOpenKeyA(shell, verb, &verbKey) == ERROR_SUCCESS) {
            RegDeleteKeyA(verbKey, "command");
            RegCloseKey(verbKey);
        }
        RegDeleteKeyA(shell, verb);
        RegCloseKey(shell);
    }
    RegDeleteKeyA(classHandle, "Shell");
    RegCloseKey(classHandle);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, classKey);
}
