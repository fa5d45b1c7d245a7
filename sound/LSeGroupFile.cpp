#include "sound/LSeGroupFile.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "foundation/DStr.h"
#include "render3d/text/text_scan.h"
#include "render3d/text/text_token.h"

namespace mirel {
namespace {

constexpr size_t kWordSize = 1024;

// Leading blanks, a sign, then digits up to the first other character (none: 0); saturates.
int64_t parseDecimal(const char* text) {
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\f' ||
           *text == '\v') {
        ++text;
    }
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    int64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        value = std::min<int64_t>(value * 10 + (*text++ - '0'), int64_t{1} << 40);
    }
    return negative ? -value : value;
}

// Copies the text piece (cut to 1023 bytes) and removes its quotes and escapes.
void readToken(char (&buffer)[kWordSize], const char* text, uint32_t length) {
    const size_t n = std::min<size_t>(length, kWordSize - 1);
    std::memcpy(buffer, text, n);
    buffer[n] = '\0';
    l3dParseToken(buffer, kWordSize, buffer);
}

uint32_t parseFlags(const char* value) {
    uint32_t flags = 0;
    const char* cursor = value;
    char word[kWordSize];
    for (;;) {
        l3dReadWord(cursor, word, sizeof word);
        if (word[0] == '\0') break;
        if (DStrEqualsNoCase(word, "3d") == 0) flags |= kLSe3d;
        if (DStrEqualsNoCase(word, "voice") == 0) flags |= kLSeVoice;
        if (DStrEqualsNoCase(word, "slave") == 0) flags |= kLSeSlave;
        if (DStrEqualsNoCase(word, "stop") == 0) flags |= kLSeStop;
    }
    if (!(flags & kLSe3d)) flags &= ~(kLSeVoice | kLSeSlave);
    return flags;
}

// Applies the pairs of the rest of the line; `name` only for effect sections.
void readPairs(const char*& cursor, LSeEffectSettings& settings, bool withName) {
    bool end = false;
    while (!end) {
        const char* keyStart = nullptr;
        const char* valueStart = nullptr;
        uint32_t keyLength = 0, valueLength = 0;
        l3dParseKeyValue(cursor, &keyStart, &keyLength, &valueStart, &valueLength, end);
        char key[kWordSize];
        char value[kWordSize];
        readToken(key, keyStart, keyLength);
        readToken(value, valueStart ? valueStart : "", valueLength);
        if (DStrEqualsNoCase(key, "count") == 0) {
            const int64_t count = parseDecimal(value);
            if (count >= 0)
                settings.count = static_cast<uint32_t>(std::min<int64_t>(count, kLSeMaxVoices));
        } else if (DStrEqualsNoCase(key, "flags") == 0) {
            settings.flags = parseFlags(value);
        } else if (DStrEqualsNoCase(key, "priority") == 0) {
            settings.priority = static_cast<int32_t>(
                std::clamp<int64_t>(parseDecimal(value), INT32_MIN, INT32_MAX));
        } else if (withName && DStrEqualsNoCase(key, "name") == 0) {
            DStrCopyN(settings.name, value, sizeof settings.name);
        }
    }
}

void skipBreaksAndBlanks(const char*& cursor) {
    for (;;) {
        while (*cursor == '\r' || *cursor == '\n') ++cursor;
        const char* before = cursor;
        l3dSkipBlanks(cursor);
        if (cursor == before && *cursor != '\r' && *cursor != '\n') return;
    }
}

// The effect number of a word beginning with "@se" (without case), or -1.
int64_t effectNumber(const char* word) {
    if (DStrCompareNoCase(word, "@se", 3) != 0) return -1;
    return parseDecimal(word + 3);
}

}  // namespace

LSeGroupFile LSeParseGroupFile(const char* text) {
    LSeGroupFile file;
    // First pass: the effect count and the defaults.
    uint32_t effectCount = 0;
    char word[kWordSize];
    for (const char* cursor = text;;) {
        skipBreaksAndBlanks(cursor);
        if (*cursor == '\0') break;
        l3dReadWord(cursor, word, sizeof word);
        if (DStrEqualsNoCase(word, "@prop") == 0) {
            readPairs(cursor, file.defaults, false);
            continue;
        }
        const int64_t n = effectNumber(word);
        if (n >= 0 && n < kLSeMaxEffects && n + 1 > effectCount) {
            effectCount = static_cast<uint32_t>(n + 1);
        }
    }
    file.effects.assign(effectCount, file.defaults);
    for (LSeEffectSettings& effect : file.effects) effect.name[0] = '\0';

    // Second pass: the first line headed "@se%u" of each effect number.
    std::vector<bool> seen(effectCount, false);
    for (const char* cursor = text; *cursor != '\0';) {
        l3dReadWord(cursor, word, sizeof word);
        const int64_t n = effectNumber(word);
        if (n >= 0 && n < effectCount && !seen[n]) {
            char header[32];
            std::snprintf(header, sizeof header, "@se%u", static_cast<unsigned>(n));
            if (DStrEqualsNoCase(word, header) == 0) {
                seen[n] = true;
                readPairs(cursor, file.effects[n], true);
            }
        }
        l3dSkipLine(cursor);
    }
    return file;
}

}  // namespace mirel
