#include "uninstal/core/self_removal.h"

#include <string.h>

#include "bravik/core/cp932.h"

const char RemovalBatchName[] = "\\BvDelIns.bat";

namespace {

struct BatchText {
    char* out;
    size_t size;
    size_t length;
    bool fits;
};

void PutBytes(BatchText* text, const char* bytes, size_t n) {
    if (!text->fits || n >= text->size - text->length) {
        text->fits = false;
        return;
    }
    memcpy(text->out + text->length, bytes, n);
    text->length += n;
    text->out[text->length] = '\0';
}

void Put(BatchText* text, const char* s) {
    PutBytes(text, s, strlen(s));
}

// Puts the first n bytes of path, whole characters, with '%' doubled.
void PutPath(BatchText* text, const char* path, size_t n) {
    const char* end = path + n;
    for (const char* p = path; p < end && *p;) {
        const char* next = cp932::Next(p);
        if (*p == '%') Put(text, "%");
        PutBytes(text, p, (size_t)(next - p));
        p = next;
    }
}

}  // namespace

size_t FormatRemovalBatch(char* out, size_t size, const char* exePath, const char* batchName) {
    if (size == 0) return 0;
    out[0] = '\0';
    BatchText text = {out, size, 0, true};
    size_t exeLength = strlen(exePath);
    const char* slash = cp932::FindLastChar(exePath, '\\');
    size_t dirLength = slash ? (size_t)(slash - exePath) : 0;

    // del /f also takes a read-only file. A file that stays (locked, or on a
    // read-only medium) ends the loop after 60 tries about a second apart
    // (ping is the pause every cmd has); the batch deletes itself either way.
    Put(&text, "set n=0\r\n:Repeat\r\ndel /f \"");
    PutPath(&text, exePath, exeLength);
    Put(&text, "\"\r\nif not exist \"");
    PutPath(&text, exePath, exeLength);
    Put(&text, "\" goto Gone\r\nset /a n+=1\r\nif %n% geq 60 goto Gone\r\nping -n 2 127.0.0.1 >nul\r\ngoto Repeat\r\n"
               ":Gone\r\nrmdir \"");
    PutPath(&text, exePath, dirLength);
    Put(&text, "\"\r\ndel \"");
    PutPath(&text, batchName, strlen(batchName));
    Put(&text, "\"\r\n");
    if (!text.fits) {
        out[0] = '\0';
        return 0;
    }
    return text.length;
}
