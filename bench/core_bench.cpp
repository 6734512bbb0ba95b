// The path every line of make's output takes: the cutting of the pipe's text
// into the run dialog's batches (escapes, UTF-8, the keyword search, the
// diagnostic recognizer's file and line, make's directory stack).
#include <benchmark/benchmark.h>
#include <stdio.h>

#include <string>

#include "bravik/core/make_directories.h"
#include "bravik/core/run.h"

// 500,000 lines of the compilers' forms in English and Japanese, GCC's colours
// and UTF-8, make's chatter and long command lines, each ended by CR LF.
static std::string Text() {
    static const char* const lines[] = {
        "main.c(%d) : error C2065: 'x' : undeclared identifier", "Warning W8065 ソース\\表示.c %d: Call to 'f'",
        "src/lib/io.c:%d:5: warning: implicit declaration of 'f'", "Error: 構成.cpp, line %d: 未定義のシンボル",
        "\x1b[01m\x1b[Ksrc/io.c:%d:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K\xE2\x80\x98x\xE2\x80\x99",
        "make[1]: Entering directory 'C:/src/lib%d'", "make[1]: Leaving directory 'C:/src/lib%d'", "Compiling... %d",
        "ビルドが正常に終了しました。 %d", "LINK : fatal error LNK1104: cannot open file 'x%d.lib'",
        "gcc -c -O2 -Wall -DF=%d -Iinclude/a -Iinclude/b -Iinclude/c -Iinclude/d -Iinclude/e -o obj/m.o src/m.cpp",
    };
    std::string text;
    char line[512];
    for (int i = 0; i < 500000; ++i)
        text.append(line, (size_t)snprintf(line, sizeof line, lines[i * 7 % 11], i)) += "\r\n";
    return text;
}

static void BM_OutputLineCutting(benchmark::State& state) {
    static const std::string pipe = Text();
    OutputBatch batch;
    InitOutputBatch(&batch);
    for (auto _ : state) {
        OutputLines lines;
        MakeDirectories dirs;
        InitOutputLines(&lines, HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE), InitMakeDirectories(&dirs);
        lines.directories = &dirs;
        for (size_t at = 0, taken = 1; at < pipe.size() && taken; at += taken)
            taken = TakeOutputLines(&lines, pipe.data() + at, pipe.size() - at, true, 4000, 256 * 1024, &batch);
        FreeMakeDirectories(&dirs);
    }
    FreeOutputBatch(&batch);
    state.SetBytesProcessed(state.iterations() * (int64_t)pipe.size());
}

BENCHMARK(BM_OutputLineCutting)->Unit(benchmark::kMillisecond);
