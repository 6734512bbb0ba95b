#include "bravik/core/output_text.h"

#include <string.h>

const unsigned char ESC = 0x1B;

// ESC is below every trail byte of code page 932 (0x40 and up) and is no
// UTF-8 continuation byte, so a byte-wise scan for it never lands inside a
// character of either encoding.
size_t StripEscapes(char* text, size_t length) {
    const char* first = (const char*)memchr(text, ESC, length);
    if (!first) return length;
    size_t w = (size_t)(first - text), r = w;
    while (r < length) {
        unsigned char c = (unsigned char)text[r];
        if (c != ESC) {
            text[w++] = (char)c;
            ++r;
            continue;
        }
        if (++r >= length) break;
        c = (unsigned char)text[r];
        if (c != '[') {
            // A lead byte or a control character after a lone ESC stays:
            // taking it would break the character or the text around it.
            if (c >= 0x20 && c <= 0x7E) ++r;
            continue;
        }
        ++r;
        while (r < length && (unsigned char)text[r] >= 0x20 && (unsigned char)text[r] <= 0x3F) ++r;
        if (r < length && (unsigned char)text[r] >= 0x40 && (unsigned char)text[r] <= 0x7E) ++r;
    }
    return w;
}

// Size of the UTF-8 character at p (1 to 4), 0 when it is invalid, or minus
// the bytes present when the text ends inside a character that is valid so far.
static int Utf8CharSize(const unsigned char* p, size_t left) {
    unsigned char c = p[0];
    if (c < 0x80) return 1;
    int need;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 3;
        if (c == 0xE0) low = 0xA0;   // shorter forms
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 4;
        if (c == 0xF0) low = 0x90;
        if (c == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    for (int i = 1; i < need; ++i) {
        if ((size_t)i >= left) return -i;
        unsigned char t = p[i];
        if (i == 1 ? (t < low || t > high) : (t & 0xC0) != 0x80) return 0;
    }
    return need;
}

static size_t FirstHighByte(const char* text, size_t length) {
    size_t i = 0;
    while (i < length && (unsigned char)text[i] < 0x80) ++i;
    return i;
}

bool IsUtf8Text(const char* text, size_t length) {
    size_t i = FirstHighByte(text, length);
    if (i == length) return false;
    const unsigned char* p = (const unsigned char*)text;
    while (i < length) {
        int n = Utf8CharSize(p + i, length - i);
        if (n <= 0) return false;
        i += (size_t)n;
    }
    return true;
}

size_t Utf8IncompleteTail(const char* text, size_t length) {
    const unsigned char* p = (const unsigned char*)text;
    for (size_t i = FirstHighByte(text, length); i < length;) {
        int n = Utf8CharSize(p + i, length - i);
        if (n < 0) return (size_t)-n;
        if (n == 0) return 0;
        i += (size_t)n;
    }
    return 0;
}

const size_t CHUNK_UNITS = 256;

// Each character gives at most as many bytes as it took (U+0080 and up need
// two UTF-8 bytes or more, code page 932 at most two), so the converted text
// is written behind the reading position.
size_t Utf8ToCp932(char* text, size_t length) {
    const unsigned char* p = (const unsigned char*)text;
    uint16_t chunk[CHUNK_UNITS];
    char encoded[2 * CHUNK_UNITS];
    size_t units = 0, r = 0, w = 0;
    while (r < length) {
        int n = Utf8CharSize(p + r, length - r);
        uint32_t code;
        if (n <= 0) {
            code = '?';
            n = 1;
        } else if (n == 1) {
            code = p[r];
        } else {
            code = p[r] & (0x7F >> n);
            for (int i = 1; i < n; ++i) code = (code << 6) | (p[r + i] & 0x3F);
        }
        if (code < 0x80 && units == 0) {
            text[w++] = (char)code;  // ASCII is the same in both: no need to encode it
            r += (size_t)n;
            continue;
        }
        r += (size_t)n;
        chunk[units++] = code > 0xFFFF ? (uint16_t)'?' : (uint16_t)code;
        bool runEnds = r >= length || p[r] < 0x80;
        if (units == CHUNK_UNITS || runEnds) {
            size_t got = EncodeCp932(chunk, units, encoded);
            if (got > r - w) got = r - w;
            memcpy(text + w, encoded, got);
            w += got;
            units = 0;
        }
    }
    return w;
}

// Whether the text holds an ESC or a byte of 0x80 or more; eight bytes at a time.
static bool NeedsCleaning(const char* text, size_t length) {
    const uint64_t high = 0x8080808080808080ULL, ones = 0x0101010101010101ULL;
    size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        uint64_t word;
        memcpy(&word, text + i, 8);
        uint64_t esc = word ^ (ones * ESC);  // a zero byte where an ESC was
        if ((word & high) || ((esc - ones) & ~esc & high)) return true;
    }
    for (; i < length; ++i)
        if ((unsigned char)text[i] >= 0x80 || text[i] == (char)ESC) return true;
    return false;
}

size_t CleanOutputLine(char* text, size_t length) {
    if (!NeedsCleaning(text, length)) return length;
    length = StripEscapes(text, length);
    if (IsUtf8Text(text, length)) length = Utf8ToCp932(text, length);
    return length;
}
