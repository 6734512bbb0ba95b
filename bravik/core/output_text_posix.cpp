// The code page 932 encoder of the native builds (tests, fuzzers).
#include <errno.h>
#include <iconv.h>

#include "bravik/core/output_text.h"

size_t EncodeCp932(const uint16_t* wide, size_t count, char* out) {
    static iconv_t converter = iconv_open("CP932", "UTF-16LE");
    char in[2 * 256];
    size_t w = 0;
    while (count > 0) {
        size_t units = count < sizeof in / 2 ? count : sizeof in / 2;
        for (size_t i = 0; i < units; ++i) {
            in[2 * i] = (char)(wide[i] & 0xFF);
            in[2 * i + 1] = (char)(wide[i] >> 8);
        }
        char* from = in;
        size_t left = 2 * units;
        while (left > 0) {
            char* to = out + w;
            size_t room = 2 * (left / 2);
            if (converter == (iconv_t)-1) {
                errno = EILSEQ;
            } else if (iconv(converter, &from, &left, &to, &room) != (size_t)-1) {
                w = (size_t)(to - out);
                break;
            }
            w = (size_t)(to - out);
            if (left == 0) break;
            // The character has no code page 932 form.
            out[w++] = '?';
            from += 2;
            left -= 2;
        }
        wide += units;
        count -= units;
    }
    return w;
}
