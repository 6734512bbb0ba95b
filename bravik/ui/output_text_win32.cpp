// The code page 932 encoder of the programs: the system's own table, without
// best-fit substitutes, so a character without a form becomes '?'.
#include <windows.h>

#include "bravik/core/output_text.h"

size_t EncodeCp932(const uint16_t* wide, size_t count, char* out) {
    if (count == 0) return 0;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, (LPCWCH)wide, (int)count, out, (int)(2 * count), "?",
                                nullptr);
    return n > 0 ? (size_t)n : 0;
}
