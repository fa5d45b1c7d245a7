// Fuzz target: the scrambled field readers over arbitrary bytes. The first byte picks the
// readers to run; every failure must be the fatal LExceptGame, never a crash.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/pack/field_readers.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"

using namespace mirel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    l3dDiagMode = 0;  // no message boxes, nothing kept
    if (size == 0) return 0;
    DFile file;
    tessera::test::attachMemory(file,
                                std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    DFile view;  // a view with a limit, as an archive member is
    view.OpenView(0, static_cast<int32_t>(size - 1), file);
    uint8_t program = data[0];
    uint8_t blob[16];
    try {
        for (int step = 0; step < 64; ++step, program = static_cast<uint8_t>(program * 5 + 3)) {
            switch (program % 5) {
            case 0:
                lfmReadU8(view);
                break;
            case 1:
                lfmReadU32(view);
                break;
            case 2:
                lfmReadF32(view);
                break;
            case 3: {
                DString text;
                lfmReadString(view, text);
                break;
            }
            case 4:
                lfmReadBlobRef(view, blob);
                break;
            }
        }
    } catch (const LExceptGame&) {
    }
    return 0;
}
