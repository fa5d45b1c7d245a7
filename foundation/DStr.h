#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/os/cp932.h"

namespace mirel {

// Helpers over Shift-JIS (code page 932) text. Every scan is lead-byte aware: a lead byte and
// the byte after it form one character, so a trail byte equal to '\', '/', '.' or a letter is
// never taken for one. A lead byte right before the NUL counts as a single byte, so no scan
// ever steps over the terminator. A null text counts as "".
//
// The comparisons return 0 when the texts are equal and 1 otherwise.

inline bool DIsLeadByte(char c) {
    return platform::os::isCp932LeadByte(static_cast<unsigned char>(c));
}

// True when a double-byte character starts at p.
inline bool DIsDoubleByte(const char* p) { return DIsLeadByte(p[0]) && p[1] != '\0'; }

// Copies the text and its NUL (the buffer must be large enough).
void DStrCopy(char* buffer, const char* text);
// Copies at most n - 1 bytes and a NUL; nothing when n is 0.
void DStrCopyN(char* buffer, const char* text, size_t n);
// Appends the text at the buffer's NUL (the buffer must be large enough).
void DStrAppend(char* buffer, const char* text);

// Exact comparison of at most n bytes (texts that end at the same NUL within n are equal).
int DStrCompareN(const char* a, const char* b, size_t n);
int DStrEquals(const char* a, const char* b);
// Comparison of at most n bytes: double-byte characters exactly, ASCII letters without regard
// to case, every other byte exactly.
int DStrCompareNoCase(const char* a, const char* b, size_t n);
int DStrEqualsNoCase(const char* a, const char* b);

// Reads the character at the cursor and advances past it: a double-byte character gives
// lead * 256 + trail; NUL, LF and CR give 0 and leave the cursor where it is.
uint32_t DStrNextChar(const char*& cursor);

// Packs text into 16-bit code units, one per character: a single byte as its value, a
// double-byte character as lead * 256 + trail (not UTF-16). Converts at most n bytes, stopping
// at the NUL and before a character that would cross n; the units end with a 0 unit, which
// the returned count leaves out.
size_t DStrToCodeUnits(uint16_t* units, const char* text, size_t n = SIZE_MAX);
// The reverse: at most n units, stopping at a 0 unit; a unit of 256 or more becomes two bytes,
// high byte first. Writes a NUL and returns the bytes written including it.
size_t DCodeUnitsToStr(char* buffer, const uint16_t* units, size_t n = SIZE_MAX);

}  // namespace mirel
