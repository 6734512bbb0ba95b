#include "bravik/core/run.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bravik/core/cp932.h"
#include "bravik/core/diagnostics.h"
#include "bravik/core/make_directories.h"
#include "bravik/core/output_text.h"

// The document starts in the pane's font and the normal format; the face
// name is CP932 written as RTF hex escapes.
static const char RtfHeader[] =
    "{\\rtf1\\ansi\\ansicpg932\\deff0{\\fonttbl{\\f0\\fnil\\fcharset128 "
    "\\'82\\'6c\\'82\\'72 \\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}"  // ＭＳ Ｐゴシック
    "{\\colortbl ;\\red255\\green0\\blue0;}\\f0\\fs18\\b0\\cf0 ";
static const char RtfHighlight[] = "\\b\\cf1 ";
static const char RtfNormal[] = "\\b0\\cf0 ";
static const char RtfLineEnd[] = "\\par\n";
const size_t RTF_BYTES_PER_BYTE = 6;  // the longest escape of one byte: "\u127?"
const size_t RTF_BYTES_PER_LINE = sizeof RtfNormal + sizeof RtfLineEnd;

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

void InitOutputLines(OutputLines* state, int highlightFlags) {
    memset(state, 0, sizeof *state);
    state->highlightFlags = highlightFlags;
}

void InitOutputBatch(OutputBatch* batch) {
    memset(batch, 0, sizeof *batch);
}

void FreeOutputBatch(OutputBatch* batch) {
    free(batch->text);
    free(batch->line);
    free(batch->plain);
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

static bool Reserve(char** buffer, size_t* capacity, size_t bytes) {
    if (bytes <= *capacity) return true;
    char* grown = (char*)realloc(*buffer, bytes);
    if (!grown) return false;
    *buffer = grown;
    *capacity = bytes;
    return true;
}

// End of the line that starts at `from`: sets the length of its line end
// (1 or 2) and returns its position, or returns size when the line is not
// complete yet. CR and LF are never trail bytes (IsTrailByte), so a walk by
// characters would stop at the same byte: the scan looks at eight at a time.
static size_t FindLineEnd(const char* data, size_t from, size_t size, bool final, size_t* endLength) {
    const uint64_t ones = 0x0101010101010101ULL, high = 0x8080808080808080ULL;
    size_t i = from;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        memcpy(&word, data + i, 8);
        uint64_t cr = word ^ (ones * '\r'), lf = word ^ (ones * '\n');  // a zero byte where one was
        if (((cr - ones) & ~cr & high) | ((lf - ones) & ~lf & high)) break;
    }
    for (; i < size; ++i) {
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
    // A UTF-8 line is cut before a character it has not received whole, so
    // that each part still converts.
    size_t utf8Tail = Utf8IncompleteTail(data, size);
    if (utf8Tail || IsUtf8Text(data, size)) n = size - utf8Tail;
    if (n > 0 && data[n - 1] == '\r') --n;
    return n;
}

static void Put(OutputBatch* batch, const char* text) {
    size_t n = strlen(text);
    memcpy(batch->text + batch->textLength, text, n);
    batch->textLength += n;
}

// Bytes that RTF takes as they are; one look per byte for the common case.
struct PlainBytes {
    bool plain[256];
    PlainBytes() {
        for (int c = 0; c < 256; ++c) plain[c] = c >= 0x20 && c < 0x7F && c != '\\' && c != '{' && c != '}';
    }
};
static const PlainBytes plainBytes;

// Writes text as RTF: the RTF specials escaped, bytes of 0x80 and more as hex
// (the reader joins them into CP932 characters again), control characters as
// the characters they are.
static void PutEscaped(OutputBatch* batch, const char* text, size_t n) {
    static const char hex[] = "0123456789abcdef";
    char* out = batch->text + batch->textLength;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (plainBytes.plain[c]) {
            *out++ = (char)c;
        } else if (c == '\\' || c == '{' || c == '}') {
            *out++ = '\\';
            *out++ = (char)c;
        } else if (c == '\t') {
            memcpy(out, "\\tab ", 5);
            out += 5;
        } else if (c < 0x20 || c == 0x7F) {
            out += sprintf(out, "\\u%u?", c);
            batch->plainWillDo = false;  // a control character the pane would take as a command
        } else {  // 0x80 and up
            *out++ = '\\';
            *out++ = '\'';
            *out++ = hex[c >> 4];
            *out++ = hex[c & 15];
        }
    }
    batch->textLength = (size_t)(out - batch->text);
}

// Copies n bytes into the batch's line buffer without their NULs (they would
// end the line for the keyword tests), cleaned as it will be shown, and
// returns the length.
static size_t TakeLine(OutputBatch* batch, const char* in, size_t n) {
    size_t length = 0;
    if (!memchr(in, '\0', n)) {
        memcpy(batch->line, in, n);
        length = n;
    } else {
        for (size_t i = 0; i < n; ++i)
            if (in[i]) batch->line[length++] = in[i];
    }
    length = CleanOutputLine(batch->line, length);
    batch->line[length] = '\0';
    return length;
}

// The counts and the directory stack look at every classified line.
static void NoteLine(OutputLines* state, const char* text, bool keyword, bool* jumpable) {
    if (keyword) state->errorLines++;
    char fileName[DIAGNOSTIC_FILE_NAME_SIZE];
    *jumpable = ParseDiagnosticLine(text, fileName) != 0 && fileName[0];
    if (*jumpable) state->jumpableLines++;
    if (state->directories) NoteMakeOutputLine(state->directories, text);
}

static void PutPlain(OutputBatch* batch, const char* text, size_t n) {
    memcpy(batch->plain + batch->plainLength, text, n);
    batch->plainLength += n;
}

static void SetFormat(OutputBatch* batch, bool* highlighted, bool highlight) {
    if (highlight) batch->plainWillDo = false;
    if (*highlighted == highlight) return;
    Put(batch, highlight ? RtfHighlight : RtfNormal);
    *highlighted = highlight;
}

// Appends an unclassified piece that has no line end (yet), in the normal format.
static void AppendPiece(OutputLines* state, OutputBatch* batch, bool* highlighted, const char* piece, size_t n) {
    size_t length = TakeLine(batch, piece, n);
    if (!state->errorKeyword && (FindErrorKeyword(batch->line) || KeywordAcross(state, batch->line, length)))
        state->errorKeyword = true;
    RememberTail(state, batch->line, length);
    SetFormat(batch, highlighted, false);
    PutEscaped(batch, batch->line, length);
    PutPlain(batch, batch->line, length);
}

static void AppendLine(OutputLines* state, OutputBatch* batch, bool* highlighted, const char* line, size_t n) {
    size_t length = TakeLine(batch, line, n);
    const char* text = batch->line;
    const int flags = state->highlightFlags;
    bool keyword = FindErrorKeyword(text) != nullptr;
    if (!state->errorKeyword && (keyword || KeywordAcross(state, text, length))) state->errorKeyword = true;
    bool jumpable;
    NoteLine(state, text, keyword, &jumpable);
    bool highlight = ((flags & HIGHLIGHT_ERRORS) && keyword) || ((flags & HIGHLIGHT_JUMPABLE) && jumpable);
    SetFormat(batch, highlighted, highlight);
    PutEscaped(batch, text, length);
    Put(batch, RtfLineEnd);
    PutPlain(batch, text, length);
    PutPlain(batch, "\r\n", 2);
    batch->lines++;
    state->midLine = false;
}

size_t TakeOutputLines(OutputLines* state, const char* data, size_t size, bool final, int maxLines,
                       size_t maxBytes, OutputBatch* batch) {
    batch->textLength = 0;
    batch->plainLength = 0;
    batch->plainWillDo = true;
    batch->lines = 0;
    if (batch->text) batch->text[0] = '\0';
    if (batch->plain) batch->plain[0] = '\0';
    if (maxLines < 1) maxLines = 1;

    // First find how much to take, so the buffers are sized once.
    size_t pos = 0, endLength = 0, longest = 0;
    int lines = 0;
    bool limited = false;
    while (pos < size) {
        if (lines > 0 && (lines >= maxLines || pos >= maxBytes)) {
            limited = true;
            break;
        }
        size_t end = FindLineEnd(data, pos, size, final, &endLength);
        if (end == size) break;
        if (end - pos > longest) longest = end - pos;
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
    if (rest > longest) longest = rest;
    size_t taken = linesEnd + rest;
    if (taken == 0) return 0;
    size_t rtfBytes = sizeof RtfHeader + RTF_BYTES_PER_BYTE * taken + RTF_BYTES_PER_LINE * ((size_t)lines + 1) + 2;
    if (!Reserve(&batch->text, &batch->textCapacity, rtfBytes) ||
        !Reserve(&batch->line, &batch->lineCapacity, longest + 1) ||
        !Reserve(&batch->plain, &batch->plainCapacity, taken + (size_t)lines + 1))
        return 0;

    Put(batch, RtfHeader);
    bool highlighted = false;
    for (pos = 0; pos < linesEnd;) {
        size_t end = FindLineEnd(data, pos, size, final, &endLength);
        AppendLine(state, batch, &highlighted, data + pos, end - pos);
        pos = end + endLength;
    }
    if (rest) AppendPiece(state, batch, &highlighted, data + linesEnd, rest);
    Put(batch, "}");
    batch->text[batch->textLength] = '\0';
    batch->plain[batch->plainLength] = '\0';
    return taken;
}
