#include <bit>

#include "framework/core/report.h"
#include "framework/image/image.h"
#include "framework/image/image_names.h"

namespace {

constexpr uint32_t kInfoMagic = 0x41504942;  // "APIB"

// Reads the fields after the magic; false on a wrong magic or version or a short read.
bool readInfoFile(PEL_IMAGE_INFO* info, PEL_FILE* file) {
    uint32_t words[8];
    for (uint32_t& word : words) {
        if (pelFileReadU32(&word, file) != PEL_OK) return false;
    }
    if (words[0] != kInfoMagic || words[1] != 0) return false;
    info->flags |= words[2] & PEL_IMAGE_FLAG_INFO_FILE;
    info->firstValue = static_cast<int32_t>(words[3]);
    info->secondValue = static_cast<int32_t>(words[4]);
    info->gammaMode = words[5];
    info->gamma = std::bit_cast<float>(words[6]);
    info->alphaMode = words[7];
    return true;
}

}  // namespace

PEL_STATUS pelImageLoadPIB(PEL_IMAGE_INFO* info, PEL_FILE* file) {
    info->flags = PEL_IMAGE_FLAG_DEFAULT;
    info->firstValue = -1;
    info->secondValue = -1;
    info->gammaMode = 1;
    info->gamma = 2.2f;
    info->alphaMode = 3;

    const std::u16string name = pelimage::replacedExtension(file->name, u"pib");
    if (pelFileExists(PEL_FILE_MODE_READ, name.c_str()) != PEL_OK) return PEL_OK;
    PEL_FILE* infoFile = pelFileOpen(PEL_FILE_MODE_READ, name.c_str(), 0);
    if (!infoFile) {
        pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] can't open an info file \"%ls\"",
                  "pelImageLoadPIB", name.c_str());
        return PEL_E_NOTFOUND;
    }
    const bool read = readInfoFile(info, infoFile);
    pelFileClose(infoFile);
    return read ? PEL_OK : PEL_E_NOTFOUND;
}
