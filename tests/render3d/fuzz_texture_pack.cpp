// Fuzz target: texture packs from arbitrary bytes, read for their compressed member and
// uploaded to a software device, and read for their "raw" member and decoded.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/DImage.h"
#include "foundation/imagefile/image_file.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/texture_pack.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    L3DDevice& device = tessera::test::fuzzDevice();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (bool compressed : {true, false}) {
        mirel::DFile file;
        tessera::test::attachMemory(file, bytes, "fuzz.dgt");
        mirel::DFile member;
        uint32_t edge = 0;
        bool alpha = false;
        try {
            if (!l3dGetTextureData(file, member, edge, alpha, compressed)) continue;
            if (compressed) {
                mirel::rcptr<L3DTexture> texture =
                    device.CreateTextureDXTn("fuzz", member, edge, alpha, true);
            } else {
                mirel::DImage image;
                if (mirel::DimgLoad(member, image)) {
                    mirel::rcptr<L3DTexture> texture =
                        device.CreateTextureFromImage("fuzz", image, alpha, true);
                }
            }
        } catch (const LExceptGame&) {
        }
    }
    return 0;
}
