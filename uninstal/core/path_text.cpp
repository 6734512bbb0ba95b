#include "uninstal/core/path_text.h"

#include <string.h>

#include "bravik/core/cp932.h"
#include "uninstal/core/script_format.h"

// AppendCut reports the new length; the text was whole when it grew by all of src.
static int AppendWhole(char* dst, size_t size, const char* src) {
    size_t before = strlen(dst);
    return cp932::AppendCut(dst, size, src) == before + strlen(src);
}

bool EndsWithBackslash(const char* text) {
    const char* last = nullptr;
    for (const char* p = text; *p; p = cp932::Next(p)) last = p;
    return last && *last == '\\';
}

int ExpandPathText(char* out, const char* text, const char* installDir, MacroDirectoryFn macroDirectory) {
    out[0] = '\0';
    if (!text) return 1;
    int whole = 1;
    if (text[0] == '%') {
        // The letter is one character: a lead byte takes its trail byte with it,
        // and a '%' at the very end has no letter to skip.
        char letter = text[1];
        text = cp932::Next(text + 1);
        switch (letter) {
        case 'i':
            if (!installDir) return 1;
            if (cp932::CopyCut(out, UNINSTAL_PATH_SIZE, installDir) != strlen(installDir)) whole = 0;
            break;
        case 'c':
        case 'p':
        case 's':
        case 'w':
            if (!macroDirectory || !macroDirectory(letter, out)) {
                out[0] = '\0';
                whole = 0;
            }
            break;
        default:
            break;
        }
    }
    if (*text) {
        if (out[0] && !EndsWithBackslash(out) && text[0] != '\\') whole &= AppendWhole(out, UNINSTAL_PATH_SIZE, "\\");
        whole &= AppendWhole(out, UNINSTAL_PATH_SIZE, text);
    }
    return whole;
}

int HelpIndexPath(char* out, const char* path) {
    const char* dot = cp932::FindLastChar(path, '.');
    if (!dot || !cp932::EqualNoCase(dot + 1, "HLP")) return 0;
    size_t stem = (size_t)(dot + 1 - path);
    if (stem + 4 > UNINSTAL_PATH_SIZE) return 0;
    memcpy(out, path, stem);
    memcpy(out + stem, "gid", 4);
    return 1;
}

int ShortcutPath(char* out, const char* folder, const char* name) {
    out[0] = '\0';
    int whole = AppendWhole(out, UNINSTAL_PATH_SIZE, folder);
    whole &= AppendWhole(out, UNINSTAL_PATH_SIZE, "\\");
    whole &= AppendWhole(out, UNINSTAL_PATH_SIZE, name);
    whole &= AppendWhole(out, UNINSTAL_PATH_SIZE, ".lnk");
    return whole;
}

int AppendMenuFolder(char* folder, const char* name) {
    if (!*name) return 1;
    int whole = AppendWhole(folder, UNINSTAL_PATH_SIZE, "\\");
    return whole & AppendWhole(folder, UNINSTAL_PATH_SIZE, name);
}

int AssociationClassKey(char* out, size_t size, const char* extension) {
    out[0] = '\0';
    if (!*extension) return 0;
    const char* rest = cp932::Next(extension);
    if (!*rest) return 0;
    return AppendWhole(out, size, rest) & AppendWhole(out, size, "_bvu_file");
}
