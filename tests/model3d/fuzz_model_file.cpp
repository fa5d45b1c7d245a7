// Fuzz target: whole model files over arbitrary bytes, then the run-time compilation of every
// part without run-time meshes. Every failure must be the fatal LExceptGame, never a crash or
// a read outside a table.
#include <cstddef>
#include <cstdint>
#include <string>

#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    l3dDiagMode = 0;  // no message boxes, nothing kept
    DFile file;
    tessera::test::attachMemory(file, std::string(reinterpret_cast<const char*>(data), size));
    try {
        L3DObjectData model;
        model.Load(file);
        for (auto it = model.parts._GetFirstNode(); it != model.parts._GetEndNode();
             it = it.Next()) {
            L3DPartData& part = *it.GetRef();
            if (part.meshCount > 0 && part.runtimeCount == 0) part.CompileRuntime();
        }
    } catch (const LExceptGame&) {
    }
    return 0;
}
