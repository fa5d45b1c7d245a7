// Mounts arbitrary bytes as an "APFC" pack archive and reads a member, so that the index
// reader meets every kind of corrupt count, length and size.
#include <unistd.h>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "framework/core/core.h"
#include "framework/file/file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/tessera-fuzz-apfc-" + std::to_string(getpid()) + ".dat";
    static const std::u16string widePath(path.begin(), path.end());
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    pelFileRegisterModule();
    pelInitialize();
    if (pelFileMountArchive(widePath.c_str()) == PEL_OK) {
        if (PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, u"a", 0)) {
            char bytes[4096];
            size_t got = 0;
            pelFileRead(&got, bytes, sizeof bytes, file);
            pelFileClose(file);
        }
    }
    pelFinalize();  // unmounts
    unlink(path.c_str());
    return 0;
}
