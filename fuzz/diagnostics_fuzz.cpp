// One build-output line through both recognizers, in exact-size heap blocks so
// any overrun is reported; the keyword search must equal the plain one.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* line = (char*)calloc(size + 1, 1);
    memcpy(line, data, size);
    char* name = (char*)malloc(DIAGNOSTIC_FILE_NAME_SIZE);
    int number = ParseDiagnosticLine(line, name);
    if (cp932::FindChar(name, '/') && number) __builtin_trap();  // also reads the name up to its NUL
    const char* expected = nullptr;
    for (int i = 0; i < ERROR_KEYWORD_COUNT && !expected; ++i) expected = cp932::FindText(line, errorKeywords[i]);
    if (FindErrorKeyword(line) != expected) __builtin_trap();
    free(name);
    free(line);
    return 0;
}
