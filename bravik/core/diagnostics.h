// What Bravik knows about a line of build output: error and warning words,
// and the file name and line number a diagnostic names.
#pragma once

const int ERROR_KEYWORD_COUNT = 13;
const int DIAGNOSTIC_KEYWORD_COUNT = 6;
/// Size of the caller's file-name buffer: at most 259 bytes of name and the NUL.
const int DIAGNOSTIC_FILE_NAME_SIZE = 260;
/// The 13 error and warning words in search order (CP932); the first six are
/// the words the diagnostic forms look for.
extern const char* const errorKeywords[ERROR_KEYWORD_COUNT];
extern const char* const* const diagnosticKeywords;

/// Position of the first keyword of errorKeywords (in table order) found in
/// text, case-sensitive and multibyte-aware; nullptr when there is none.
/// One pass over the text, no allocation.
const char* FindErrorKeyword(const char* text);

/// Line number named by a build-output line (no CR/LF), 0 when the line is
/// no diagnostic; the file name goes into fileName (260 bytes, always emptied
/// first, '/' turned into '\' in a found result). A name that would need more
/// than 259 bytes makes the form that found it not match. No allocation.
int ParseDiagnosticLine(const char* line, char* fileName);
