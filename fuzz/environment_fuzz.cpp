// The environment composition with every input from the fuzzer: a flag byte
// (bit 0 useSystemEnv, bit 1 LF separator), then five fields split at 0x1E:
// system strings (split at LF), system, Windows and current directory, the
// user's lines. Exact-size heap copies, so any overrun is reported.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "bravik/core/environment.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::string fields[5];
    int f = 0;
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0x1E && f < 4) ++f;
        else fields[f] += (f == 0 && data[i] == '\n') ? '\0' : (char)data[i];
    }
    char* text[5];
    for (int i = 0; i < 5; ++i)  // the system strings end in two NULs
        text[i] = (char*)memcpy(calloc(fields[i].size() + (i ? 1 : 2), 1), fields[i].data(), fields[i].size());
    const char separator = (data[0] & 2) ? '\n' : '\0';
    EnvironmentRefusal refusal;
    char* block =
        ComposeEnvironment({text[4], (data[0] & 1) != 0, text[0], text[1], text[2], text[3]}, separator, &refusal);
    if (!block && !refusal.tooLong) __builtin_trap();
    free(block);
    for (char* t : text) free(t);
    return 0;
}
