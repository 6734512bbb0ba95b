// One build-output line through both tests; FindErrorKeyword is also checked
// against the plain search it must equal.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"

static void Check(bool ok) {
    if (!ok) __builtin_trap();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Exact-size heap blocks, so a read past the line's NUL or a write past
    // the 260-byte name is reported.
    char* line = (char*)malloc(size + 1);
    char* copy = (char*)malloc(size + 1);
    memcpy(line, data, size);
    line[size] = '\0';
    memcpy(copy, line, size + 1);
    char* name = (char*)malloc(DIAGNOSTIC_FILE_NAME_SIZE);

    int number = ParseDiagnosticLine(line, name);
    size_t nameLen = strnlen(name, DIAGNOSTIC_FILE_NAME_SIZE);
    Check(nameLen < DIAGNOSTIC_FILE_NAME_SIZE);
    Check(memcmp(line, copy, size + 1) == 0);
    if (number != 0 && nameLen != 0) Check(cp932::FindChar(name, '/') == nullptr);

    const char* expected = nullptr;
    for (int i = 0; i < ERROR_KEYWORD_COUNT && !expected; ++i) expected = cp932::FindText(line, errorKeywords[i]);
    Check(FindErrorKeyword(line) == expected);

    free(name);
    free(copy);
    free(line);
    return 0;
}
