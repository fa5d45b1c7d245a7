// Opens any bytes as a sound source and reads it to the end twice.
#include <cstddef>
#include <cstdint>
#include <string>

#include "sound/DWave.h"
#include "sound/mpeg_acm_decoder.h"
#include "tests/foundation/support/memory_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mirel::registerMpegAcmDecoder();
    mirel::DFile file;
    tessera::test::attachMemory(file, std::string(reinterpret_cast<const char*>(data), size));
    mirel::DWave wave;
    if (!wave.Open(file) || !wave.BeginDecode()) return 0;
    static char buffer[7000];
    for (int pass = 0; pass < 2; ++pass) {
        // A PCM total from a damaged header may be far beyond the data: stop after 64 MiB.
        for (int read = 0; read < 10000 && wave.Read(buffer, sizeof buffer) > 0; ++read) {
        }
        wave.Rewind();
    }
    return 0;
}
