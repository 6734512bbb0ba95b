#include "bravik/core/environment.h"

#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"

void* (*EnvironmentAllocator)(void* block, size_t size) = realloc;

namespace {

struct DirectoryWord {
    const char* word;
    const char* EnvironmentSources::*value;
};
const DirectoryWord directoryWords[] = {
    {"SYSTEMDIRECTORY", &EnvironmentSources::systemDirectory},
    {"WINDOWSDIRECTORY", &EnvironmentSources::windowsDirectory},
    {"CURRENTDIRECTORY", &EnvironmentSources::currentDirectory},
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The entries in the order they were first stored, each a heap string.
struct Table {
    char** entries;
    int used, capacity;

    bool Add(char* entry) {
        if (used == capacity) {
            int grown = capacity ? capacity * 2 : 64;
            char** more = (char**)EnvironmentAllocator(entries, (size_t)grown * sizeof *entries);
            if (!more) return false;
            entries = more;
            capacity = grown;
        }
        entries[used++] = entry;
        return true;
    }
    void Free() {
        for (int i = 0; i < used; ++i) free(entries[i]);
        free(entries);
    }
};

char* CopyOf(const char* text, size_t n) {
    char* copy = (char*)EnvironmentAllocator(nullptr, n + 1);
    if (!copy) return nullptr;
    memcpy(copy, text, n);
    copy[n] = '\0';
    return copy;
}

// Length of the name of a NAME=value text, -1 when it has no '='.
int NameLength(const char* text) {
    const char* eq = cp932::FindChar(text, '=');
    if (!eq) return -1;
    const char* end = eq;
    while (end > text && IsBlank(end[-1])) --end;
    return (int)(end - text);
}

// The value a reference %name% (n bytes at name) stands for, or nullptr.
const char* ReferencedValue(const char* name, int n, const EnvironmentSources& sources, const Table& table) {
    for (const DirectoryWord& d : directoryWords) {
        if ((int)strlen(d.word) == n && cp932::EqualNoCaseN(name, d.word, n)) {
            const char* dir = sources.*d.value;
            if (dir && dir[0]) return dir;
            break;
        }
    }
    for (int i = 0; i < table.used; ++i) {
        const char* e = table.entries[i];
        if (NameLength(e) != n || !cp932::EqualNoCaseN(e, name, n)) continue;
        const char* v = cp932::FindChar(e, '=') + 1;
        while (IsBlank(*v)) ++v;
        return *v ? v : nullptr;
    }
    return nullptr;
}

// The line [p, end) with its first reference expanded, as a heap string.
char* ExpandedLine(const char* p, const char* end, const EnvironmentSources& sources, const Table& table) {
    char* line = CopyOf(p, (size_t)(end - p));
    if (!line) return nullptr;
    const char* first = cp932::FindChar(line, '%');
    const char* second = first ? cp932::FindChar(first + 1, '%') : nullptr;
    if (!second || second == first + 1) return line;
    const char* value = ReferencedValue(first + 1, (int)(second - first - 1), sources, table);
    if (!value) return line;

    size_t head = (size_t)(first - line), valueLength = strlen(value), tail = strlen(second + 1);
    char* rebuilt = (char*)EnvironmentAllocator(nullptr, head + valueLength + tail + 1);
    if (rebuilt) {
        memcpy(rebuilt, line, head);
        memcpy(rebuilt + head, value, valueLength);
        memcpy(rebuilt + head + valueLength, second + 1, tail + 1);
    }
    free(line);
    return rebuilt;
}

bool WithinVariableLimit(const char* text) {
    int characters = 0;
    for (const char* p = text; *p; p = cp932::Next(p))
        if (++characters > ENV_VARIABLE_MAX_CHARS) return false;
    return true;
}

// Stores the line (taking it over) in place of its namesake or after the
// others; false when memory ran out. Windows keeps PATH as "Path": names
// match without regard to case, as the child looks them up, or a line
// "PATH=..." would sit behind the system's "Path=..." and never be seen.
bool Define(char* line, Table& table) {
    int n = NameLength(line);
    for (int i = 0; i < table.used; ++i) {
        char* e = table.entries[i];
        if (NameLength(e) == n && cp932::EqualNoCaseN(e, line, (size_t)n)) {
            free(e);
            table.entries[i] = line;
            return true;
        }
    }
    return table.Add(line);
}

char* Pack(const Table& table, char separator) {
    size_t total = 2;
    for (int i = 0; i < table.used; ++i) total += strlen(table.entries[i]) + 1;
    char* block = (char*)EnvironmentAllocator(nullptr, total);
    if (!block) return nullptr;
    char* w = block;
    for (int i = 0; i < table.used; ++i) {
        size_t len = strlen(table.entries[i]);
        memcpy(w, table.entries[i], len);
        w += len;
        *w++ = separator;
    }
    if (table.used) --w;
    w[0] = w[1] = '\0';
    return block;
}

// Composes into the table; false with the refusal filled in on failure.
bool Fill(const EnvironmentSources& sources, Table& table, EnvironmentRefusal& refusal) {
    if (sources.useSystemEnv && sources.systemStrings) {
        for (const char* s = sources.systemStrings; *s; s += strlen(s) + 1) {
            char* copy = CopyOf(s, strlen(s));
            if (!copy) return false;
            if (!table.Add(copy)) {
                free(copy);
                return false;
            }
        }
    }
    // CR and LF are below every trail byte, so a byte-wise split is safe.
    const char* p = sources.environment ? sources.environment : "";
    for (;;) {
        while (*p == '\r' || *p == '\n') ++p;
        if (!*p) return true;
        const char* end = p;
        while (*end && *end != '\r' && *end != '\n') ++end;
        char* line = ExpandedLine(p, end, sources, table);
        p = end;
        if (!line) return false;
        if (NameLength(line) <= 0) {
            free(line);
            continue;
        }
        // A cut value would hand make another PATH than the one asked for.
        if (!WithinVariableLimit(line)) {
            refusal.tooLong = true;
            cp932::CopyCutN(refusal.name, sizeof refusal.name, line, (size_t)NameLength(line));
            free(line);
            return false;
        }
        if (!Define(line, table)) {
            free(line);
            return false;
        }
    }
}

}  // namespace

char* ComposeEnvironment(const EnvironmentSources& sources, char separator, EnvironmentRefusal* refusal) {
    EnvironmentRefusal ignored;
    EnvironmentRefusal& r = refusal ? *refusal : ignored;
    r.tooLong = false;
    r.name[0] = '\0';
    Table table = {nullptr, 0, 0};
    char* block = Fill(sources, table, r) ? Pack(table, separator) : nullptr;
    table.Free();
    return block;
}
