// Helpers for NUL-terminated code page 932 (Shift-JIS) byte strings.
// A search never matches at the trail byte of a double-byte character: the
// second byte of many kanji and kana equals '\\', '|', '@' or a letter.
#pragma once
#include <stddef.h>

// <windows.h> (through <commdlg.h>) defines FindText as FindTextA. Bravik has
// no find dialog; whichever header comes first, cp932::FindText names ours.
#ifdef FindText
#undef FindText
#endif

namespace cp932 {

/// True for a byte that starts a double-byte character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

/// Position of the next character after p (one or two bytes; never past the NUL).
inline const char* Next(const char* p) {
    if (IsLeadByte((unsigned char)*p) && p[1] != '\0') return p + 2;
    return *p ? p + 1 : p;
}
/// Start of the character before p, found by walking text from its start
/// (p itself when p == text). p must lie on a character boundary of text.
const char* Prev(const char* text, const char* p);
/// True when p is the start of a character of text (not a trail byte).
bool IsCharStart(const char* text, const char* p);

/// First occurrence of the single-byte character c, or nullptr.
const char* FindChar(const char* text, char c);
/// Last occurrence of the single-byte character c, or nullptr.
const char* FindLastChar(const char* text, char c);
/// First occurrence of needle that starts on a character boundary, or nullptr.
/// An empty needle is found at the start.
const char* FindText(const char* text, const char* needle);
/// The name that cp932::FindText becomes when <windows.h> is included later.
inline const char* FindTextA(const char* text, const char* needle) { return FindText(text, needle); }
/// True when a and b are equal, ASCII letters compared without case and
/// double-byte characters compared as units.
bool EqualNoCase(const char* a, const char* b);
/// True when the first n bytes of a and b are equal without regard to ASCII case
/// (a double-byte character is never split from its lead byte's partner).
bool EqualNoCaseN(const char* a, const char* b, size_t n);
/// ASCII letters to upper case, in place; double-byte characters untouched.
void UpperAscii(char* text);

/// Copies src into dst (size bytes, NUL included), cutting a longer text so
/// that it never ends on a lone lead byte. Returns the number of bytes copied.
size_t CopyCut(char* dst, size_t size, const char* src);
/// Copies at most n bytes of src, then as CopyCut.
size_t CopyCutN(char* dst, size_t size, const char* src, size_t n);
/// Appends src to the text already in dst, as CopyCut. Returns the new length.
size_t AppendCut(char* dst, size_t size, const char* src);

}  // namespace cp932
