// Fuzz target: shader archives from arbitrary bytes; every member is created as a vertex and
// as a pixel shader from its scrambled bytes, as the renderer's archive is read.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/pack/DMFile.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    L3DDevice& device = tessera::test::fuzzDevice();
    mirel::DFile file;
    tessera::test::attachMemory(file, std::string(reinterpret_cast<const char*>(data), size),
                                "renderer.csa");
    mirel::DMFile archive;
    if (!archive.Open(file)) return 0;
    for (auto it = archive.Entries()._GetFirstNode(); !(it == archive.Entries()._GetEndNode());
         it = it.Next()) {
        for (bool vertex : {true, false}) {
            mirel::DFile member;
            if (!archive.OpenEntry(member, it.GetRef().Get())) __builtin_trap();
            try {
                if (vertex)
                    device.CreateVShader(member);
                else
                    device.CreatePShader(member);
            } catch (const LExceptGame&) {
            }
        }
    }
    return 0;
}
