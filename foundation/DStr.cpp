#include "foundation/DStr.h"

#include <cstring>

namespace mirel {
namespace {

const char* OrEmpty(const char* text) { return text ? text : ""; }

bool IsAsciiUpper(unsigned char c) { return c >= 'A' && c <= 'Z'; }
bool IsAsciiLower(unsigned char c) { return c >= 'a' && c <= 'z'; }

// Single bytes x (from b) and y (from a) match exactly, or as the two cases of an ASCII letter.
bool SingleBytesMatch(unsigned char x, unsigned char y) {
    if (x == y) return true;
    if (IsAsciiUpper(x)) return y == x + 32;
    if (IsAsciiLower(x)) return y == x - 32;
    return false;
}

}  // namespace

void DStrCopy(char* buffer, const char* text) { std::strcpy(buffer, OrEmpty(text)); }

void DStrCopyN(char* buffer, const char* text, size_t n) {
    if (n == 0) return;
    text = OrEmpty(text);
    size_t i = 0;
    for (; i + 1 < n && text[i] != '\0'; ++i) buffer[i] = text[i];
    buffer[i] = '\0';
}

void DStrAppend(char* buffer, const char* text) { std::strcat(buffer, OrEmpty(text)); }

int DStrCompareN(const char* a, const char* b, size_t n) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (size_t i = 0; i < n; ++i) {
        if (a[i] != b[i]) return 1;
        if (a[i] == '\0') return 0;
    }
    return 0;
}

int DStrEquals(const char* a, const char* b) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    const size_t length = std::strlen(a);
    if (length != std::strlen(b)) return 1;
    return DStrCompareN(a, b, length);
}

int DStrCompareNoCase(const char* a, const char* b, size_t n) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    size_t i = 0;
    while (i < n) {
        const auto x = static_cast<unsigned char>(b[i]);
        const auto y = static_cast<unsigned char>(a[i]);
        if (x == 0) return y == 0 ? 0 : 1;
        if (y == 0) return 1;
        if (DIsDoubleByte(b + i)) {
            if (!DIsDoubleByte(a + i) || x != y || b[i + 1] != a[i + 1]) return 1;
            i += 2;
            continue;
        }
        if (DIsDoubleByte(a + i)) return 1;
        if (!SingleBytesMatch(x, y)) return 1;
        ++i;
    }
    return 0;
}

int DStrEqualsNoCase(const char* a, const char* b) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    const size_t length = std::strlen(a);
    if (length != std::strlen(b)) return 1;
    return DStrCompareNoCase(a, b, length);
}

uint32_t DStrNextChar(const char*& cursor) {
    if (!cursor) return 0;
    const auto c = static_cast<unsigned char>(cursor[0]);
    if (c == '\0' || c == '\n' || c == '\r') return 0;
    if (DIsDoubleByte(cursor)) {
        const uint32_t unit = c * 256u + static_cast<unsigned char>(cursor[1]);
        cursor += 2;
        return unit;
    }
    ++cursor;
    return c;
}

size_t DStrToCodeUnits(uint16_t* units, const char* text, size_t n) {
    text = OrEmpty(text);
    size_t count = 0;
    size_t i = 0;
    while (i < n && text[i] != '\0') {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (DIsDoubleByte(text + i)) {
            if (n - i < 2) break;
            const auto trail = static_cast<unsigned char>(text[i + 1]);
            units[count++] = static_cast<uint16_t>(lead * 256u + trail);
            i += 2;
        } else {
            units[count++] = lead;
            ++i;
        }
    }
    units[count] = 0;
    return count;
}

size_t DCodeUnitsToStr(char* buffer, const uint16_t* units, size_t n) {
    size_t length = 0;
    for (size_t i = 0; i < n && units[i] != 0; ++i) {
        if (units[i] >= 256) buffer[length++] = static_cast<char>(units[i] >> 8);
        buffer[length++] = static_cast<char>(units[i] & 0xFF);
    }
    buffer[length] = '\0';
    return length + 1;
}

}  // namespace mirel
