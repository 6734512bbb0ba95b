// The two paths every line of make's output takes: the diagnostic recognizer
// (keyword search and file/line parse) and the cutting of the pipe's text into
// the run dialog's rich-text batches (escapes, UTF-8, both tests, make's
// directory stack). The text mixes the compilers' forms in English and
// Japanese, GCC's UTF-8 and colours, make's chatter and long command lines.
// Reports bytes_per_second (MB/s) and items_per_second (lines/s).
#include <benchmark/benchmark.h>
#include <string.h>

#include <string>

#include "bravik/core/diagnostics.h"
#include "bravik/core/make_directories.h"
#include "bravik/core/run.h"

static const char* const kLines[] = {
    "main.c(%d) : error C2065: 'x' : undeclared identifier", "Warning W8065 ソース\\表示.c %d: Call to 'f'",
    "src/lib/io.c:%d:5: warning: implicit declaration of 'f'", "Error: 構成.cpp, line %d: 未定義のシンボル",
    "\x1b[01m\x1b[Ksrc/io.c:%d:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K\xE2\x80\x98x\xE2\x80\x99 undeclared",
    "make[1]: Entering directory 'C:/src/lib%d'", "make[1]: Leaving directory 'C:/src/lib%d'", "Compiling... %d",
    "ビルドが正常に終了しました。 %d", "LINK : fatal error LNK1104: cannot open file 'x%d.lib'",
    "gcc -c -O2 -Wall -DF=%d -Iinclude/a -Iinclude/b -Iinclude/c -Iinclude/d -Iinclude/e -o obj/m.o src/m.cpp",
};
static const int kLineCount = 500000;

// The lines, each ended by end ("\0" for the recognizer, "\r\n" for the pipe).
static std::string Text(const char* end, size_t endLength) {
    std::string text;
    char line[512];
    for (int i = 0; i < kLineCount; ++i)
        text.append(line, (size_t)snprintf(line, sizeof line, kLines[i * 7 % 11], i)).append(end, endLength);
    return text;
}

static void BM_DiagnosticRecognizer(benchmark::State& state) {
    static const std::string text = Text("", 1);
    char name[DIAGNOSTIC_FILE_NAME_SIZE];
    for (auto _ : state)
        for (const char* p = text.data(); p < text.data() + text.size(); p += strlen(p) + 1)
            benchmark::DoNotOptimize(FindErrorKeyword(p) != nullptr && ParseDiagnosticLine(p, name));
    state.SetBytesProcessed(state.iterations() * (int64_t)text.size());
    state.SetItemsProcessed(state.iterations() * kLineCount);
}

static void BM_OutputLineCutting(benchmark::State& state) {
    static const std::string pipe = Text("\r\n", 2);
    OutputBatch batch;
    InitOutputBatch(&batch);
    for (auto _ : state) {
        OutputLines lines;
        InitOutputLines(&lines, HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE);
        MakeDirectories dirs;
        InitMakeDirectories(&dirs);
        lines.directories = &dirs;
        for (size_t at = 0, taken = 1; at < pipe.size() && taken; at += taken)
            taken = TakeOutputLines(&lines, pipe.data() + at, pipe.size() - at, true, 4000, 256 * 1024, &batch);
        FreeMakeDirectories(&dirs);
    }
    FreeOutputBatch(&batch);
    state.SetBytesProcessed(state.iterations() * (int64_t)pipe.size());
    state.SetItemsProcessed(state.iterations() * kLineCount);
}

BENCHMARK(BM_DiagnosticRecognizer)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputLineCutting)->Unit(benchmark::kMillisecond);
