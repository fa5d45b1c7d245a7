#include <cstring>
#include <vector>

#include "foundation/DExceptFile.h"
#include "foundation/DImageReverse.h"
#include "foundation/imagefile/bmp_headers.h"
#include "foundation/imagefile/image_file.h"
#include "foundation/imagefile/image_log.h"
#include "pixelconv/blit.h"

namespace mirel {
namespace {

void WriteHeaders(DFile& file, uint32_t fileSize, uint32_t pixelOffset, const DImage& image) {
    DimgFileHeader header;
    header.type = DimgBitmapType;
    header.fileSize = fileSize;
    header.pixelOffset = pixelOffset;
    DimgInfoHeader info;
    info.size = DimgInfoHeaderSize;
    info.width = image.Width();
    info.height = image.Height();
    info.planes = 1;
    info.bitCount = 24;
    info.compression = DimgBiRgb;
    if (!file.Seek(0, DDataOverride::SeekBegin)) throw DExceptFile();
    DimgWriteFileHeader(header, file);
    DimgWriteInfoHeader(info, file);
}

// Writes the headers, then the image's rows bottom-up as B, G, R padded with zeros to 4 bytes.
void WriteBitmap(DFile& file, DImage& image) {
    WriteHeaders(file, 0, 0, image);
    DImageReverse bottomUp;
    if (!bottomUp.CreateAutoPitch(image.Width(), image.Height(), DImageKind::BGR24))
        throw DExceptFile();
    DimgBlit(bottomUp, image, image.Width(), image.Height(), image.Width(), image.Height(), 0, 0);

    const int32_t pixelOffset = file.Tell();
    const size_t pixelBytes = static_cast<size_t>(image.Width()) * 3;
    std::vector<uint8_t> row((pixelBytes + 3) & ~size_t{3}, 0);
    for (int32_t i = 0; i < bottomUp.Height(); ++i) {
        std::memcpy(row.data(), bottomUp.Pixels() + static_cast<ptrdiff_t>(i) * bottomUp.Pitch(),
                    pixelBytes);
        if (file.Write(row.data(), static_cast<uint32_t>(row.size())) !=
            static_cast<int32_t>(row.size()))
            throw DExceptFile();
    }
    WriteHeaders(file, static_cast<uint32_t>(file.Size()), static_cast<uint32_t>(pixelOffset),
                 image);
}

}  // namespace

bool DimgWriteBitmap(DFile& file, DImage& image) {
    const bool throwFlag = file.SetThrow(true);
    try {
        WriteBitmap(file, image);
    } catch (const DExceptFile&) {
        file.SetThrow(throwFlag);
        if (throwFlag) throw;
        DimgLogQuoted("[DimgWriteBitmap] ", file.GetPath(), ": Write Error\n");
        return false;
    }
    file.SetThrow(throwFlag);
    return true;
}

}  // namespace mirel
