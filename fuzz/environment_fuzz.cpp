// The environment composition with every input taken from the fuzzer.
// Input: one flag byte (bit 0 useSystemEnv, bit 1 LF separator), then five
// fields separated by 0x1E: system strings (separated by LF), system,
// Windows and current directory, the user's environment text.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "bravik/core/environment.h"

static void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// An exact-size NUL-terminated heap copy (plus `extra` NULs).
static char* HeapText(const std::string& s, size_t extra = 1) {
    char* p = (char*)malloc(s.size() + extra);
    memcpy(p, s.data(), s.size());
    memset(p + s.size(), 0, extra);
    return p;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t flags = data[0];
    std::vector<std::string> fields(1);
    for (size_t i = 1; i < size; ++i) {
        if (data[i] == 0x1E && fields.size() < 5) fields.emplace_back();
        else fields.back() += (char)data[i];
    }
    fields.resize(5);
    for (char& c : fields[0])
        if (c == '\n') c = '\0';

    char* system = HeapText(fields[0], 2);
    char* dirs[3] = {HeapText(fields[1]), HeapText(fields[2]), HeapText(fields[3])};
    char* environment = HeapText(fields[4]);
    EnvironmentSources sources = {environment, (flags & 1) != 0, system, dirs[0], dirs[1], dirs[2]};
    const char separator = (flags & 2) ? '\n' : '\0';

    char* block = ComposeEnvironment(sources, separator);
    Check(block != nullptr);
    // Entries up to the closing pair of NULs: at most 64 of at most 1023 bytes.
    size_t pos = 0;
    int entries = 0;
    while (block[pos] != '\0') {
        size_t len = 0;
        while (block[pos + len] != '\0' && block[pos + len] != separator) ++len;
        Check(len < (size_t)ENV_ENTRY_SIZE);
        ++entries;
        pos += len + 1;  // past the separator, or past the NUL that ends the block
        if (block[pos - 1] == '\0' && separator != '\0') break;
    }
    Check(block[pos] == '\0' && (pos == 0 ? block[1] == '\0' : true));
    // A directory value may hold a line feed, which the LF form cannot tell apart.
    if (separator == '\0') Check(entries <= ENV_TABLE_ENTRIES);

    free(block);
    free(environment);
    for (char* d : dirs) free(d);
    free(system);
    return 0;
}
