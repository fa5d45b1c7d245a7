#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "framework/image/image.h"
#include "tests/framework/support/file_fixture.h"

namespace tessera::test {

// The framework with its files in a temporary home and the image module started.
class FrameworkImages : public FrameworkFiles {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the bytes below the executable's folder and opens them; closed at the end.
    PEL_FILE* openWritten(const std::string& name, const std::string& bytes);

    struct Loaded {
        PEL_STATUS infoStatus = 0;
        PEL_STATUS loadStatus = 0;
        PEL_IMAGE_INFO info{};
        uint32_t pitch = 0;
        std::vector<uint8_t> bytes;  // the destination, pitch x rows
    };
    // Reads the header of the file written under the name and loads it in the kind into a
    // destination sized by pelImageGetPixelKindSize, its pitch widened by `extraPitch`.
    Loaded load(const std::string& name, const std::string& bytes, uint32_t kind,
                uint32_t extraPitch = 0);

private:
    std::vector<PEL_FILE*> files_;
    std::vector<PEL_IMAGE_INFO> infos_;
};

// The UTF-16 form of an ASCII name.
std::u16string wide(const std::string& text);
// An 8-bit RGBA PNG of the pixels (R, G, B, A bytes, rows top-down).
std::string rgbaPng(int width, int height, const std::vector<uint8_t>& pixels);
// The same pixel repeated.
std::vector<uint8_t> solid(int count, std::vector<uint8_t> rgba);

}  // namespace tessera::test
