#include "bravik/core/make_directories.h"

#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"

// The phrases after "PROG: "; a Japanese make puts the directory in the middle.
struct DirectoryPhrase {
    const char* before;
    const char* after;
    int kind;
};
static const DirectoryPhrase phrases[] = {
    {"Entering directory ", "", MAKE_ENTERING},
    {"Leaving directory ", "", MAKE_LEAVING},
    {"ディレクトリ ", " に入ります", MAKE_ENTERING},
    {"ディレクトリ ", " から出ます", MAKE_LEAVING},
};
static const char* const openQuotes[] = {"'", "`", "‘"};
static const char* const closeQuotes[] = {"'", "’"};

static size_t StartsWith(const char* text, const char* prefix) {
    size_t n = strlen(prefix);
    return strncmp(text, prefix, n) == 0 ? n : 0;
}

// Length of the text without trailing blanks (a blank is never a trail byte).
static size_t TrimmedLength(const char* text, size_t length) {
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t')) --length;
    return length;
}

// Whether text[0..n) ends with suffix on a character boundary.
static bool EndsWith(const char* text, size_t n, const char* suffix) {
    size_t s = strlen(suffix);
    if (s > n || memcmp(text + n - s, suffix, s) != 0) return false;
    return cp932::IsCharStart(text, text + n - s);
}

int ParseMakeDirectoryLine(const char* line, char* directory) {
    directory[0] = '\0';
    // Every line goes through here: a look at its last byte turns away almost
    // all others (a closing quote, or the last byte of "す").
    size_t length = TrimmedLength(line, strlen(line));
    if (length == 0) return MAKE_NO_DIRECTORY;
    unsigned char last = (unsigned char)line[length - 1];
    if (last != '\'' && last != 0x66 && last != 0xB7) return MAKE_NO_DIRECTORY;
    const char* colon = cp932::FindText(line, ": ");
    if (!colon || colon == line) return MAKE_NO_DIRECTORY;
    const char* rest = colon + 2;
    if ((size_t)(rest - line) >= length) return MAKE_NO_DIRECTORY;
    size_t restLength = length - (size_t)(rest - line);
    for (const DirectoryPhrase& phrase : phrases) {
        size_t skip = StartsWith(rest, phrase.before);
        // The phrases must not overlap: "ディレクトリ に入ります" names nothing.
        if (!skip || skip + strlen(phrase.after) > restLength || !EndsWith(rest, restLength, phrase.after)) continue;
        const char* name = rest + skip;
        size_t nameLength = restLength - skip - strlen(phrase.after);
        size_t open = 0, close = 0;
        for (const char* q : openQuotes)
            if (!open) open = StartsWith(name, q);
        for (const char* q : closeQuotes)
            if (!close && nameLength > open && EndsWith(name, nameLength, q)) close = strlen(q);
        if (!open || !close || nameLength < open + close + 1) return MAKE_NO_DIRECTORY;
        size_t length = nameLength - open - close;
        if (length >= MAKE_DIRECTORY_SIZE) return MAKE_NO_DIRECTORY;
        memcpy(directory, name + open, length);
        directory[length] = '\0';
        // '/' is below every trail byte, so the byte-wise turn is safe.
        for (char* p = directory; *p; ++p)
            if (*p == '/') *p = '\\';
        return phrase.kind;
    }
    return MAKE_NO_DIRECTORY;
}

void InitMakeDirectories(MakeDirectories* dirs) {
    memset(dirs, 0, sizeof *dirs);
}

void FreeMakeDirectories(MakeDirectories* dirs) {
    free(dirs->names);
    free(dirs->changes);
    InitMakeDirectories(dirs);
}

static bool Grow(void** buffer, size_t* capacity, size_t needed, size_t unit) {
    if (needed <= *capacity) return true;
    size_t more = *capacity ? *capacity * 2 : 64;
    while (more < needed) more *= 2;
    void* grown = realloc(*buffer, more * unit);
    if (!grown) return false;
    *buffer = grown;
    *capacity = more;
    return true;
}

// Records that from the next line on the stack's top is in effect.
static void NoteChange(MakeDirectories* dirs) {
    int top = dirs->depth > 0 ? dirs->stack[dirs->depth - 1] : -1;
    int line = dirs->lines + 1;
    if (dirs->changeCount > 0 && dirs->changes[dirs->changeCount - 1].line == line) {
        dirs->changes[dirs->changeCount - 1].name = top;
        return;
    }
    if (!Grow((void**)&dirs->changes, &dirs->changeCapacity, dirs->changeCount + 1, sizeof *dirs->changes)) return;
    dirs->changes[dirs->changeCount].line = line;
    dirs->changes[dirs->changeCount].name = top;
    dirs->changeCount++;
}

static void Enter(MakeDirectories* dirs, const char* directory) {
    size_t n = strlen(directory) + 1;
    if (dirs->depth >= MAKE_DIRECTORY_DEPTH) return;
    if (!Grow((void**)&dirs->names, &dirs->namesCapacity, dirs->namesLength + n, 1)) return;
    memcpy(dirs->names + dirs->namesLength, directory, n);
    dirs->stack[dirs->depth++] = (int)dirs->namesLength;
    dirs->namesLength += n;
    NoteChange(dirs);
}

static void Leave(MakeDirectories* dirs, const char* directory) {
    for (int i = dirs->depth - 1; i >= 0; --i) {
        if (!cp932::EqualNoCase(dirs->names + dirs->stack[i], directory)) continue;
        memmove(dirs->stack + i, dirs->stack + i + 1, (size_t)(dirs->depth - i - 1) * sizeof dirs->stack[0]);
        dirs->depth--;
        NoteChange(dirs);
        return;
    }
}

void NoteMakeOutputLine(MakeDirectories* dirs, const char* line) {
    char directory[MAKE_DIRECTORY_SIZE];
    int kind = ParseMakeDirectoryLine(line, directory);
    if (kind == MAKE_ENTERING) Enter(dirs, directory);
    if (kind == MAKE_LEAVING) Leave(dirs, directory);
    dirs->lines++;
}

const char* MakeDirectoryAt(const MakeDirectories* dirs, int index) {
    size_t low = 0, high = dirs->changeCount;  // the first change after index is in [low, high]
    while (low < high) {
        size_t mid = (low + high) / 2;
        if (dirs->changes[mid].line <= index)
            low = mid + 1;
        else
            high = mid;
    }
    if (low == 0) return nullptr;
    int name = dirs->changes[low - 1].name;
    return name < 0 ? nullptr : dirs->names + name;
}
