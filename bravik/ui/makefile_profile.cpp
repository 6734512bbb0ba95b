#include "bravik/ui/makefile_profile.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/makefile_profile.h"
#include "bravik/ui/app_state.h"
#include "bravik/ui/message_box.h"

static const char* const FileErrorMessages[FILE_ERROR_COUNT] = {
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

int ShowFileError(FileError error, const char* name) {
    if (error < 0 || error >= FILE_ERROR_COUNT) error = FILE_ERROR_NONE;
    const char* message = FileErrorMessages[error];
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

int ReadMakefile(const char* name) {
    char path[PATH_SIZE];
    PrepareMakefileName(name, path, sizeof path);
    FILE* f = fopen(path, "rt");
    if (!f) {
        ShowFileError(FILE_NOT_FOUND, name);
        return 0;
    }

    SendMessageA(AppState.variantListBox, LB_RESETCONTENT, 0, 0);
    FreeVariantMacros();
    ListBoxVariantSink sink;
    int result = ReadMakefileProfile(f, AppState.settings, sink);
    fclose(f);
    if (!result) ShowFileError(FILE_OUT_OF_MEMORY, name);

    SendMessageA(AppState.variantListBox, LB_SETCURSEL, 0, 0);
    cp932::CopyCut(AppState.makefilePath, sizeof AppState.makefilePath, path);
    return result;
}

int MakefileDirectory(char* out, size_t size, const char* subPath) {
    return DirectoryOfMakefile(AppState.makefilePath, subPath, out, size);
}
