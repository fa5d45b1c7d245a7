#pragma once
#include <cstdarg>
#include <cstddef>

// The framework's printf over UTF-16, independent of the C locale. Conversions: d i u x X c s
// f F e E g G and %%; flags - + space # 0; width and precision (numbers or '*'); lengths hh h
// l ll z and I64/I32. "%s" takes 8-bit CP932 text, "%ls" UTF-16 text; "%c" an 8-bit unit,
// "%lc" a UTF-16 unit. A NULL text prints as "(null)"; an unknown conversion is copied as
// written.

// Formats into the destination. A result that does not fit in size units (terminator
// included) leaves an empty text; a size of 0 writes nothing.
void pelSprintf(char16_t* destination, size_t size, const char16_t* format, ...);
void pelVsprintf(char16_t* destination, size_t size, const char16_t* format, va_list args);

// Formats as much as fits (never splitting a surrogate pair) and terminates when size is not
// 0. Returns the length in units that the whole result needs.
size_t pelVformatCut(char16_t* destination, size_t size, const char16_t* format, va_list args);
