#include "render3d/text/text_token.h"

#include <algorithm>

#include "foundation/DStr.h"

char l3dParseToken(char* output, size_t size, const char* input) {
    size_t written = 0;
    bool escaped = false;
    const auto store = [&](const char* character, size_t n) {
        if (written + n < size) {
            for (size_t i = 0; i < n; ++i) output[written++] = character[i];
        }
    };
    char ending = '\0';
    for (;;) {
        const char c = *input;
        if (c == '\0' || c == '\r' || c == '\n') {
            ending = c;
            break;
        }
        const size_t n = mirel::DIsDoubleByte(input) ? 2 : 1;
        if (escaped) {
            escaped = false;
            store(input, n);
        } else if (n == 1 && c == '\\') {
            escaped = true;
        } else if (n == 1 && c == '"') {
            // Quotes only group blanks, which never separate here: both are dropped.
        } else {
            store(input, n);
        }
        input += n;
    }
    if (size > 0) output[written] = '\0';
    return ending;
}

char l3dGetToken(char* output, const L3D_NAMEREF& reference) {
    size_t n = 0;
    if (reference.text) {
        const size_t limit = std::min<size_t>(reference.length, kL3DTokenSize - 1);
        while (n < limit && reference.text[n] != '\0') {
            output[n] = reference.text[n];
            ++n;
        }
    }
    output[n] = '\0';
    return l3dParseToken(output, kL3DTokenSize, output);
}
