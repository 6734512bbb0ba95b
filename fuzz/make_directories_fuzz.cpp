// Output lines through make's directory stack, in exact-size heap blocks so
// any overrun is reported: a recognised directory fits its buffer and has no
// '/', and every line's directory is one that was entered.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/make_directories.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    char* text = (char*)calloc(size + 1, 1);
    memcpy(text, data, size);
    char* directory = (char*)malloc(MAKE_DIRECTORY_SIZE);
    MakeDirectories dirs;
    InitMakeDirectories(&dirs);
    // Each NUL-free stretch between '\n' is a line of its own.
    for (char* line = text; line <= text + size;) {
        char* end = (char*)memchr(line, '\n', (size_t)(text + size - line));
        if (end) *end = '\0';
        int kind = ParseMakeDirectoryLine(line, directory);
        if (kind == MAKE_NO_DIRECTORY ? directory[0] != '\0' : strlen(directory) >= MAKE_DIRECTORY_SIZE ||
                                                                   strchr(directory, '/'))
            __builtin_trap();
        NoteMakeOutputLine(&dirs, line);
        if (!end) break;
        line = end + 1;
    }
    for (int i = 0; i <= dirs.lines; ++i) {
        const char* in = MakeDirectoryAt(&dirs, i);
        if (in && (in < dirs.names || in >= dirs.names + dirs.namesLength)) __builtin_trap();
    }
    FreeMakeDirectories(&dirs);
    free(directory);
    free(text);
    return 0;
}
