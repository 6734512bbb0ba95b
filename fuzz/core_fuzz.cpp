// The libFuzzer targets of the core, one per FUZZ_<NAME> macro (scripts/fuzz
// builds each). Inputs go into exact-size heap blocks, so the sanitizer
// reports any overrun; a broken promise of the code traps.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"
#include "bravik/core/environment.h"
#include "bravik/core/make_directories.h"
#include "bravik/core/makefile_profile.h"
#include "bravik/core/run.h"

static void Check(bool ok) { if (!ok) __builtin_trap(); }
static bool Ends(const char* text, size_t size) { return strnlen(text, size) < size; }

#ifdef FUZZ_MAKEFILE_PROFILE
// Labels and macros must end inside their buffers (one record to the sanitizer).
struct Sink : VariantSink {
    int failAt;
    bool AddVariant(int index, const char* label, const char* macros) override {
        Check(index >= 0 && index < PROFILE_MAX_VARIANTS);
        Check(Ends(label, PROFILE_LINE_SIZE) && Ends(macros, PROFILE_LINE_SIZE));
        return index != failAt;
    }
};
#endif

// Input: the first byte chooses (the variant whose macros cannot be kept, or
// the flags of the environment), the rest is the text.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t first = data[0];
    char* text = (char*)memcpy(calloc(size, 1), data + 1, size - 1);  // NUL-terminated
#if defined(FUZZ_DIAGNOSTICS)
    char* name = (char*)malloc(DIAGNOSTIC_FILE_NAME_SIZE);
    Check(!ParseDiagnosticLine(text, name) || !cp932::FindChar(name, '/'));  // also reads the name to its NUL
    const char* expected = nullptr;  // the keyword search must equal the plain one
    for (int i = 0; i < ERROR_KEYWORD_COUNT && !expected; ++i) expected = cp932::FindText(text, errorKeywords[i]);
    Check(FindErrorKeyword(text) == expected);
    free(name);
#elif defined(FUZZ_ENVIRONMENT)
    // Five fields split at 0x1E: system strings (split at LF), system, Windows
    // and current directory, the user's lines; bit 0 useSystemEnv, bit 1 LF separator.
    std::string fields[5];
    for (size_t i = 0, f = 0; i < size - 1; ++i) {
        if (text[i] == 0x1E && f < 4) ++f;
        else fields[f] += (f == 0 && text[i] == '\n') ? '\0' : text[i];
    }
    char* t[5];
    for (int i = 0; i < 5; ++i)  // the system strings end in two NULs
        t[i] = (char*)memcpy(calloc(fields[i].size() + (i ? 1 : 2), 1), fields[i].data(), fields[i].size());
    EnvironmentRefusal refusal;
    EnvironmentSources sources = {t[4], (first & 1) != 0, t[0], t[1], t[2], t[3]};
    char* block = ComposeEnvironment(sources, (first & 2) ? '\n' : '\0', &refusal);
    Check(block || refusal.tooLong);
    free(block);
    for (char* p : t) free(p);
#elif defined(FUZZ_MAKEFILE_PROFILE)
    FILE* f = fmemopen(text, size - 1 ? size - 1 : 1, "r");
    Sink sink;
    sink.failAt = first;
    SettingsRecord s;
    DefaultSettings(s);
    int result = ReadMakefileProfile(f, s, sink);
    fclose(f);
    Check((result == 1 || (result == 0 && first < PROFILE_MAX_VARIANTS)) && Ends(s.makeExe, PATH_SIZE) &&
          Ends(s.makeOptions, PATH_SIZE) && Ends(s.environment, sizeof s.environment) && Ends(s.editorExe, PATH_SIZE) &&
          Ends(s.editorOptions, PATH_SIZE) && Ends(s.currentDir, PATH_SIZE));
#elif defined(FUZZ_RUN)
    // The pipe's text arriving first + 1 bytes at a time, cut for the run dialog
    // with make's directory stack tracked: every byte is taken by the end.
    text = (char*)realloc(text, size - 1 ? size - 1 : 1);  // no NUL: the length is all there is
    OutputLines lines;
    OutputBatch batch;
    MakeDirectories dirs;
    InitOutputLines(&lines, first & 3), InitOutputBatch(&batch), InitMakeDirectories(&dirs), lines.directories = &dirs;
    size_t received = 0, taken = 0;
    for (bool final = false; !final;) {
        received = received + first + 1 < size - 1 ? received + first + 1 : size - 1;
        final = received == size - 1;
        while (size_t t = TakeOutputLines(&lines, text + taken, received - taken, final, 7, 4096, &batch)) {
            Check(t <= received - taken && batch.textLength == strlen(batch.text));
            Check(batch.text[batch.textLength - 1] == '}');
            taken += t;
        }
    }
    Check(taken == size - 1);
    FreeOutputBatch(&batch), FreeMakeDirectories(&dirs);
#endif
    free(text);
    return 0;
}
