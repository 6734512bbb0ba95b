#include "bravik/core/output_lines.h"

#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"

// A lead byte pairs only with a byte that can be a trail byte; a CR or LF
// after a stray lead byte still ends the line.
static bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

static size_t CharLength(const char* data, size_t i, size_t size) {
    if (cp932::IsLeadByte((unsigned char)data[i]) && i + 1 < size && IsTrailByte((unsigned char)data[i + 1]))
        return 2;
    return 1;
}

bool IsHighlightedLine(const char* line, int highlightFlags) {
    if ((highlightFlags & HIGHLIGHT_ERRORS) && FindErrorKeyword(line)) return true;
    if (highlightFlags & HIGHLIGHT_JUMPABLE) {
        char fileName[260];
        if (ParseDiagnosticLine(line, fileName) != 0 && fileName[0]) return true;
    }
    return false;
}

size_t PaneLength(const char* text, size_t n) {
    size_t count = 0;
    for (size_t i = 0; i < n; i += CharLength(text, i, n)) ++count;
    return count;
}

void InitOutputLines(OutputLines* state, int highlightFlags) {
    memset(state, 0, sizeof *state);
    state->highlightFlags = highlightFlags;
}

void InitOutputBatch(OutputBatch* batch) {
    memset(batch, 0, sizeof *batch);
}

void FreeOutputBatch(OutputBatch* batch) {
    free(batch->text);
    free(batch->highlights);
    InitOutputBatch(batch);
}

// Start of the last character that begins at most `keep` bytes before the end.
static size_t TailStart(const char* text, size_t n, size_t keep) {
    size_t i = 0;
    while (i < n && n - i > keep) i += CharLength(text, i, n);
    return i;
}

// A keyword may be cut between an unfinished piece and the text that follows
// it on the same pane line; the whole-text test would still find it.
static bool KeywordAcross(const OutputLines* state, const char* head, size_t headLength) {
    if (!state->midLine || !state->pieceTail[0]) return false;
    char joined[2 * sizeof state->pieceTail];
    size_t tail = strlen(state->pieceTail);
    memcpy(joined, state->pieceTail, tail);
    size_t take = 0;
    const size_t room = sizeof state->pieceTail - 1;
    while (take < headLength && take < room) {
        size_t step = CharLength(head, take, headLength);
        if (take + step > room) break;
        take += step;
    }
    memcpy(joined + tail, head, take);
    joined[tail + take] = '\0';
    return FindErrorKeyword(joined) != nullptr;
}

static void RememberTail(OutputLines* state, const char* piece, size_t n) {
    char joined[2 * sizeof state->pieceTail];
    size_t length = state->midLine ? strlen(state->pieceTail) : 0;
    memcpy(joined, state->pieceTail, length);
    size_t from = TailStart(piece, n, sizeof state->pieceTail - 1);
    memcpy(joined + length, piece + from, n - from);
    length += n - from;
    size_t keepFrom = TailStart(joined, length, sizeof state->pieceTail - 1);
    memcpy(state->pieceTail, joined + keepFrom, length - keepFrom);
    state->pieceTail[length - keepFrom] = '\0';
    state->midLine = true;
}

void NoteShownText(OutputLines* state, const char* text) {
    size_t n = strlen(text);
    if (FindErrorKeyword(text) || KeywordAcross(state, text, n)) state->errorKeyword = true;
    state->midLine = false;
}

// Copies n bytes without their NULs (they would end the text for the pane).
static size_t CopyWithoutNul(char* out, const char* in, size_t n) {
    size_t length = 0;
    for (size_t i = 0; i < n; ++i)
        if (in[i]) out[length++] = in[i];
    return length;
}

static bool Reserve(OutputBatch* batch, size_t textBytes, int ranges) {
    if (textBytes > batch->textCapacity) {
        char* grown = (char*)realloc(batch->text, textBytes);
        if (!grown) return false;
        batch->text = grown;
        batch->textCapacity = textBytes;
    }
    if (ranges > batch->highlightCapacity) {
        PaneRange* grown = (PaneRange*)realloc(batch->highlights, (size_t)ranges * sizeof(PaneRange));
        if (!grown) return false;
        batch->highlights = grown;
        batch->highlightCapacity = ranges;
    }
    return true;
}

// End of the line that starts at `from`: sets the length of its line end
// (1 or 2) and returns its position, or returns size when the line is not
// complete yet.
static size_t FindLineEnd(const char* data, size_t from, size_t size, bool final, size_t* endLength) {
    for (size_t i = from; i < size; i += CharLength(data, i, size)) {
        if (data[i] == '\n') {
            *endLength = 1;
            return i;
        }
        if (data[i] == '\r') {
            if (i + 1 < size) {
                *endLength = data[i + 1] == '\n' ? 2 : 1;
                return i;
            }
            if (!final) return size;  // an LF may still follow
            *endLength = 1;
            return i;
        }
    }
    return size;
}

// Bytes of an unfinished rest that can be shown now without splitting a
// character or a CR LF pair.
static size_t ShowablePart(const char* data, size_t size) {
    size_t i = 0, last = 0;
    while (i < size) {
        last = i;
        i += CharLength(data, i, size);
    }
    size_t n = size;
    if (size > 0 && cp932::IsLeadByte((unsigned char)data[last]) && last + 1 == size) n = last;
    if (n > 0 && data[n - 1] == '\r') --n;
    return n;
}

static void AddHighlight(OutputBatch* batch, size_t first, size_t last) {
    if (batch->highlightCount > 0 && batch->highlights[batch->highlightCount - 1].last == first) {
        batch->highlights[batch->highlightCount - 1].last = last;
        return;
    }
    batch->highlights[batch->highlightCount++] = PaneRange{first, last};
}

// Appends an unclassified piece that has no line end (yet).
static void AppendPiece(OutputLines* state, OutputBatch* batch, const char* piece, size_t n) {
    char* out = batch->text + batch->textLength;
    size_t length = CopyWithoutNul(out, piece, n);
    out[length] = '\0';
    if (!state->errorKeyword && (FindErrorKeyword(out) || KeywordAcross(state, out, length)))
        state->errorKeyword = true;
    RememberTail(state, out, length);
    batch->textLength += length;
    batch->paneLength += PaneLength(out, length);
}

static void AppendLine(OutputLines* state, OutputBatch* batch, const char* line, size_t n) {
    char* out = batch->text + batch->textLength;
    size_t length = CopyWithoutNul(out, line, n);
    out[length] = '\0';
    const int flags = state->highlightFlags;
    bool keyword = false;
    if ((flags & HIGHLIGHT_ERRORS) || !state->errorKeyword) keyword = FindErrorKeyword(out) != nullptr;
    if (!state->errorKeyword && (keyword || KeywordAcross(state, out, length))) state->errorKeyword = true;
    bool highlighted = (flags & HIGHLIGHT_ERRORS) && keyword;
    if (!highlighted && (flags & HIGHLIGHT_JUMPABLE)) {
        char fileName[260];
        highlighted = ParseDiagnosticLine(out, fileName) != 0 && fileName[0];
    }
    size_t first = batch->paneLength;
    batch->paneLength += PaneLength(out, length) + 1;  // "\r\n" is one paragraph mark
    if (highlighted) AddHighlight(batch, first, batch->paneLength);
    memcpy(out + length, "\r\n", 3);
    batch->textLength += length + 2;
    batch->lines++;
    state->midLine = false;
}

size_t TakeOutputLines(OutputLines* state, const char* data, size_t size, bool final, int maxLines,
                       size_t maxBytes, OutputBatch* batch) {
    batch->textLength = 0;
    batch->highlightCount = 0;
    batch->paneLength = 0;
    batch->lines = 0;
    if (batch->text) batch->text[0] = '\0';
    if (maxLines < 1) maxLines = 1;

    // First find how much to take, so the batch is sized once.
    size_t pos = 0, endLength = 0;
    int lines = 0;
    bool limited = false;
    while (pos < size) {
        if (lines > 0 && (lines >= maxLines || pos >= maxBytes)) {
            limited = true;
            break;
        }
        size_t end = FindLineEnd(data, pos, size, final, &endLength);
        if (end == size) break;
        pos = end + endLength;
        ++lines;
    }
    size_t linesEnd = pos;
    size_t rest = 0;
    if (!limited && pos < size) {
        if (final)
            rest = size - pos;
        else if (size - pos > PENDING_LINE_MAX)
            rest = ShowablePart(data + pos, size - pos);
    }
    size_t taken = linesEnd + rest;
    if (taken == 0) return 0;
    // Each line end grows by at most one byte ("\n" or "\r" -> "\r\n").
    if (!Reserve(batch, 2 * taken + 3, lines)) return 0;

    for (pos = 0; pos < linesEnd;) {
        size_t end = FindLineEnd(data, pos, size, final, &endLength);
        AppendLine(state, batch, data + pos, end - pos);
        pos = end + endLength;
    }
    if (rest) AppendPiece(state, batch, data + linesEnd, rest);
    batch->text[batch->textLength] = '\0';
    return taken;
}
