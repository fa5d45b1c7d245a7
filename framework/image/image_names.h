#pragma once
#include <string>

// Names of the files that accompany an image.

namespace pelimage {

// The image's name with the extension of its last segment replaced (empty: removed).
std::u16string replacedExtension(const char16_t* imageName, const char16_t* extension);

}  // namespace pelimage
