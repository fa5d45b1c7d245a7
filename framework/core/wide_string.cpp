#include "framework/core/wide_string.h"

#include <cstdlib>
#include <cstring>

#include "framework/core/report.h"

namespace {

constexpr char16_t kFullWidthEquals = u'\uFF1D';
constexpr char16_t kFullWidthEscape = u'\uFFE5';
constexpr char16_t kRightDoubleQuote = u'\u201D';

bool isEquals(char16_t unit) { return unit == u'=' || unit == kFullWidthEquals; }

bool inList(char16_t unit, const char16_t* list) {
    if (!list) return false;
    for (; *list; ++list) {
        if (*list == unit) return true;
    }
    return false;
}

}  // namespace

bool pelCharIsDigit(char16_t unit) {
    return (unit >= u'0' && unit <= u'9') || (unit >= 0xFF10 && unit <= 0xFF19);
}

bool pelCharIsBlank(char16_t unit) { return unit == u'\t' || unit == u' ' || unit == 0x3000; }

bool pelCharIsControl(char16_t unit) {
    if (unit <= 8 || unit == 11 || unit == 12 || (unit >= 14 && unit <= 31)) return true;
    if ((unit >= 127 && unit <= 160) || unit == 173) return true;
    if ((unit >= 0x2000 && unit <= 0x200F) || unit == 0x2011) return true;
    return (unit >= 0x2028 && unit <= 0x202F) || (unit >= 0x205F && unit <= 0x206F);
}

char16_t pelCharToLower(char16_t unit) {
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xFF21 && unit <= 0xFF3A))
        return static_cast<char16_t>(unit + 32);
    return unit;
}

size_t pelStrLength(const char16_t* text) {
    size_t length = 0;
    while (text[length]) ++length;
    return length;
}

const char16_t* pelStrCopy(const char16_t* source, char16_t* destination, size_t size) {
    if (size == 0) return *source ? nullptr : source;
    size_t i = 0;
    for (; i + 1 < size && source[i]; ++i) destination[i] = source[i];
    destination[i] = 0;
    return source[i] ? nullptr : source + i;
}

void pelStrCat(size_t size, char16_t* destination, const char16_t* source) {
    size_t length = 0;
    while (length < size && destination[length]) ++length;
    if (length >= size) return;
    pelStrCopy(source, destination + length, size - length);
}

char16_t* pelStrDup(const char16_t* source) {
    const size_t bytes = (pelStrLength(source) + 1) * sizeof(char16_t);
    auto* copy = pelCheckAlloc(static_cast<char16_t*>(std::malloc(bytes)));
    if (copy) std::memcpy(copy, source, bytes);
    return copy;
}

bool pelStrEqual(const char16_t* a, const char16_t* b) {
    if (a == b) return true;
    for (; *a == *b; ++a, ++b) {
        if (*a == 0) return true;
    }
    return false;
}

bool pelStrCompareNoCase(const char16_t* a, const char16_t* b, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        if (pelCharToLower(a[i]) != pelCharToLower(b[i])) return false;
        if (b[i] == 0) return true;
    }
    return true;
}

void pelStrToLower(char16_t* text) {
    for (; *text; ++text) *text = pelCharToLower(*text);
}

const char16_t* pelPathFindSeparator(const char16_t* text) {
    for (; *text; ++text) {
        if (*text == u'/' || *text == u'\\') return text;
    }
    return nullptr;
}

const char16_t* pelPathFindLastSeparator(const char16_t* text) {
    const char16_t* last = nullptr;
    for (; *text; ++text) {
        if (*text == u'/' || *text == u'\\') last = text;
    }
    return last;
}

const char16_t* pelStrFindUrlScheme(const char16_t* text) {
    for (; *text; ++text) {
        if (text[0] == u':' && text[1] == u'/' && text[2] == u'/') return text;
    }
    return nullptr;
}

const char16_t* pelStrSkipBlank(const char16_t* position) {
    while (*position && (pelCharIsBlank(*position) || pelCharIsControl(*position))) ++position;
    return position;
}

const char16_t* pelStrReadToken(const char16_t* position, const char16_t* terminators,
                                char16_t* output, size_t outputSize, bool stopAtEquals) {
    position = pelStrSkipBlank(position);
    bool escape = false;
    bool quoted = false;
    size_t stored = 0;
    for (;; ++position) {
        const char16_t unit = *position;
        if (unit == 0 || unit == u'\n' || unit == u'\r') break;
        if (escape) {
            escape = false;
        } else {
            if (!quoted) {
                if (pelCharIsBlank(unit) || pelCharIsControl(unit)) break;
                if (stopAtEquals && isEquals(unit)) break;
                if (inList(unit, terminators)) break;
            }
            if (unit == u'\\' || unit == kFullWidthEscape) {
                escape = true;
                continue;
            }
            if (unit == u'"' || unit == kRightDoubleQuote) {
                quoted = !quoted;
                continue;
            }
        }
        if (output && stored + 1 < outputSize) output[stored++] = unit;
    }
    if (output && outputSize > 0) output[stored] = 0;
    return position;
}

const char16_t* pelStrReadKey(size_t outputSize, char16_t* output, const char16_t* position,
                              const char16_t* terminators) {
    if (output && outputSize > 0) output[0] = 0;
    const char16_t* afterKey = pelStrReadToken(position, terminators, output, outputSize, true);
    const char16_t* next = pelStrSkipBlank(afterKey);
    if (!isEquals(*next)) return afterKey;
    return pelStrReadToken(next + 1, terminators, nullptr, 0, false);
}

const char16_t* pelStrSkipItem(const char16_t* position, const char16_t* terminators) {
    return pelStrSkipBlank(pelStrReadKey(0, nullptr, position, terminators));
}

size_t pelStrToUtf8(char* destination, size_t destinationSize, size_t* unitsConverted,
                    const char16_t* source) {
    size_t needed = 0;
    size_t written = 0;
    size_t units = 0;
    bool fits = destination && destinationSize > 0;
    for (; *source; ++source) {
        const unsigned unit = *source;
        unsigned char bytes[3];
        size_t length;
        if (unit < 0x80) {
            bytes[0] = static_cast<unsigned char>(unit);
            length = 1;
        } else if (unit < 0x800) {
            bytes[0] = static_cast<unsigned char>(0xC0 | (unit >> 6));
            bytes[1] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
            length = 2;
        } else {
            bytes[0] = static_cast<unsigned char>(0xE0 | (unit >> 12));
            bytes[1] = static_cast<unsigned char>(0x80 | ((unit >> 6) & 0x3F));
            bytes[2] = static_cast<unsigned char>(0x80 | (unit & 0x3F));
            length = 3;
        }
        needed += length;
        if (fits && written + length < destinationSize) {
            std::memcpy(destination + written, bytes, length);
            written += length;
            ++units;
        } else {
            fits = false;
        }
    }
    if (destination && destinationSize > 0) destination[written] = 0;
    if (unitsConverted) *unitsConverted = units;
    return needed;
}

size_t pelStrFromUtf8(char16_t* destination, size_t destinationSize, size_t* bytesConsumed,
                      const char* source) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(source);
    size_t needed = 0;
    size_t written = 0;
    size_t consumed = 0;
    size_t at = 0;
    while (bytes[at]) {
        const unsigned lead = bytes[at];
        size_t length = 1;
        if ((lead & 0xF8) == 0xF0) {
            length = 4;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
        }
        bool complete = true;
        for (size_t k = 1; k < length; ++k) {
            if (bytes[at + k] == 0) {
                complete = false;
                break;
            }
        }
        if (!complete) break;
        char16_t unit;
        switch (length) {
        case 4:
            unit = u'?';
            break;
        case 3:
            unit = static_cast<char16_t>((lead & 0x0F) << 12 | (bytes[at + 1] & 0x3F) << 6 |
                                         (bytes[at + 2] & 0x3F));
            break;
        case 2:
            unit = static_cast<char16_t>((lead & 0x1F) << 6 | (bytes[at + 1] & 0x3F));
            break;
        default:
            unit = static_cast<char16_t>(lead);
            break;
        }
        if (destination && written + 1 < destinationSize) {
            destination[written++] = unit;
            consumed = at + length;
        }
        ++needed;
        at += length;
    }
    if (destination && destinationSize > 0) destination[written] = 0;
    if (bytesConsumed) *bytesConsumed = consumed;
    return needed;
}

uint64_t pelSwapU64(uint64_t value) { return __builtin_bswap64(value); }
