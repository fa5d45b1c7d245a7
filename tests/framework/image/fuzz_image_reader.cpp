// Reads arbitrary bytes as an image: a container, a PNG with an info file and a layer beside
// it. The first byte picks the pixel kind; when the second is odd, the next 32 bytes become
// the info file "img.pib"; when bit 1 of the second is set, the image bytes also become the
// layer "img_a.png". The rest is the image file "img.png".
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/core.h"
#include "framework/file/file.h"
#include "framework/image/image.h"

namespace {

void writeFile(const std::string& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    static const std::string folder = "/tmp/tessera-fuzz-image-" + std::to_string(getpid());
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const uint32_t kind = data[0] % 11;
    const uint8_t options = data[1];
    data += 2;
    size -= 2;
    if ((options & 1) && size >= 32) {
        writeFile(folder + "/img.pib", data, 32);
        data += 32;
        size -= 32;
    }
    writeFile(folder + "/img.png", data, size);
    if (options & 2) writeFile(folder + "/img_a.png", data, size);

    pelFileRegisterModule();
    pelInitialize();
    pelImageInitialize();
    const std::u16string path = std::u16string(folder.begin(), folder.end()) + u"/img.png";
    if (PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, path.c_str(), 0)) {
        PEL_IMAGE_INFO info{};
        if (pelImageGetInfo(&info, file) == PEL_OK) {
            uint32_t rowBytes = 0;
            uint32_t rows = 0;
            pelImageGetPixelKindSize(kind, info.width, info.height, &rowBytes, &rows);
            // Headers may claim up to 16384 x 16384; only small destinations are decoded.
            if (uint64_t{rowBytes} * rows <= (1u << 22)) {
                std::vector<uint8_t> destination(size_t{rowBytes} * rows + 1);
                pelImageLoad(&info, file, rowBytes, kind, destination.data(), rows);
            }
        }
        std::free(info.storedFormats);
        pelFileClose(file);
    }
    pelImageFinalize();
    pelFinalize();
    std::filesystem::remove_all(folder);
    return 0;
}
