#pragma once
#include <cstddef>
#include <cstdint>

// Scanners of the 3D library's Shift-JIS property text: lines of words and `key = value`
// pairs. A cursor points into NUL-terminated text and is advanced by each call. Blanks are
// space, tab and the full-width space (0x81 0x40); a line ends at NUL, CR or LF. A lead byte
// and the byte after it are one character, except a lead byte right before the NUL, which
// counts as one byte, so no scan steps over the terminator.

// Moves the cursor over blanks; a line end is not passed.
void l3dSkipBlanks(const char*& cursor);
// Moves the cursor to the end of the line and then over every CR and LF that follows, so empty
// lines are passed too; stops at NUL.
void l3dSkipLine(const char*& cursor);
// Skips blanks and copies one word, up to the next blank (the cursor is left on it) or line end
// (left on it), into the buffer: at most size - 1 bytes and a NUL (nothing when size is 0).
// Characters that do not fit are passed over unstored. Returns the start of the word in the
// text.
const char* l3dReadWord(const char*& cursor, char* buffer, size_t size);

// Parses one `key = value` item of a property line. The key runs to a blank or "="; after
// optional blanks and "=" the value runs to the first blank outside double quotes (the cursor
// is left after that blank). A backslash takes the next character into the value; quotes and
// backslashes count in its length. A line end reached in the key or the value sets `end` and
// leaves the cursor on it. A key not followed by "=" gets no value (null start, length 0), and
// the cursor is left on the next word. The four outputs may be null; those given are cleared
// first. With `end` already set nothing happens.
void l3dParseKeyValue(const char*& cursor, const char** keyStart, uint32_t* keyLength,
                      const char** valueStart, uint32_t* valueLength, bool& end);
