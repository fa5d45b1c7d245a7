#include "foundation/DExcept.h"

#include <cstddef>

namespace mirel {

DExcept::DExcept(const char* text) {
    size_t n = 0;
    if (text) {
        while (n < sizeof(message_) - 1 && text[n] != '\0') {
            message_[n] = text[n];
            ++n;
        }
    }
    message_[n] = '\0';
}

}  // namespace mirel
