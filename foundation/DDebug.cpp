#include "foundation/DDebug.h"

#include <mutex>

#include "platform/os/cp932.h"
#include "platform/os/debug_output.h"

namespace mirel {

DDebug& DDebug::Global() {
    static DDebug* debug = new DDebug;
    return *debug;
}

void DDebug::Print(const char* text) {
    if (text == nullptr) return;
    platform::os::outputDebugString(text);
    if (!fileEnabled_) return;

    std::lock_guard lock(printing_);
    char chunk[264];
    int used = 0;
    for (const char* p = text; *p != '\0';) {
        if (used >= ChunkLimit) {
            file_.Write(chunk, static_cast<uint32_t>(used));
            used = 0;
        }
        const auto byte = static_cast<unsigned char>(*p);
        if (byte == '\r') {
            ++p;
        } else if (byte == '\n') {
            chunk[used++] = '\r';
            chunk[used++] = '\n';
            ++p;
        } else if (platform::os::isCp932LeadByte(byte) && p[1] != '\0') {
            chunk[used++] = p[0];
            chunk[used++] = p[1];
            p += 2;
        } else {
            // A single byte, or a lead byte cut off by the end of the text.
            chunk[used++] = *p++;
        }
    }
    if (used > 0) file_.Write(chunk, static_cast<uint32_t>(used));
    file_.Flush();
}

}  // namespace mirel
