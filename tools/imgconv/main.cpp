// imgconv IN OUT.bmp: loads any image the runtime reads (the plug-ins beside the program
// included) and writes it as a 24-bit BMP. Exit status 0 on success; 1 with the reason on
// standard error when the image cannot be read or written; 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "foundation/DImage.h"
#include "foundation/imagefile/image_file.h"
#include "pixelconv/math_tables.h"
#include "pixelconv/ycbcr_tables.h"
#include "platform/os/cp932.h"
#include "tools/console/console_log.h"

namespace {

int Convert(const char* in, const char* out) {
    mirel::DFile source;
    if (!source.Open(platform::os::utf8ToCp932(in).c_str(), mirel::DFile::OpenRead)) {
        std::fprintf(stderr, "imgconv: cannot open %s\n", in);
        return 1;
    }
    mirel::DImage image;
    if (!mirel::DimgLoad(source, image)) return 1;

    mirel::DFile target;
    constexpr uint32_t kCreateOrTruncate = mirel::DFile::OpenCreate | mirel::DFile::OpenNew;
    if (!target.Open(platform::os::utf8ToCp932(out).c_str(),
                     mirel::DFile::OpenWrite | kCreateOrTruncate)) {
        std::fprintf(stderr, "imgconv: cannot create %s\n", out);
        return 1;
    }
    return mirel::DimgWriteBitmap(target, image) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: imgconv IN OUT.bmp\n");
        return 2;
    }
    mirel::DMathInitTables();
    mirel::DimgInitYCbCrTables();

    const tools::console::StandardErrorLog log;
    mirel::_DSusieInit();
    const int status = Convert(argv[1], argv[2]);
    mirel::DSusieTerm();
    return status;
}
