#include "bravik/core/environment.h"

#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"

void* (*EnvironmentTableAllocator)(size_t count, size_t size) = calloc;

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

struct Table {
    char* base;
    int used;
    char* Entry(int i) const { return base + (size_t)i * ENV_ENTRY_SIZE; }
};

// Length of the name of a NAME=value text, -1 when it has no '='.
int NameLength(const char* text) {
    const char* eq = cp932::FindChar(text, '=');
    if (!eq) return -1;
    const char* end = eq;
    while (end > text && IsBlank(end[-1])) --end;
    return (int)(end - text);
}

// Copies n bytes of src after the len bytes already in dst; false once the
// text had to be cut, so a caller adds nothing after a cut.
bool AppendPart(char* dst, size_t size, size_t& len, const char* src, size_t n) {
    size_t copied = cp932::CopyCutN(dst + len, size - len, src, n);
    len += copied;
    return copied == strnlen(src, n);
}

void ExpandReference(char* line, const EnvironmentSources& sources, const Table& table) {
    const char* first = cp932::FindChar(line, '%');
    if (!first) return;
    const char* second = cp932::FindChar(first + 1, '%');
    if (!second) return;
    const char* name = first + 1;
    int n = (int)(second - name);
    if (n == 0) return;

    char value[ENV_VALUE_SIZE] = "";
    for (const DirectoryWord& d : directoryWords) {
        if ((int)strlen(d.word) == n && cp932::EqualNoCaseN(name, d.word, n)) {
            const char* dir = sources.*d.value;
            cp932::CopyCut(value, sizeof value, dir ? dir : "");
            break;
        }
    }
    for (int i = 0; !value[0] && i < table.used; ++i) {
        const char* e = table.Entry(i);
        if (NameLength(e) != n || !cp932::EqualNoCaseN(e, name, n)) continue;
        const char* v = cp932::FindChar(e, '=') + 1;
        while (IsBlank(*v)) ++v;
        cp932::CopyCut(value, sizeof value, v);
        break;
    }
    if (!value[0]) return;

    char rebuilt[ENV_REBUILT_LINE_SIZE];
    size_t len = 0;
    if (AppendPart(rebuilt, sizeof rebuilt, len, line, (size_t)(first - line)) &&
        AppendPart(rebuilt, sizeof rebuilt, len, value, sizeof value)) {
        AppendPart(rebuilt, sizeof rebuilt, len, second + 1, (size_t)-1);
    }
    cp932::CopyCut(line, ENV_ENTRY_SIZE, rebuilt);
}

void Define(const char* line, Table& table) {
    int n = NameLength(line);
    if (n <= 0) return;
    for (int i = 0; i < table.used; ++i) {
        char* e = table.Entry(i);
        if (NameLength(e) == n && strncmp(e, line, (size_t)n) == 0) {
            cp932::CopyCut(e, ENV_ENTRY_SIZE, line);
            return;
        }
    }
    if (table.used < ENV_TABLE_ENTRIES) cp932::CopyCut(table.Entry(table.used++), ENV_ENTRY_SIZE, line);
}

// Moves the entries together in place; each lies at or after where it goes.
void Pack(const Table& table, char separator) {
    char* w = table.base;
    if (table.used == 0) {
        w[0] = w[1] = '\0';
        return;
    }
    for (int i = 0; i < table.used; ++i) {
        const char* e = table.Entry(i);
        size_t len = strlen(e);
        memmove(w, e, len);
        w += len;
        *w++ = separator;
    }
    w[-1] = '\0';
    w[0] = '\0';
}

}  // namespace

char* ComposeEnvironment(const EnvironmentSources& sources, char separator) {
    // One byte beyond the 64 entries: 64 entries of 1023 bytes, packed with
    // their separators and the final second NUL, need 64 KiB + 1.
    const size_t tableSize = (size_t)ENV_TABLE_ENTRIES * ENV_ENTRY_SIZE + 1;
    Table table = {(char*)EnvironmentTableAllocator(tableSize, 1), 0};
    if (!table.base) return nullptr;

    if (sources.useSystemEnv && sources.systemStrings) {
        for (const char* s = sources.systemStrings; *s && table.used < ENV_TABLE_ENTRIES; s += strlen(s) + 1)
            cp932::CopyCut(table.Entry(table.used++), ENV_ENTRY_SIZE, s);
    }

    // CR and LF are below every trail byte, so a byte-wise split is safe.
    const char* p = sources.environment ? sources.environment : "";
    for (;;) {
        while (*p == '\r' || *p == '\n') ++p;
        if (!*p) break;
        const char* end = p;
        while (*end && *end != '\r' && *end != '\n') ++end;
        char line[ENV_ENTRY_SIZE];
        cp932::CopyCutN(line, sizeof line, p, (size_t)(end - p));
        p = end;
        ExpandReference(line, sources, table);
        Define(line, table);
    }

    Pack(table, separator);
    return table.base;
}
