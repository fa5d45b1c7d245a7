#include "tests/framework/image/image_fixture.h"

#include <cstdlib>

#include "tests/foundation/support/image_fixtures.h"

namespace tessera::test {

void FrameworkImages::SetUp() {
    FrameworkFiles::SetUp();
    pelImageInitialize();
}

void FrameworkImages::TearDown() {
    for (PEL_FILE* file : files_) pelFileClose(file);
    for (PEL_IMAGE_INFO& info : infos_) std::free(info.storedFormats);
    FrameworkFiles::TearDown();
}

PEL_FILE* FrameworkImages::openWritten(const std::string& name, const std::string& bytes) {
    writeBesideExecutable(name, bytes);
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, wide(name).c_str(), 0);
    EXPECT_NE(file, nullptr) << name;
    if (file) files_.push_back(file);
    return file;
}

FrameworkImages::Loaded FrameworkImages::load(const std::string& name, const std::string& bytes,
                                              uint32_t kind, uint32_t extraPitch) {
    Loaded loaded;
    PEL_FILE* file = openWritten(name, bytes);
    if (!file) return loaded;
    loaded.infoStatus = pelImageGetInfo(&loaded.info, file);
    infos_.push_back(loaded.info);
    if (loaded.infoStatus != PEL_OK) return loaded;
    uint32_t rowBytes = 0;
    uint32_t rows = 0;
    pelImageGetPixelKindSize(kind, loaded.info.width, loaded.info.height, &rowBytes, &rows);
    loaded.pitch = rowBytes + extraPitch;
    loaded.bytes.assign(size_t{loaded.pitch} * rows, 0xEE);
    loaded.loadStatus =
        pelImageLoad(&loaded.info, file, loaded.pitch, kind, loaded.bytes.data(), rows);
    return loaded;
}

std::u16string wide(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::string rgbaPng(int width, int height, const std::vector<uint8_t>& pixels) {
    PngSpec spec;
    spec.width = width;
    spec.height = height;
    spec.colorType = 6;  // RGB with alpha
    spec.samples.assign(pixels.begin(), pixels.end());
    return pngFile(spec);
}

std::vector<uint8_t> solid(int count, std::vector<uint8_t> rgba) {
    std::vector<uint8_t> out;
    for (int i = 0; i < count; ++i) out.insert(out.end(), rgba.begin(), rgba.end());
    return out;
}

}  // namespace tessera::test
