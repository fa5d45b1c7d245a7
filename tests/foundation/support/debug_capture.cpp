#include "tests/foundation/support/debug_capture.h"

#include "foundation/DDebug.h"
#include "tests/foundation/support/memory_stream.h"

namespace tessera::test {
namespace {

MemoryStream* current = nullptr;

}  // namespace

DebugCapture::DebugCapture() {
    mirel::DDebug& debug = mirel::DDebug::Global();
    wasEnabled_ = debug.IsFileEnabled();
    if (debug.File().IsOpen()) saved_.Assign(debug.File());
    debug.File().Close();
    current = &attachMemory(debug.File(), {}, "debug log");
    debug.EnableFile(true);
}

DebugCapture::~DebugCapture() {
    mirel::DDebug& debug = mirel::DDebug::Global();
    debug.EnableFile(false);
    debug.File().Close();
    current = nullptr;
    if (saved_.IsOpen()) debug.File().Assign(saved_);
    debug.EnableFile(wasEnabled_);
}

std::string DebugCapture::text() const {
    std::string out;
    for (char c : current ? current->bytes() : std::string()) {
        if (c != '\r') out += c;
    }
    return out;
}

}  // namespace tessera::test
