#include "framework/image/container.h"

#include <bit>
#include <cstdlib>

#include "framework/core/report.h"
#include "framework/image/png_decoder.h"

namespace pelimage {
namespace {

constexpr uint32_t kContainerMagic = 0x43504942;    // "CPIB"
constexpr uint32_t kFirstCompressedFlag = 0x20000;  // kind 5; kinds 6 to 9 follow upwards
constexpr uint32_t kCompressedKinds = 5;

enum HeaderWord {
    kMagic,
    kVersion,
    kWidth,
    kHeight,
    kFlags,
    kLevels,
    kFirst,
    kSecond,
    kGamma,
    kAlpha
};

bool readWords(PEL_FILE* file, uint32_t* words, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        if (pelFileReadU32(&words[i], file) != PEL_OK) return false;
    }
    return true;
}

// Every level offset is read and must lie inside the file.
bool readStoredFormat(PEL_FILE* file, uint64_t fileSize, uint32_t kind, uint32_t levelCount,
                      PEL_IMAGE_STORED_FORMAT* format) {
    format->kind = kind;
    format->levelCount = levelCount;
    if (!readWords(file, format->offsets, levelCount)) return false;
    for (uint32_t level = 0; level < levelCount; ++level) {
        if (format->offsets[level] >= fileSize) return false;
    }
    return true;
}

const PEL_IMAGE_STORED_FORMAT* findFormat(const PEL_IMAGE_INFO* info, uint32_t kind) {
    const uint32_t storedKind = kind <= PEL_IMAGE_KIND_RGB565 ? 0 : kind;
    for (uint32_t i = 0; i < info->storedFormatCount; ++i) {
        if (info->storedFormats[i].kind == storedKind) return &info->storedFormats[i];
    }
    return nullptr;
}

}  // namespace

bool readContainerHeader(PEL_IMAGE_INFO* info, PEL_FILE* file) {
    uint32_t header[10];
    uint64_t fileSize = 0;
    if (pelFileSeek(file, 0, 0) != PEL_OK || pelFileGetSize(&fileSize, file) != PEL_OK ||
        !readWords(file, header, 10))
        return false;
    if (header[kMagic] != kContainerMagic || header[kVersion] != 0) return false;
    if (header[kWidth] == 0 || header[kHeight] == 0 || header[kWidth] > kPelImageMaxSide ||
        header[kHeight] > kPelImageMaxSide || header[kLevels] >= kPelImageMaxLevels)
        return false;

    // The base comes first, then each flagged compressed kind in order.
    uint32_t kinds[1 + kCompressedKinds] = {0};
    uint32_t count = 1;
    for (uint32_t i = 0; i < kCompressedKinds; ++i) {
        if (header[kFlags] & (kFirstCompressedFlag << i)) kinds[count++] = PEL_IMAGE_KIND_DXT1 + i;
    }
    auto* formats = static_cast<PEL_IMAGE_STORED_FORMAT*>(
        pelCheckAlloc(std::calloc(count, sizeof(PEL_IMAGE_STORED_FORMAT))));
    if (!formats) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (!readStoredFormat(file, fileSize, kinds[i], header[kLevels] + 1, &formats[i])) {
            std::free(formats);
            return false;
        }
    }
    info->width = header[kWidth];
    info->height = header[kHeight];
    info->flags = header[kFlags];
    info->levelsMinusOne = header[kLevels];
    info->firstValue = static_cast<int32_t>(header[kFirst]);
    info->secondValue = static_cast<int32_t>(header[kSecond]);
    info->gammaMode = 3;
    info->gamma = std::bit_cast<float>(header[kGamma]);
    info->alphaMode = header[kAlpha];
    info->decoder = PEL_IMAGE_DECODER_CONTAINER;
    info->storedFormatCount = count;
    info->storedFormats = formats;
    return true;
}

PEL_STATUS loadContainer(const PEL_IMAGE_INFO* info, PEL_FILE* file, uint32_t pitch, uint32_t kind,
                         uint8_t* destination, uint32_t rows) {
    uint32_t rowBytes = 0;
    uint32_t rowCount = 0;
    pelImageGetPixelKindSize(kind, info->width, info->height, &rowBytes, &rowCount);
    if (pitch < rowBytes || rows < rowCount) return PEL_E_CREATE;
    const PEL_IMAGE_STORED_FORMAT* format = findFormat(info, kind);
    if (!format || pelFileSeek(file, format->offsets[0], 0) != PEL_OK) return PEL_E_NOTFOUND;

    if (kind <= PEL_IMAGE_KIND_RGB565) {
        const PngTarget target{destination, pitch, rows, kind, {nullptr, false, 0}};
        uint32_t width = 0;
        uint32_t height = 0;
        return readPng(file, &target, &width, &height) ? PEL_OK : PEL_E_NOTFOUND;
    }
    for (uint32_t row = 0; row < rowCount; ++row) {
        size_t got = 0;
        if (pelFileRead(&got, destination + size_t{row} * pitch, rowBytes, file) != PEL_OK ||
            got != rowBytes)
            return PEL_E_NOTFOUND;
    }
    return PEL_OK;
}

}  // namespace pelimage
