// A whole makefile through the profile reader, read from memory as a file.
// Input: the index of the variant whose macros fail to be kept (100 or more:
// none), then the makefile. Texts must end inside their buffers, which the
// sanitizer cannot see within one record.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "bravik/core/makefile_profile.h"

static bool Ends(const char* text, size_t size) { return strnlen(text, size) < size; }

struct FailingSink : VariantSink {
    int failAt;
    bool AddVariant(int index, const char* label, const char* macros) override {
        if (index < 0 || index >= PROFILE_MAX_VARIANTS || !Ends(label, PROFILE_LINE_SIZE) || !Ends(macros, PROFILE_LINE_SIZE))
            __builtin_trap();
        return index != failAt;
    }
};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* f = size < 2 ? nullptr : fmemopen((void*)(data + 1), size - 1, "r");
    if (!f) return 0;
    FailingSink sink;
    sink.failAt = data[0];
    SettingsRecord s;
    DefaultSettings(s);
    int result = ReadMakefileProfile(f, s, sink);
    fclose(f);
    if ((result != 1 && (result != 0 || data[0] >= PROFILE_MAX_VARIANTS)) || !Ends(s.makeExe, sizeof s.makeExe) ||
        !Ends(s.makeOptions, sizeof s.makeOptions) || !Ends(s.environment, sizeof s.environment) ||
        !Ends(s.editorExe, sizeof s.editorExe) || !Ends(s.editorOptions, sizeof s.editorOptions) ||
        !Ends(s.currentDir, sizeof s.currentDir))
        __builtin_trap();
    return 0;
}
