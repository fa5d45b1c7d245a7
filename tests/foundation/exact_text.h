#pragma once
#include <cstring>
#include <memory>
#include <string>

namespace mirel::test {

// A heap copy of a text with no byte to spare after its NUL, so that AddressSanitizer reports
// any read past the terminator.
inline std::unique_ptr<char[]> ExactText(const std::string& text) {
    auto copy = std::make_unique<char[]>(text.size() + 1);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

}  // namespace mirel::test
