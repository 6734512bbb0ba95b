// A whole makefile through the profile reader, read from memory as a file.
// Input: one byte naming the variant whose macros fail to be kept (100 or
// more: none), then the makefile.
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "bravik/core/makefile_profile.h"

static void Check(bool ok) {
    if (!ok) __builtin_trap();
}

namespace {

class CheckingSink : public VariantSink {
public:
    int count = 0;
    int failAt = -1;
    bool AddVariant(int index, const char* label, const char* macros) override {
        // After a failed copy the defaults may start again at 0.
        Check(index >= 0 && index <= count && index < PROFILE_MAX_VARIANTS);
        Check(strlen(label) < PROFILE_LINE_SIZE && strlen(macros) < PROFILE_LINE_SIZE);
        ++count;
        return index != failAt;
    }
};

bool Terminated(const char* field, size_t size) { return strnlen(field, size) < size; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    CheckingSink sink;
    sink.failAt = data[0] < PROFILE_MAX_VARIANTS ? data[0] : -1;
    FILE* f = fmemopen((void*)(data + 1), size - 1, "r");
    if (!f) return 0;
    SettingsRecord s;
    DefaultSettings(s);
    int result = ReadMakefileProfile(f, s, sink);
    fclose(f);
    Check(result == 0 || result == 1);
    Check(result == 1 || sink.failAt >= 0);
    Check(sink.count >= 1);
    Check(Terminated(s.makeExe, sizeof s.makeExe) && Terminated(s.makeOptions, sizeof s.makeOptions));
    Check(Terminated(s.environment, sizeof s.environment) && Terminated(s.editorExe, sizeof s.editorExe));
    Check(Terminated(s.editorOptions, sizeof s.editorOptions) && Terminated(s.currentDir, sizeof s.currentDir));
    return 0;
}
