#include <png.h>

#include <csetjmp>
#include <cstring>

#include "foundation/DDebug.h"
#include "foundation/DExceptFile.h"
#include "foundation/imagefile/image_file.h"
#include "foundation/pngread/png_glue.h"

namespace mirel {
namespace {

constexpr uint8_t kPlainHeader[8] = {0x44, 0x43, 0x49, 0x88, 0x99, 0xAA, 0xBB, 0xCC};
constexpr uint8_t kScrambledHeader[8] = {0x44, 0x43, 0x49, 0xCC, 0xBB, 0xAA, 0x99, 0x88};

// Everything the libpng callbacks and the setjmp frame share; plain data only, so that a
// longjmp out of libpng skips no destructor.
struct PngRead {
    DFile* file;
    DImage* image;
    bool scrambled;
    int signatureBytes;
    bool created;
};

void LogLibpngMessage(void*, const char* message) {
    DDebug& debug = DDebug::Global();
    debug.Print("[Error] ");
    if (message != nullptr) debug.Print(message);
    debug.Print("\n");
}

// 1: read, 0: no position, -1: short read. The file's own errors never leave here.
int ReadBytes(DFile& file, bool scrambled, png_bytep data, size_t length) {
    try {
        const int32_t key = file.Tell();
        if (key < 0) return 0;
        if (length > UINT32_MAX ||
            file.Read(data, static_cast<uint32_t>(length)) != static_cast<int64_t>(length))
            return -1;
        if (scrambled) {
            for (size_t i = 0; i < length; ++i) data[i] ^= static_cast<uint8_t>(key + i);
        }
        return 1;
    } catch (const DExceptFile&) {
        return -1;
    }
}

const char* OnRead(void* user, png_bytep data, size_t length) {
    const PngRead& read = *static_cast<PngRead*>(user);
    const int result = ReadBytes(*read.file, read.scrambled, data, length);
    if (result == 0) return "can't read data.";
    if (result < 0) return "can't read data";
    return nullptr;
}

// The libpng part of the read, between setjmp and the end: no C++ object with a destructor
// lives in this frame.
bool Decode(png_structp png, png_infop info, PngRead& read) {
    if (setjmp(png_jmpbuf(png))) return false;

    png_set_sig_bytes(png, read.signatureBytes);
    png_set_user_limits(png, DImage::kMaxSide, DImage::kMaxSide);
    png_read_info(png, info);

    png_uint_32 width, height;
    int bitDepth, colorType;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    png_set_strip_16(png);
    png_set_packing(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (hasTrns) png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    const bool hasAlpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 || hasTrns;
    // Inverted on purpose: the texture loader inverts it back.
    if (hasAlpha) png_set_invert_alpha(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);

    DImage& image = *read.image;
    if (!image.CreateAutoPitch(static_cast<int32_t>(width), static_cast<int32_t>(height),
                               hasAlpha ? DImageKind::RGBA32 : DImageKind::RGB24))
        return false;
    read.created = true;
    if (png_get_rowbytes(png, info) > static_cast<size_t>(image.Pitch())) return false;

    // Each pass is read straight into the image rows, where libpng adds its pixels to those of
    // the earlier passes.
    image.FirstRow();
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y)
            png_read_row(png, image.PixelAddress(0, static_cast<int32_t>(y)), nullptr);
    }
    png_read_end(png, nullptr);
    return true;
}

// Checks the signature and chooses plain or scrambled reading.
bool ReadSignature(DFile& file, PngRead& read) {
    uint8_t head[8];
    if (file.Read(head, 4) != 4) return false;
    if (png_sig_cmp(head, 0, 4) == 0) {
        read.signatureBytes = 4;
        return true;
    }
    if (file.Read(head + 4, 4) != 4) return false;
    read.signatureBytes = 8;
    if (std::memcmp(head, kPlainHeader, 8) == 0) return true;
    read.scrambled = std::memcmp(head, kScrambledHeader, 8) == 0;
    return read.scrambled;
}

}  // namespace

bool DimgLoadPng(DFile& file, DImage& image) {
    PngRead read{&file, &image, false, 0, false};
    try {
        file.Seek(0, DDataOverride::SeekBegin);
        if (!ReadSignature(file, read)) return false;
    } catch (const DExceptFile&) {
        return false;
    }

    pngread::Glue glue{&read, &OnRead, &LogLibpngMessage};
    png_structp png = pngread::createReadStruct(&glue);
    if (png == nullptr) return false;
    png_infop info = png_create_info_struct(png);
    bool ok = info != nullptr && Decode(png, info, read);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);

    if (read.created) image.EndAccess();
    if (!ok && read.created) image.ReleasePixels();
    return ok;
}

}  // namespace mirel
