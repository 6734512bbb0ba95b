#include "bravik/ui/file_dialog.h"

#include <commdlg.h>
#include <string.h>

int ChooseExistingFile(HWND owner, const char* filter, const char* title, const char* defaultExt, char* file,
                       size_t size) {
    file[0] = '\0';
    OPENFILENAMEA ofn;
    memset(&ofn, 0, sizeof ofn);
    ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // the record without the Windows 2000 extras
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = (DWORD)size;
    ofn.lpstrTitle = title;
    ofn.lpstrDefExt = defaultExt;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return GetOpenFileNameA(&ofn) ? 1 : 0;
}
