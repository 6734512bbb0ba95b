// One output line through the cleaning the run dialog gives it, in an
// exact-size heap block so any overrun is reported: it never grows, no ESC is
// left, and a line that is not UTF-8 keeps its bytes.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/output_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* line = (char*)malloc(size ? size : 1);
    memcpy(line, data, size);
    size_t stripped = StripEscapes(line, size);
    if (stripped > size || memchr(line, 0x1B, stripped)) __builtin_trap();
    size_t tail = Utf8IncompleteTail(line, stripped);
    if (tail > 3 || tail > stripped) __builtin_trap();
    bool utf8 = IsUtf8Text(line, stripped);
    char* before = (char*)malloc(stripped ? stripped : 1);
    memcpy(before, line, stripped);
    size_t cleaned = CleanOutputLine(line, stripped);
    if (cleaned > stripped) __builtin_trap();
    if (!utf8 && (cleaned != stripped || memcmp(before, line, stripped) != 0)) __builtin_trap();
    free(before);
    free(line);
    return 0;
}
