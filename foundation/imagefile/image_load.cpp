#include "foundation/imagefile/image_file.h"
#include "foundation/imagefile/image_log.h"

namespace mirel {

bool DimgLoad(DFile& file, DImage& image) {
    if (DimgLoadBitmap(file, image) || DimgLoadPng(file, image) || DimgLoadJpeg(file, image) ||
        DimgLoadSusie(file, image))
        return true;
    DimgLogQuoted("[DimgLoad] ", file.GetPath(), ": Load Error\n");
    return false;
}

}  // namespace mirel
