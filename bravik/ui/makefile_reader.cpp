#include "bravik/ui/makefile_reader.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/makefile_profile.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/main_window.h"
#include "bravik/ui/message_box.h"

static const char* const FileErrorMessages[] = {
    "正常に終了しました。",
    "ファイルが見つからないか、既に使用されています。",
    "この形式のファイルではありません。",
    "このファイルは壊れています。",
    "メモリが足りません。",
    "ファイルの作成に失敗しました。",
    "このファイル形式はサポートされていません。",
};

namespace {

// Labels go into the list box, macros into AppState.variantMacros at the same index.
class ListBoxVariantSink : public VariantSink {
public:
    bool AddVariant(int index, const char* label, const char* macros) override {
        SendMessageA(AppState.variantListBox, LB_INSERTSTRING, (WPARAM)index, (LPARAM)label);
        size_t size = strlen(macros) + 1;
        char* copy = (char*)malloc(size);
        if (!copy) return false;
        memcpy(copy, macros, size);
        AppState.variantMacros[index] = copy;
        return true;
    }
};

void FreeVariantMacros() {
    for (char*& macros : AppState.variantMacros) {
        free(macros);
        macros = nullptr;
    }
}

}  // namespace

int ShowFileError(int code, const char* name) {
    if (code < 0 || code > 6) code = 0;
    const char* message = FileErrorMessages[code];
    char text[512];
    char title[513];
    if (!name)
        snprintf(text, sizeof text, "%s", message);
    else if (name[0] == '\0' || name[1] != ':')
        snprintf(text, sizeof text, "%s %s", name, message);
    else if (GetFileTitleA(name, title, sizeof title) != 0)
        snprintf(text, sizeof text, "%s", message);
    else
        snprintf(text, sizeof text, "%s %s", title, message);
    return ShowCenteredMessage(AppState.mainWindow, text, AppState.resourceName, MB_ICONHAND);
}

void UpdateTitle() {
    char title[300];
    if (AppState.makefilePath[0] == '\0') {
        snprintf(title, sizeof title, "No File - Bravik");
    } else {
        char fileTitle[260];
        if (GetFileTitleA(AppState.makefilePath, fileTitle, sizeof fileTitle) != 0)
            cp932::CopyCut(fileTitle, sizeof fileTitle, AppState.makefilePath);
        snprintf(title, sizeof title, "%s - Bravik", fileTitle);
    }
    SetWindowTextA(AppState.mainWindow, title);
}

void SyncListMode() {
    HWND old = AppState.variantListBox;
    bool multi = (AppState.settings.flags & FLAG_MULTI_SELECT) != 0;
    LONG style = GetWindowLongA(old, GWL_STYLE);
    if (((style & LBS_MULTIPLESEL) != 0) == multi) return;

    CreateVariantListBox(AppState.mainWindow, FALSE);
    int count = (int)SendMessageA(old, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char label[512] = "";
        if (SendMessageA(old, LB_GETTEXTLEN, i, 0) < (LRESULT)sizeof label)
            SendMessageA(old, LB_GETTEXT, i, (LPARAM)label);
        SendMessageA(AppState.variantListBox, LB_INSERTSTRING, i, (LPARAM)label);
    }
    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
    DestroyWindow(old);
}

int ReadMakefile(const char* name) {
    char path[260];
    PrepareMakefileName(name, path, sizeof path);
    FILE* f = fopen(path, "rt");
    if (!f) {
        ShowFileError(1, name);
        return 0;
    }

    SendMessageA(AppState.variantListBox, LB_RESETCONTENT, 0, 0);
    FreeVariantMacros();
    ListBoxVariantSink sink;
    int result = ReadMakefileProfile(f, AppState.settings, sink);
    fclose(f);
    if (!result) ShowFileError(4, name);

    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
    cp932::CopyCut(AppState.makefilePath, sizeof AppState.makefilePath, path);
    UpdateTitle();
    if (result) SyncListMode();
    return result;
}

int MakefileDirectory(char* out, const char* subPath) {
    return DirectoryOfMakefile(AppState.makefilePath, subPath, out, 260);
}
