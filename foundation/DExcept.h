#pragma once
#include "foundation/DObject.h"

namespace mirel {

// The library's exception: a message of at most 255 characters.
class DExcept : public DObject {
public:
    // Copies the text up to its NUL, at most 255 characters; a null text gives "".
    explicit DExcept(const char* text);

    const char* Message() const { return message_; }

private:
    char message_[256];
};

}  // namespace mirel
