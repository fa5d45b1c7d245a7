#include "framework/image/image_names.h"

#include "framework/file/path.h"

namespace pelimage {

std::u16string replacedExtension(const char16_t* imageName, const char16_t* extension) {
    const size_t length = pelPathReplaceExtension(imageName, nullptr, 0, extension);
    std::u16string name(length + 1, u'\0');
    pelPathReplaceExtension(imageName, name.data(), name.size(), extension);
    name.resize(length);
    return name;
}

}  // namespace pelimage
