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

// One `key = value` item of a property line, as pointers into the text and byte lengths.
struct L3DKeyValue {
    const char* key = nullptr;
    uint32_t keyLength = 0;
    const char* value = nullptr;  // null when the key has no "="
    uint32_t valueLength = 0;
};
// Parses one item: the key runs to a blank or "="; after optional blanks and "=" the value
// runs to the first blank outside double quotes (the cursor is left after that blank). A
// backslash takes the next character into the value; quotes and backslashes count in the
// length. A line end reached in the key or the value sets `end` and leaves the cursor on it.
// With `end` already set nothing happens. A key not followed by "=" gets no value, and the
// cursor is left on the next word.
void l3dParseKeyValue(const char*& cursor, L3DKeyValue& item, bool& end);
