#include "bravik/ui/settings_dialog.h"

#include <commdlg.h>
#include <shlobj.h>
#include <stddef.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/settings.h"
#include "bravik/core/toolbar.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/environment.h"
#include "bravik/ui/file_dialog.h"
#include "bravik/ui/makefile_profile.h"
#include "bravik/ui/message_box.h"
#include "bravik/ui/resource.h"

static const char* const EditorKindNames[] = {"未サポートのエディタ", "秀丸エディタ"};
static const char* const ToolbarStyleNames[] = {
    "小さい標準ツールバー", "大きい標準ツールバー", "小さいフラットツールバー", "大きいフラットツールバー",
};

// Text controls and the record fields behind them, in the order they are
// filled and read back.
struct TextBinding {
    int id;
    size_t offset;
    size_t size;
};
static const TextBinding TextBindings[] = {
    {IDC_MAKEEXE, offsetof(SettingsRecord, makeExe), sizeof(SettingsRecord::makeExe)},
    {IDC_MAKEOPT, offsetof(SettingsRecord, makeOptions), sizeof(SettingsRecord::makeOptions)},
    {IDC_ENVIRONMENT, offsetof(SettingsRecord, environment), sizeof(SettingsRecord::environment)},
    {IDC_CURRENTDIR, offsetof(SettingsRecord, currentDir), sizeof(SettingsRecord::currentDir)},
    {IDC_EDITOREXE, offsetof(SettingsRecord, editorExe), sizeof(SettingsRecord::editorExe)},
    {IDC_EDITOROPT, offsetof(SettingsRecord, editorOptions), sizeof(SettingsRecord::editorOptions)},
};

struct FlagBinding {
    int id;
    uint8_t bit;
};
static const FlagBinding FlagBindings[] = {
    {IDC_USESYSTEMENV, FLAG_USE_SYSTEM_ENV},     {IDC_CLOSEONSUCCESS, FLAG_CLOSE_ON_SUCCESS},
    {IDC_MULTISELECT, FLAG_MULTI_SELECT},        {IDC_HIGHLIGHTERRORS, FLAG_HIGHLIGHT_ERRORS},
    {IDC_HIGHLIGHTJUMPABLE, FLAG_HIGHLIGHT_JUMPABLE},
};

static char* FieldOf(const TextBinding& b) { return (char*)&AppState.settings + b.offset; }

// Reads a control's text into a record field, cut on a character boundary.
static void ReadText(HWND dialog, int id, char* field, size_t size) {
    char text[4096];
    if (!GetDlgItemTextA(dialog, id, text, sizeof text)) text[0] = '\0';
    cp932::CopyCut(field, size, text);
}

static bool Checked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

static int Selection(HWND dialog, int id) { return (int)SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0); }

void FillSettingsChoices(HWND dialog) {
    for (const char* name : EditorKindNames) SendDlgItemMessageA(dialog, IDC_EDITORKIND, CB_ADDSTRING, 0, (LPARAM)name);
    int styles = ToolbarStyleChoiceCount(AppState.commonControlsVersion);
    for (int i = 0; i < styles; ++i)
        SendDlgItemMessageA(dialog, IDC_TOOLBARSTYLE, CB_ADDSTRING, 0, (LPARAM)ToolbarStyleNames[i]);
    for (int i = 0; i < JUMP_KEY_COUNT; ++i) {
        char label[40];
        JumpKeyLabel(i, label, sizeof label);
        SendDlgItemMessageA(dialog, IDC_JUMPKEY, CB_ADDSTRING, 0, (LPARAM)label);
    }
    for (const TextBinding& b : TextBindings)
        SendDlgItemMessageA(dialog, b.id, EM_LIMITTEXT, (WPARAM)(b.size - 1), 0);
}

void FillSettingsDialog(HWND dialog) {
    const SettingsRecord& s = AppState.settings;
    for (const TextBinding& b : TextBindings) {
        SetDlgItemTextA(dialog, b.id, FieldOf(b));
        if (b.id == IDC_ENVIRONMENT)
            CheckDlgButton(dialog, IDC_USESYSTEMENV, (s.flags & FLAG_USE_SYSTEM_ENV) ? BST_CHECKED : BST_UNCHECKED);
    }
    // A value the box does not list (a style the library cannot draw, a
    // damaged record) leaves the box without a selection.
    SendDlgItemMessageA(dialog, IDC_EDITORKIND, CB_SETCURSEL, s.editorKind, 0);
    SendDlgItemMessageA(dialog, IDC_TOOLBARSTYLE, CB_SETCURSEL, (WPARAM)s.toolbarStyle, 0);
    SendDlgItemMessageA(dialog, IDC_JUMPKEY, CB_SETCURSEL, (WPARAM)s.jumpKey, 0);
    for (const FlagBinding& f : FlagBindings) {
        if (f.id == IDC_USESYSTEMENV) continue;
        CheckDlgButton(dialog, f.id, (s.flags & f.bit) ? BST_CHECKED : BST_UNCHECKED);
    }
}

void ReadSettingsDialog(HWND dialog) {
    for (const TextBinding& b : TextBindings) ReadText(dialog, b.id, FieldOf(b), b.size);
    SettingsDialogChoices choices;
    choices.editorKind = Selection(dialog, IDC_EDITORKIND);
    choices.toolbarStyle = Selection(dialog, IDC_TOOLBARSTYLE);
    choices.jumpKey = Selection(dialog, IDC_JUMPKEY);
    choices.useSystemEnv = Checked(dialog, IDC_USESYSTEMENV);
    choices.closeOnSuccess = Checked(dialog, IDC_CLOSEONSUCCESS);
    choices.multiSelect = Checked(dialog, IDC_MULTISELECT);
    choices.highlightErrors = Checked(dialog, IDC_HIGHLIGHTERRORS);
    choices.highlightJumpable = Checked(dialog, IDC_HIGHLIGHTJUMPABLE);
    ApplySettingsDialogChoices(AppState.settings, choices);
}

int BrowseForFolder(HWND owner, char* path, size_t size, const char* title, int root) {
    path[0] = '\0';
    LPITEMIDLIST rootItem = nullptr;
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, root, &rootItem))) return 0;
    if (FAILED(SHGetMalloc(&allocator))) {
        CoTaskMemFree(rootItem);
        return 0;
    }
    char displayName[PATH_SIZE];
    BROWSEINFOA info;
    memset(&info, 0, sizeof info);
    info.hwndOwner = owner;
    info.pidlRoot = rootItem;
    info.pszDisplayName = displayName;
    info.lpszTitle = title;
    int result = 0;
    LPITEMIDLIST chosen = SHBrowseForFolderA(&info);
    if (chosen) {
        char chosenPath[PATH_SIZE];
        if (SHGetPathFromIDListA(chosen, chosenPath)) {
            cp932::CopyCut(path, size, chosenPath);
            result = 1;
        }
        allocator->Free(chosen);
    }
    allocator->Free(rootItem);
    allocator->Release();
    return result;
}

int BrowseForExecutable(HWND dialog, int editId) {
    char file[PATH_SIZE];
    // Owned by the settings dialog: a file dialog owned by the main window
    // would enable the main window again when it closes, while the settings
    // dialog is still open.
    if (!ChooseExistingFile(dialog, "実行ﾌｧｲﾙ形式(*.exe,*.dll)\0*.exe;*.dll\0", "実行ファイルの指定", "exe", file,
                            sizeof file))
        return 0;
    SetDlgItemTextA(dialog, editId, file);
    return 1;
}

void ShowEnvironmentPreview(HWND dialog) {
    SettingsRecord& s = AppState.settings;
    uint32_t savedWord = GetKindFlagsWord(s);
    char savedEnvironment[sizeof s.environment];
    memcpy(savedEnvironment, s.environment, sizeof savedEnvironment);

    ReadText(dialog, IDC_ENVIRONMENT, s.environment, sizeof s.environment);
    if (Checked(dialog, IDC_USESYSTEMENV))
        s.flags |= FLAG_USE_SYSTEM_ENV;
    else
        s.flags &= (uint8_t)~FLAG_USE_SYSTEM_ENV;
    char* text = BuildEnvironment(dialog, '\n');
    if (text) {
        ShowCenteredMessage(dialog, text, "ｼｽﾃﾑ環境変数の表示", MB_OK);
        free(text);
    }

    SetKindFlagsWord(s, savedWord);
    memcpy(s.environment, savedEnvironment, sizeof savedEnvironment);
}

static INT_PTR OnSettingsCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        ReadSettingsDialog(dialog);
        AppState.settingsChanged = 1;
        EndDialog(dialog, 0);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 1); return TRUE;
    case IDC_MAKEEXE_BROWSE:
    case IDC_EDITOREXE_BROWSE: BrowseForExecutable(dialog, id - 2); return TRUE;
    case IDC_CURRENTDIR_BROWSE: {
        char path[PATH_SIZE];
        if (BrowseForFolder(dialog, path, sizeof path, "パスを選んでください。", CSIDL_DRIVES)) SetDlgItemTextA(dialog, IDC_CURRENTDIR, path);
        return TRUE;
    }
    case IDC_SHOWENV: ShowEnvironmentPreview(dialog); return TRUE;
    case IDC_MULTISELECT:
        // Running several variants in one go relies on each run dialog closing itself.
        if (code == BN_CLICKED && Checked(dialog, IDC_MULTISELECT)) CheckDlgButton(dialog, IDC_CLOSEONSUCCESS, BST_CHECKED);
        return FALSE;
    }
    return FALSE;
}

INT_PTR CALLBACK SettingsDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_INITDIALOG:
        FillSettingsChoices(dialog);
        FillSettingsDialog(dialog);
        return TRUE;
    case WM_COMMAND: return OnSettingsCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    }
    return FALSE;
}
