// The make child's output as the run dialog shows it: the bytes read from
// the pipe cut into lines, each classified as highlighted or normal, and put
// into one rich-text document per batch that the pane takes in one go.
#pragma once
#include <stddef.h>

struct MakeDirectories;

/// An unfinished last line of up to PENDING_LINE_MAX bytes waits for the rest
/// of its line; a longer one is shown at once, unclassified.
const size_t PENDING_LINE_MAX = 1022;

enum HighlightFlags {
    HIGHLIGHT_ERRORS = 1,    // lines holding an error or warning word
    HIGHLIGHT_JUMPABLE = 2,  // lines naming a source file and a line number
};

/// Text ready for one append to the pane. Owns its buffer (FreeOutputBatch).
struct OutputBatch {
    /// An RTF document in code page 932: the pane's font (ＭＳ Ｐゴシック 9 pt),
    /// every line ended by \par, highlighted lines in bold red (\b\cf1),
    /// the others in the automatic colour, not bold (\b0\cf0).
    char* text;
    size_t textLength;
    size_t textCapacity;
    int lines;  // complete lines in the document
    /// The same lines as plain text, each ended by CR LF, and whether the
    /// batch can go in as that text: no line is highlighted and none holds a
    /// control character other than a tab.
    char* plain;
    size_t plainLength;
    size_t plainCapacity;
    bool plainWillDo;
    char* line;  // the line being classified, without its NULs
    size_t lineCapacity;
};

/// What the splitting remembers between batches.
struct OutputLines {
    int highlightFlags;
    bool errorKeyword;   // an error keyword has been shown (close-on-success test)
    bool midLine;        // the pane's last line is an unclassified piece without its end
    char pieceTail[16];  // the end of that piece, so a keyword cut by it is still found
    // Counted over the classified lines whatever the highlighting: lines with
    // an error keyword, and lines the recognizer takes as diagnostics.
    int errorLines;
    int jumpableLines;
    MakeDirectories* directories;  // make's directory stack, when the caller tracks it
};

void InitOutputLines(OutputLines* state, int highlightFlags);
void InitOutputBatch(OutputBatch* batch);
void FreeOutputBatch(OutputBatch* batch);

/// Notes the error keywords of text shown outside the line splitting (the
/// command line, the completion message) for the close-on-success test.
void NoteShownText(OutputLines* state, const char* text);

/// Takes from data[0..size) what can be shown now into batch (emptied first).
/// A line ends at LF, CR LF or CR; each whole line is classified. The last
/// unfinished line waits (it is the pending line) unless it has grown beyond
/// PENDING_LINE_MAX bytes (shown at once, unclassified, without line end) or
/// `final` is set (the child has ended and the pipe is empty: shown
/// unclassified, as it is). Every line and piece is cleaned first
/// (CleanOutputLine: escapes removed, UTF-8 converted). A CR at the very end
/// waits for a possible LF unless `final`. NUL bytes are dropped. Stops after maxLines lines or once
/// maxBytes bytes were taken, but always takes a line that is complete.
/// Returns the number of bytes of data taken (0 when nothing can be shown yet,
/// or when memory for the batch ran out: the data then stays).
size_t TakeOutputLines(OutputLines* state, const char* data, size_t size, bool final, int maxLines,
                       size_t maxBytes, OutputBatch* batch);
