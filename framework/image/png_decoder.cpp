#include "framework/image/png_decoder.h"

#include <csetjmp>
#include <cstdlib>

#include "foundation/pngread/png_glue.h"
#include "framework/core/report.h"
#include "framework/image/image.h"

namespace pelimage {
namespace {

// What the read callback and the setjmp frame share; plain data only, so that a longjmp out
// of libpng skips no destructor.
struct PngJob {
    PEL_FILE* file;
    const PngTarget* target;
    png_uint_32 width;
    png_uint_32 height;
    uint8_t* row;  // from malloc; freed by readPng
};

const char* readFromFile(void* user, png_bytep data, size_t length) {
    auto* job = static_cast<PngJob*>(user);
    size_t got = 0;
    if (pelFileRead(&got, data, length, job->file) != PEL_OK || got != length)
        return "can't read data";
    return nullptr;
}

// Rows arrive as R, G, B, A bytes whatever the colour type and depth.
void requestRgbaBytes(png_structp png, png_infop info, int bitDepth, int colorType) {
    png_set_strip_16(png);
    png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    const bool transparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (transparency) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if (!(colorType & PNG_COLOR_MASK_ALPHA) && !transparency)
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
}

// The libpng part of the read, between setjmp and the end: no C++ object with a destructor
// lives in this frame.
bool runLibpng(png_structp png, png_infop info, PngJob& job) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_sig_bytes(png, 8);
    png_set_user_limits(png, kPelImageMaxSide, kPelImageMaxSide);
    png_read_info(png, info);
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &job.width, &job.height, &bitDepth, &colorType, nullptr, nullptr,
                 nullptr);
    if (!job.target) return true;

    const PngTarget& target = *job.target;
    const int passes = png_set_interlace_handling(png);
    requestRgbaBytes(png, info, bitDepth, colorType);
    const size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != size_t{job.width} * 4 || job.height > target.rows) return false;
    uint32_t kindRowBytes = 0;
    uint32_t kindRows = 0;
    pelImageGetPixelKindSize(target.kind, job.width, job.height, &kindRowBytes, &kindRows);
    const size_t needed = target.kind == PEL_IMAGE_KIND_RGBA ? rowBytes : kindRowBytes;
    if (target.pitch < needed) return false;

    // An interlaced image is gathered whole, each pass adding its pixels, before packing.
    const bool interlaced = passes > 1;
    job.row = static_cast<uint8_t*>(
        pelCheckAlloc(std::malloc(interlaced ? rowBytes * job.height : rowBytes)));
    if (!job.row) return false;
    for (int pass = 1; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < job.height; ++y)
            png_read_row(png, job.row + y * rowBytes, nullptr);
    }
    for (png_uint_32 y = 0; y < job.height; ++y) {
        uint8_t* row = interlaced ? job.row + y * rowBytes : job.row;
        png_read_row(png, row, nullptr);
        packRow(row, target.destination + size_t{y} * target.pitch, job.width, target.kind,
                target.treatment);
    }
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

bool readPng(PEL_FILE* file, const PngTarget* target, uint32_t* width, uint32_t* height) {
    if (target && packedPixelBytes(target->kind) == 0) return false;
    png_byte signature[8];
    size_t got = 0;
    if (pelFileRead(&got, signature, sizeof signature, file) != PEL_OK || got != sizeof signature ||
        png_sig_cmp(signature, 0, sizeof signature) != 0)
        return false;

    PngJob job{file, target, 0, 0, nullptr};
    pngread::Glue glue{&job, &readFromFile, nullptr};
    png_structp png = pngread::createReadStruct(&glue);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    const bool ok = info && runLibpng(png, info, job);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    std::free(job.row);
    if (!ok || job.width == 0 || job.height == 0) return false;
    *width = job.width;
    *height = job.height;
    return true;
}

}  // namespace pelimage
