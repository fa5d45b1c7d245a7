#include "render3d/text/text_scan.h"

#include "foundation/DStr.h"

namespace {

bool isLineEnd(char c) { return c == '\0' || c == '\r' || c == '\n'; }

// The byte length of the blank at p, 0 when there is none.
size_t blankLength(const char* p) {
    if (*p == ' ' || *p == '\t') return 1;
    if (static_cast<unsigned char>(p[0]) == 0x81 && static_cast<unsigned char>(p[1]) == 0x40) {
        return 2;
    }
    return 0;
}

size_t characterLength(const char* p) { return mirel::DIsDoubleByte(p) ? 2 : 1; }

}  // namespace

void l3dSkipBlanks(const char*& cursor) {
    while (size_t n = blankLength(cursor)) cursor += n;
}

void l3dSkipLine(const char*& cursor) {
    while (!isLineEnd(*cursor)) cursor += characterLength(cursor);
    while (*cursor == '\r' || *cursor == '\n') ++cursor;
}

const char* l3dReadWord(const char*& cursor, char* buffer, size_t size) {
    l3dSkipBlanks(cursor);
    const char* start = cursor;
    size_t stored = 0;
    while (!isLineEnd(*cursor) && blankLength(cursor) == 0) {
        const size_t n = characterLength(cursor);
        if (stored + n < size) {
            for (size_t i = 0; i < n; ++i) buffer[stored++] = cursor[i];
        }
        cursor += n;
    }
    if (size > 0) buffer[stored] = '\0';
    return start;
}

void l3dParseKeyValue(const char*& cursor, const char** keyStart, uint32_t* keyLength,
                      const char** valueStart, uint32_t* valueLength, bool& end) {
    if (keyStart) *keyStart = nullptr;
    if (keyLength) *keyLength = 0;
    if (valueStart) *valueStart = nullptr;
    if (valueLength) *valueLength = 0;
    if (end) return;
    l3dSkipBlanks(cursor);
    const char* key = cursor;
    if (keyStart) *keyStart = key;
    while (*cursor != '=' && blankLength(cursor) == 0 && !isLineEnd(*cursor)) {
        cursor += characterLength(cursor);
    }
    if (keyLength) *keyLength = static_cast<uint32_t>(cursor - key);
    if (isLineEnd(*cursor)) {
        end = true;
        return;
    }
    l3dSkipBlanks(cursor);
    if (*cursor != '=') return;
    ++cursor;
    l3dSkipBlanks(cursor);
    const char* value = cursor;
    if (valueStart) *valueStart = value;
    bool quoted = false;
    size_t blank = 0;
    for (;;) {
        if (isLineEnd(*cursor)) {
            end = true;
            break;
        }
        if (!quoted && (blank = blankLength(cursor)) != 0) break;
        if (*cursor == '\\') {
            ++cursor;
            if (isLineEnd(*cursor)) {
                end = true;
                break;
            }
            cursor += characterLength(cursor);
        } else if (*cursor == '"') {
            quoted = !quoted;
            ++cursor;
        } else {
            cursor += characterLength(cursor);
        }
    }
    if (valueLength) *valueLength = static_cast<uint32_t>(cursor - value);
    cursor += blank;
}
