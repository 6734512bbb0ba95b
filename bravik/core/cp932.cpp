#include "bravik/core/cp932.h"

#include <string.h>

namespace cp932 {

const char* Prev(const char* text, const char* p) {
    const char* prev = text;
    for (const char* q = text; q < p && *q; q = Next(q)) prev = q;
    return prev;
}

bool IsCharStart(const char* text, const char* p) {
    const char* q = text;
    while (q < p && *q) q = Next(q);
    return q == p;
}

const char* FindChar(const char* text, char c) {
    for (const char* p = text; *p; p = Next(p))
        if (*p == c) return p;
    return nullptr;
}

const char* FindLastChar(const char* text, char c) {
    const char* last = nullptr;
    for (const char* p = text; *p; p = Next(p))
        if (*p == c) last = p;
    return last;
}

const char* FindText(const char* text, const char* needle) {
    size_t n = strlen(needle);
    for (const char* p = text;; p = Next(p)) {
        if (strncmp(p, needle, n) == 0) return p;
        if (!*p) return nullptr;
    }
}

static char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? (char)(c - 'a' + 'A') : c;
}

bool EqualNoCaseN(const char* a, const char* b, size_t n) {
    size_t i = 0;
    while (i < n) {
        unsigned char ca = (unsigned char)a[i], cb = (unsigned char)b[i];
        if (IsLeadByte(ca)) {
            if (ca != cb) return false;
            if (i + 1 >= n) return true;
            if (a[i + 1] != b[i + 1]) return false;
            if (a[i + 1] == '\0') return true;
            i += 2;
            continue;
        }
        if (Upper((char)ca) != Upper((char)cb)) return false;
        if (ca == '\0') return true;
        ++i;
    }
    return true;
}

bool EqualNoCase(const char* a, const char* b) {
    size_t la = strlen(a);
    return la == strlen(b) && EqualNoCaseN(a, b, la);
}

void UpperAscii(char* text) {
    for (char* p = text; *p; p = (char*)Next(p))
        *p = Upper(*p);
}

size_t CopyCutN(char* dst, size_t size, const char* src, size_t n) {
    if (size == 0) return 0;
    size_t len = 0;
    // Walk whole characters so the cut never leaves a lone lead byte.
    while (len < n && src[len]) {
        size_t step = 1;
        if (IsLeadByte((unsigned char)src[len])) {
            // The byte after the n-th may lie outside the caller's text: a lead
            // byte in the last allowed place is dropped without looking past it.
            if (len + 1 >= n) break;
            if (src[len + 1]) step = 2;
        }
        if (len + step > size - 1) break;
        len += step;
    }
    memmove(dst, src, len);
    dst[len] = '\0';
    return len;
}

size_t CopyCut(char* dst, size_t size, const char* src) {
    return CopyCutN(dst, size, src, (size_t)-1);
}

size_t AppendCut(char* dst, size_t size, const char* src) {
    size_t used = strnlen(dst, size);
    if (used >= size) return used;
    return used + CopyCut(dst + used, size - used, src);
}

}  // namespace cp932
