// The whole path of the output the run dialog shows: split into lines,
// escapes stripped, UTF-8 converted, both tests, the directory stack noted,
// the rich-text batch built. The log mixes plain build lines, GCC output in
// a UTF-8 locale with and without colours, code page 932 messages, make's
// directory lines and long compiler command lines. Reports bytes_per_second of pipe text (MB/s); the floor
// is 100 MB/s.
#include <benchmark/benchmark.h>
#include <stdint.h>

#include <string>

#include "bravik/core/make_directories.h"
#include "bravik/core/run.h"

namespace {

const int PIPE_LINES = 200000;

const char* const plainLines[] = {
    "gcc -c -O2 -Wall -o obj/io.o src/io.c",
    "main.c(12) : error C2065: 'x' : undeclared identifier",
    "src/lib/io.c:7: warning: implicit declaration of 'f'",
    "make[1]: Entering directory 'C:/src/app/lib'",
    "make[1]: Leaving directory 'C:/src/app/lib'",
    "ar rcs libio.a obj/io.o obj/parse.o",
};
// GCC in a UTF-8 locale: typographic quotes, a Japanese message.
const char* const utf8Lines[] = {
    "src/io.c:42:5: error: \xE2\x80\x98" "count\xE2\x80\x99 undeclared (first use in this function)",
    "src/io.c:17:9: warning: unused variable \xE2\x80\x98tmp\xE2\x80\x99 [-Wunused-variable]",
    "src/io.c:3:1: \xE3\x82\xA8\xE3\x83\xA9\xE3\x83\xBC: \xE5\xAE\x9A\xE7\xBE\xA9\xE3\x81\x95\xE3\x82\x8C\xE3\x81\xA6"
    "\xE3\x81\x84\xE3\x81\xBE\xE3\x81\x9B\xE3\x82\x93",
};
const char* const colouredLines[] = {
    "\x1b[01m\x1b[Ksrc/io.c:42:5:\x1b[m\x1b[K \x1b[01;31m\x1b[Kerror: \x1b[m\x1b[K\xE2\x80\x98" "count\xE2\x80\x99"
    " undeclared",
    "   42 |     \x1b[01;31m\x1b[Kcount\x1b[m\x1b[K = 0;",
    "\x1b[01m\x1b[Ksrc/io.c:17:9:\x1b[m\x1b[K \x1b[01;35m\x1b[Kwarning: \x1b[m\x1b[Kunused variable",
};
const char* const cp932Lines[] = {
    "コンパイル中: ソース\\表示.c", "Error E2451 ソース\\表示.c 12: 未定義のシンボル 'x'",
    "make[1]: ディレクトリ 'C:/作業/ソース' に入ります", "make[1]: ディレクトリ 'C:/作業/ソース' から出ます",
};

// A compiler command line as make echoes it, with many options.
void LongCommand(int options, std::string& out) {
    out += "g++ -c -O2 -Wall -fdiagnostics-color=always";
    for (int i = 0; i < 40 + options; ++i) out += i % 2 ? " -Iinclude/component" + std::to_string(i) : " -DFEATURE_" + std::to_string(i);
    out += " -o obj/main.o src/main.cpp";
}

const std::string& ThePipe() {
    static const std::string pipe = [] {
        std::string p;
        uint32_t state = 12345;
        for (int i = 0; i < PIPE_LINES; ++i) {
            state = state * 1103515245u + 12345u;
            int kind = (int)((state >> 16) % 20);
            if (kind < 7) p += plainLines[(state >> 8) % 6];
            else if (kind < 11) p += utf8Lines[(state >> 8) % 3];
            else if (kind < 15) p += colouredLines[(state >> 8) % 3];
            else if (kind < 19) p += cp932Lines[(state >> 8) % 4];
            else LongCommand((int)((state >> 8) % 200), p);
            p += "\r\n";
        }
        return p;
    }();
    return pipe;
}

void BM_OutputPathWithUtf8AndColour(benchmark::State& state) {
    const std::string& pipe = ThePipe();
    OutputBatch batch;
    InitOutputBatch(&batch);
    for (auto _ : state) {
        OutputLines lines;
        InitOutputLines(&lines, HIGHLIGHT_ERRORS | HIGHLIGHT_JUMPABLE);
        MakeDirectories dirs;
        InitMakeDirectories(&dirs);
        lines.directories = &dirs;
        size_t at = 0;
        while (at < pipe.size()) {
            size_t taken = TakeOutputLines(&lines, pipe.data() + at, pipe.size() - at, true, 4000, 256 * 1024, &batch);
            if (!taken) break;
            at += taken;
            benchmark::DoNotOptimize(batch.text);
        }
        benchmark::DoNotOptimize(lines.jumpableLines);
        FreeMakeDirectories(&dirs);
    }
    FreeOutputBatch(&batch);
    state.SetBytesProcessed(state.iterations() * (int64_t)pipe.size());
    state.SetItemsProcessed(state.iterations() * PIPE_LINES);
    state.counters["bytes/line"] = (double)pipe.size() / PIPE_LINES;
}

}  // namespace

BENCHMARK(BM_OutputPathWithUtf8AndColour)->Unit(benchmark::kMillisecond);
