#pragma once
#include <string>

namespace tools::writers {

// The two private forms of a PNG file: the 8-byte PNG signature replaced by
// 44 43 49 88 99 AA BB CC (chunks unchanged), or by 44 43 49 CC BB AA 99 88 with every byte
// after it scrambled by its position in the file (scrambleFields from 8). `png` must start
// with the standard signature.
std::string privatePng(const std::string& png, bool scrambled);

}  // namespace tools::writers
