#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/core/report.h"
#include "framework/image/container.h"
#include "framework/image/image.h"
#include "framework/image/layers.h"
#include "framework/image/png_decoder.h"

namespace {

// The PNG decoder is registered by pelImageInitialize; containers need no registration.
bool pngRegistered = false;

bool nearly(float value, float target) { return std::fabs(value - target) < 0.0001f; }

// Flags from the size, and the gamma mode settled to 3 (or left as an unknown mode).
void settleInfo(PEL_IMAGE_INFO* info) {
    const auto powerOfTwo = [](uint32_t value) { return (value & (value - 1)) == 0; };
    if (powerOfTwo(info->width)) info->flags |= PEL_IMAGE_FLAG_WIDTH_POWER_OF_TWO;
    if (powerOfTwo(info->height)) info->flags |= PEL_IMAGE_FLAG_HEIGHT_POWER_OF_TWO;
    if (info->width == info->height) info->flags |= PEL_IMAGE_FLAG_SQUARE;

    if (info->gammaMode == 1) info->gammaMode = 0;
    if (info->gammaMode == 2) {
        info->gamma = 1.0f;
        info->gammaMode = 3;
    }
    if (info->gammaMode == 3 && (nearly(info->gamma, 0.0f) || nearly(info->gamma, 2.2f)))
        info->gammaMode = 0;
    if (info->gammaMode == 0) {
        info->gammaMode = 3;
        info->gamma = 2.2f;
    }
}

PEL_STATUS readPngInfo(PEL_IMAGE_INFO* info, PEL_FILE* file) {
    uint32_t width = 0;
    uint32_t height = 0;
    if (pelFileSeek(file, 0, 0) != PEL_OK || !pelimage::readPng(file, nullptr, &width, &height))
        return PEL_E_NOTFOUND;
    if (pelImageLoadPIB(info, file) != PEL_OK) return PEL_E_NOTFOUND;
    info->width = width;
    info->height = height;
    info->decoder = PEL_IMAGE_DECODER_PNG;
    settleInfo(info);
    return PEL_OK;
}

PEL_STATUS loadPngImage(const PEL_IMAGE_INFO* info, PEL_FILE* file, uint32_t pitch, uint32_t kind,
                        uint8_t* destination, uint32_t rows) {
    if (kind > PEL_IMAGE_KIND_RGB565) return PEL_E_NOTFOUND;
    uint8_t gamma[256];
    pelImageBuildGammaTable(gamma, info->gamma);
    const pelimage::PngTarget target{
        destination, pitch, rows, kind, {gamma, true, info->alphaMode}};
    pelimage::DecodedImage image{destination, pitch, kind, 0, 0};
    if (pelFileSeek(file, 0, 0) != PEL_OK ||
        !pelimage::readPng(file, &target, &image.width, &image.height))
        return PEL_E_NOTFOUND;
    return pelimage::applyLayers(file->name, image, gamma, info->alphaMode) ? PEL_OK
                                                                            : PEL_E_NOTFOUND;
}

}  // namespace

void pelImageInitialize() {
    if (pngRegistered) return;
    pngRegistered = true;
    static bool registered = false;
    if (!registered) {
        registered = std::atexit(pelImageFinalize) == 0;
        if (!registered) pelReportText(PEL_REPORT_ERROR, u"Error: Can't initialized.");
    }
}

void pelImageFinalize() { pngRegistered = false; }

PEL_STATUS pelImageGetInfo(PEL_IMAGE_INFO* info, PEL_FILE* file) {
    std::memset(info, 0, sizeof *info);
    if (pelimage::readContainerHeader(info, file)) return PEL_OK;
    std::memset(info, 0, sizeof *info);
    if (!pngRegistered || readPngInfo(info, file) != PEL_OK) {
        std::memset(info, 0, sizeof *info);
        return PEL_E_NOTFOUND;
    }
    return PEL_OK;
}

PEL_STATUS pelImageLoad(const PEL_IMAGE_INFO* info, PEL_FILE* file, uint32_t pitch, uint32_t kind,
                        void* destination, uint32_t rows) {
    auto* bytes = static_cast<uint8_t*>(destination);
    if (info->width == 0 || info->height == 0) return PEL_E_NOTFOUND;
    if (info->decoder == PEL_IMAGE_DECODER_CONTAINER)
        return pelimage::loadContainer(info, file, pitch, kind, bytes, rows);
    if (info->decoder != PEL_IMAGE_DECODER_PNG || !pngRegistered) return PEL_E_NOTFOUND;
    return loadPngImage(info, file, pitch, kind, bytes, rows);
}
