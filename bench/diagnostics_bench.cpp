// The two tests of every output line, over a generated log of about a million
// lines that mixes compiler diagnostics (MSVC, Borland, GCC/Clang, in English
// and Japanese), make chatter, Japanese messages and long command lines.
// Reports bytes_per_second (MB/s) and items_per_second (lines/s).
#include <benchmark/benchmark.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "bravik/core/diagnostics.h"

namespace {

const int LOG_LINES = 1000000;

struct Random {
    uint64_t state = 0x2545F4914F6CDD1DULL;
    uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 16);
    }
    int Below(int n) { return (int)(Next() % (uint32_t)n); }
    template <size_t N>
    const char* Pick(const char* const (&items)[N]) { return items[Below((int)N)]; }
};

const char* const files[] = {
    "main.c", "src\\util.cpp", "C:\\src\\app\\window.cpp", "..\\lib\\io.c", "src/lib/parse.c",
    "C:/work/net/socket.cpp", "ソース\\表示.c", "C:\\ソフト\\設定\\構成.cpp", "include\\config.h",
    "C:\\Program Files\\Microsoft Visual Studio\\VC98\\INCLUDE\\stdio.h", "D:\\proj\\sub\\io.c", "ゾーン\\表示.c",
};
const char* const messages[] = {
    "'x' : undeclared identifier", "'i' : unreferenced local variable", "syntax error : missing ';' before '}'",
    "'x' undeclared (first use in this function)", "implicit declaration of function 'g'",
    "unused variable 'tmp' [-Wunused-variable]", "定義されていない識別子です。", "引数は関数の本体部で 1 度も参照されません。",
    "Undefined symbol 'x' in function main", "Possibly incorrect assignment",
};
const char* const chatter[] = {
    "Compiling...", "Linking...", "main.c", "   Creating library app.lib and object app.exp",
    "Microsoft (R) Program Maintenance Utility   Version 1.50",
    "Borland C++ 5.5.1 for Win32 Copyright (c) 1993, 2000 Borland", "Turbo Incremental Link 5.00",
    "make[1]: Entering directory 'C:/src/app/lib'", "make[1]: Leaving directory 'C:/src/app/lib'",
    "make: Nothing to be done for 'all'.", "        cl /nologo /W3 /O2 /c main.c", "gcc -c -O2 -Wall -o obj/io.o src/io.c",
    "", "ar rcs libio.a obj/io.o obj/parse.o",
};
const char* const japanese[] = {
    "コンパイル中: ソース\\表示.c", "ビルドを開始します...", "ビルドが正常に終了しました。", "ｺﾝﾊﾟｲﾙ中 ｴﾗｰ 0 件 ﾜｰﾆﾝｸﾞ 0 件",
    "リンク中です。しばらくお待ちください。", "ビルドが異常終了しました。間違いを修正してください。",
    "処理時間 12 秒", "出力先: C:\\作業\\出力\\アプリ.exe",
};

void Diagnostic(Random& r, std::string& out) {
    const char* file = r.Pick(files);
    int line = 1 + r.Below(5000);
    bool warn = r.Below(3) == 0;
    char buf[512];
    switch (r.Below(8)) {
    case 0:
    case 1:  // MSVC
        snprintf(buf, sizeof buf, "%s(%d) : %s C%d: %s", file, line, warn ? "warning" : "error", 2000 + r.Below(3000),
                 r.Pick(messages));
        break;
    case 2:  // Borland
        snprintf(buf, sizeof buf, "%s %c%d %s %d: %s", warn ? "Warning" : "Error", warn ? 'W' : 'E', 8000 + r.Below(999),
                 file, line, r.Pick(messages));
        break;
    case 3:  // Borland, Japanese
        snprintf(buf, sizeof buf, "%s %c%d %s %d: %s", warn ? "警告" : "エラー", warn ? 'W' : 'E', 2000 + r.Below(999),
                 file, line, r.Pick(messages));
        break;
    case 4:
    case 5:  // GCC / Clang
        snprintf(buf, sizeof buf, "%s:%d:%d: %s: %s", file, line, 1 + r.Below(80), warn ? "warning" : "error",
                 r.Pick(messages));
        break;
    case 6:  // GCC's source excerpt under a diagnostic, or a "keyword: name, line n" tool
        if (r.Below(4) == 0) {
            snprintf(buf, sizeof buf, "%s: %s, line %d: %s", warn ? "Warning" : "Error", file, line, r.Pick(messages));
            break;
        }
        snprintf(buf, sizeof buf, "%5d |     int x = compute(a, b) + %d;", line, r.Below(100));
        break;
    default:  // linker and make failures
        snprintf(buf, sizeof buf, r.Below(2) ? "LINK : fatal error LNK%d: cannot open file 'x%d.lib'"
                                             : "make: *** [Makefile:%d: all] Error 2",
                 1000 + r.Below(200), r.Below(50));
        break;
    }
    out += buf;
}

void LongCommand(Random& r, std::string& out) {
    out += "cl /nologo /W3 /O2 /MD";
    int n = 40 + r.Below(200);
    for (int i = 0; i < n; ++i) {
        out += r.Below(2) ? " /IC:\\sdk\\include\\component" : " /DFEATURE_";
        out += std::to_string(i);
    }
    out += " main.c";
}

struct Log {
    std::string text;  // the lines, each ended by NUL
    std::vector<uint32_t> starts;
};

const Log& TheLog() {
    static const Log log = [] {
        Log l;
        Random r;
        l.starts.reserve(LOG_LINES);
        for (int i = 0; i < LOG_LINES; ++i) {
            l.starts.push_back((uint32_t)l.text.size());
            int kind = r.Below(100);
            if (kind < 35) Diagnostic(r, l.text);
            else if (kind < 80) l.text += r.Pick(chatter);
            else if (kind < 95) l.text += r.Pick(japanese);
            else if (kind < 98) LongCommand(r, l.text);
            else l.text += "      |             ~~~~~~~~^~~~~~~~~~";
            l.text += '\0';
        }
        return l;
    }();
    return log;
}

template <typename PerLine>
void RunOverLog(benchmark::State& state, PerLine perLine) {
    const Log& log = TheLog();
    const char* base = log.text.data();
    int64_t hits = 0;
    for (auto _ : state) {
        for (uint32_t start : log.starts) hits += perLine(base + start);
        benchmark::ClobberMemory();
    }
    // Bytes of text without the NULs, as the run dialog sees the lines.
    const int64_t bytes = (int64_t)log.text.size() - (int64_t)log.starts.size();
    state.SetBytesProcessed(state.iterations() * bytes);
    state.SetItemsProcessed(state.iterations() * (int64_t)log.starts.size());
    state.counters["matches/line"] = (double)hits / (double)(state.iterations() * (int64_t)log.starts.size());
    state.counters["bytes/line"] = (double)bytes / (double)log.starts.size();
}

void BM_FindErrorKeyword(benchmark::State& state) {
    RunOverLog(state, [](const char* line) { return FindErrorKeyword(line) != nullptr; });
}

void BM_ParseDiagnosticLine(benchmark::State& state) {
    char name[DIAGNOSTIC_FILE_NAME_SIZE];
    RunOverLog(state, [&](const char* line) { return ParseDiagnosticLine(line, name) != 0 && name[0]; });
}

// The floor: one strlen per line.
void BM_StrlenFloor(benchmark::State& state) {
    RunOverLog(state, [](const char* line) { return benchmark::DoNotOptimize(strlen(line)), false; });
}

}  // namespace

BENCHMARK(BM_FindErrorKeyword)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseDiagnosticLine)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StrlenFloor)->Unit(benchmark::kMillisecond);
