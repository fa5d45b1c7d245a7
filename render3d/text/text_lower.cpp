#include "render3d/text/text_lower.h"

#include "foundation/DStr.h"

void l3dToLower(const char* source, char* destination) {
    while (*source != '\0') {
        const char c = *source++;
        if (mirel::DIsLeadByte(c)) {
            *destination++ = c;
            if (*source == '\0') break;
            *destination++ = *source++;
        } else if (c >= 'A' && c <= 'Z') {
            *destination++ = static_cast<char>(c + 0x20);
        } else {
            *destination++ = c;
        }
    }
    *destination = '\0';
}
