#pragma once
#include <cstddef>
#include <cstdint>

// A name inside a file's string pool: a pointer into the pool (null for no name) and its
// length in bytes.
struct L3D_NAMEREF {
    const char* text = nullptr;
    uint32_t length = 0;
};

// Reads one property value up to the end of its line (NUL, CR or LF) into the buffer: double
// quotes are removed (blanks inside them kept), a backslash makes the next character literal
// and is removed; the second byte of a double-byte character is never a quote or backslash.
// Blanks do not separate: the rest of the line is one value. Stores at most size - 1 bytes
// and a NUL (characters that do not fit are dropped); the output may be the input itself.
// Returns the character that ended the input: 0, '\r' or '\n'.
char l3dParseToken(char* output, size_t size, const char* input);

inline constexpr size_t kL3DTokenSize = 264;
// Copies at most 263 bytes of the reference (stopping at a NUL; a null pointer is empty) into
// the 264-byte buffer and reads it in place with l3dParseToken.
char l3dGetToken(char* output, const L3D_NAMEREF& reference);
