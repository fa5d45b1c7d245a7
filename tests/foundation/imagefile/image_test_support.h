#pragma once
#include <gtest/gtest.h>

#include <string>

#include "foundation/DFile.h"
#include "foundation/DImage.h"
#include "tests/foundation/support/memory_stream.h"

namespace mirel {

// Runs a reader over bytes held in memory under the given path.
template <class Reader>
bool LoadBytes(Reader reader, const std::string& bytes, DImage& image, const char* path = "image") {
    DFile file;
    tessera::test::attachMemory(file, bytes, path);
    return reader(file, image);
}

// The bytes of pixel (x, y).
inline std::string PixelAt(const DImage& image, int x, int y) {
    const uint8_t* p = image.PixelAddress(x, y);
    return std::string(reinterpret_cast<const char*>(p),
                       static_cast<size_t>(image.BytesPerPixel()));
}

inline std::string Bytes(std::initializer_list<int> values) {
    std::string out;
    for (int v : values) out += static_cast<char>(v);
    return out;
}

}  // namespace mirel
