// Fuzz target for one image reader (IMAGE_READER, set by the build: DimgLoadBitmap,
// DimgLoadPng or DimgLoadJpeg) over arbitrary bytes, as a whole file and as an archive
// member's view; it must fail cleanly or give an image of sane size.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/imagefile/image_file.h"
#include "tests/foundation/support/memory_stream.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    DFile file;
    tessera::test::attachMemory(file, std::string(reinterpret_cast<const char*>(data), size));
    DFile view;
    view.OpenView(0, static_cast<int32_t>(size), file);
    for (DFile* source : {&file, &view}) {
        DImage image;
        if (IMAGE_READER(*source, image) &&
            (image.Width() < 1 || image.Height() < 1 || image.Pixels() == nullptr))
            __builtin_trap();
    }
    return 0;
}
