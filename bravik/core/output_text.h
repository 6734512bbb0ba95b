// What a line of make output goes through before it is shown and classified:
// terminal escape sequences (colours) removed, UTF-8 turned into code page 932.
// Text that is not UTF-8 is taken as code page 932 and left as it is.
#pragma once
#include <stddef.h>
#include <stdint.h>

/// Removes escape sequences from text[0..length) in place: ESC '[' with its
/// parameter and intermediate bytes and a final byte, and any other ESC with
/// the one byte after it. A sequence cut off by the end of the text is removed
/// to the end; one broken by a byte that cannot belong to it ends before that
/// byte. Returns the new length.
size_t StripEscapes(char* text, size_t length);

/// True when text[0..length) holds a byte of 0x80 or more and is valid UTF-8
/// throughout (shortest forms, no surrogates, nothing above U+10FFFF).
bool IsUtf8Text(const char* text, size_t length);

/// Bytes at the end of text[0..length) that begin a UTF-8 character the text
/// does not complete (0 to 3), when everything before them is valid UTF-8;
/// 0 otherwise. Lets a long line be shown in parts without cutting a character.
size_t Utf8IncompleteTail(const char* text, size_t length);

/// Converts valid UTF-8 in place to code page 932; characters without a
/// code page 932 form become '?'. Returns the new length (never longer).
size_t Utf8ToCp932(char* text, size_t length);

/// The whole cleaning of one line: escapes stripped, then converted when the
/// rest is UTF-8 with a byte of 0x80 or more. Returns the new length.
size_t CleanOutputLine(char* text, size_t length);

/// Converts count UTF-16 units (none of them a surrogate) to code page 932
/// into out, which has room for 2 * count bytes; a character without a code
/// page 932 form becomes '?'. Returns the bytes written. One implementation
/// per platform: the Win32 code page functions, iconv elsewhere.
size_t EncodeCp932(const uint16_t* wide, size_t count, char* out);
