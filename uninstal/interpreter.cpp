#include "uninstal/interpreter.h"

#include <shlobj.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "uninstal/core/deferred_list.h"
#include "uninstal/core/menu_location.h"
#include "uninstal/core/path_text.h"
#include "uninstal/core/script_format.h"
#include "uninstal/resource.h"

using namespace uninstal;

namespace {

const char kBrowseTitle[] = "削除するメニューの場所を選んでください。";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct GateBox {
    int id;
    unsigned gate;
};
const GateBox kGateBoxes[] = {
    {ID_ASSOCIATIONS, kGateAssociations},
    {ID_SHORTCUTS, kGateShortcuts},
    {ID_ADDREMOVE, kGateAddRemove},
};

struct RunState {
    char installDir[kPathSize];
    unsigned gateMask;
    char currentMenuFolder[kPathSize];
    // Cleared when a menu folder path had to be cut: records that go on from
    // it name a folder that is not the one the installer made.
    bool menuFolderWhole;
    char expanded[kPathSize];
    DeferredList deferred;
};

unsigned ReadGateMask(HWND dialog) {
    unsigned mask = 0;
    for (const GateBox& box : kGateBoxes)
        if (IsDlgButtonChecked(dialog, box.id) == BST_CHECKED) mask |= box.gate;
    return mask;
}

int MacroDirectory(char letter, char* dir) {
    DWORD length = 0;
    switch (letter) {
    case 'c': length = GetCurrentDirectoryA(kPathSize, dir); break;
    case 's': length = GetSystemDirectoryA(dir, kPathSize); break;
    case 'w': length = GetWindowsDirectoryA(dir, kPathSize); break;
    case 'p':
        ReadWindowsSetting(dir, HKEY_LOCAL_MACHINE, NULL, "ProgramFilesDir");
        return 1;
    default: return 0;
    }
    return length > 0 && length < kPathSize;
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
    char helpIndex[kPathSize];
    if (HelpIndexPath(helpIndex, state->expanded)) DeleteFileA(helpIndex);
}

void RemoveInstalledDirectory(RunState* state, const char* strings) {
    if (ExpandPath(state->expanded, strings, state->installDir)) RemoveDirectoryA(state->expanded);
}

void RemoveUninstallEntry(const char* productKey) {
    // An empty name would make the key path the Uninstall key itself.
    char keyPath[kPathSize];
    if (!*productKey) return;
    cp932::CopyCut(keyPath, sizeof keyPath, kUninstallKey);
    if (cp932::AppendCut(keyPath, sizeof keyPath, productKey) != strlen(kUninstallKey) + strlen(productKey)) return;
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
}

int EnterMenuLocation(HWND dialog, RunState* state, unsigned char locationFlags) {
    if (!ResolveMenuFolder(dialog, locationFlags, state->currentMenuFolder)) return 0;
    if (DecodeMenuLocation(locationFlags) != kLocationCurrent) state->menuFolderWhole = true;
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
    case kRecordFile: RemoveInstalledFile(state, strings); return 1;
    case kRecordDirectory: RemoveInstalledDirectory(state, strings); return 1;
    case kRecordAddRemove: RemoveUninstallEntry(productKey); return 1;
    case kRecordShortcut: return RemoveShortcutRecord(dialog, state, record, strings);
    case kRecordMenuFolder: return RemoveMenuFolderRecord(dialog, state, record, strings);
    case kRecordAssociation: RemoveAssociation(strings, state->installDir); return 1;
    default: return 0;
    }
}

}  // namespace

int RunUninstallScript(HWND dialog, const char* script) {
    if (!script) return 0;
    const ScriptHeader* header = (const ScriptHeader*)script;
    if (CheckScript(script, kHeaderSize + header->dataLength) != kScriptSound) return 0;
    RunState state;
    memset(&state, 0, sizeof state);
    cp932::CopyCut(state.installDir, sizeof state.installDir, header->installDir);
    if (!state.installDir[0]) return 0;
    state.gateMask = ReadGateMask(dialog);
    state.menuFolderWhole = true;

    const char* data = script + kHeaderSize;
    const char* productKey = NthString(data, 0);
    for (const char* record = NthString(data, kHeaderStrings); *record != kRecordEnd;) {
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
    DWORD size = kPathSize;
    LONG result = RegQueryValueExA(key, valueName, NULL, NULL, (BYTE*)out, &size);
    RegCloseKey(key);
    // The registry need not store the terminating NUL; a value that fills all
    // 260 bytes without one is too long to use.
    if (result != ERROR_SUCCESS || size == 0 || (size >= kPathSize && out[kPathSize - 1] != '\0')) {
        out[0] = '\0';
        return;
    }
    if (out[size - 1] != '\0') out[size] = '\0';
}

int ResolveMenuFolder(HWND owner, unsigned char locationFlags, char* folder) {
    switch (DecodeMenuLocation(locationFlags)) {
    case kLocationStartup: return GetSpecialFolder(owner, folder, NULL, CSIDL_STARTUP);
    case kLocationDesktop: return GetSpecialFolder(owner, folder, NULL, CSIDL_DESKTOP);
    case kLocationSendTo: return GetSpecialFolder(owner, folder, NULL, CSIDL_SENDTO);
    case kLocationCurrent: return 1;
    case kLocationBrowsePrograms: return GetSpecialFolder(owner, folder, kBrowseTitle, CSIDL_PROGRAMS);
    case kLocationBrowseStartMenu: return GetSpecialFolder(owner, folder, kBrowseTitle, CSIDL_STARTMENU);
    case kLocationProgramsSetting:
        ReadWindowsSetting(folder, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Programs");
        return 1;
    case kLocationStartMenuSetting:
        ReadWindowsSetting(folder, HKEY_CURRENT_USER, "Explorer\\Shell Folders", "Start Menu");
        return 1;
    }
    return 0;
}

int GetSpecialFolder(HWND owner, char* out, const char* browseTitle, int folderId) {
    out[0] = '\0';
    LPITEMIDLIST root = NULL;
    if (FAILED(SHGetSpecialFolderLocation(owner, folderId, &root))) return 0;
    IMalloc* shellMalloc = NULL;
    if (FAILED(SHGetMalloc(&shellMalloc))) {
        CoTaskMemFree(root);
        return 0;
    }
    char path[MAX_PATH];
    int result;
    if (browseTitle) {
        char displayName[kPathSize];
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
                cp932::CopyCut(out, kPathSize, path);
                result = 1;
            }
            shellMalloc->Free(chosen);
        }
    } else {
        if (SHGetPathFromIDListA(root, path)) cp932::CopyCut(out, kPathSize, path);
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
    char classKey[kPathSize];
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
