#include "framework/image/layers.h"

#include <cstdlib>
#include <string>

#include "framework/core/report.h"
#include "framework/file/file.h"
#include "framework/image/image.h"
#include "framework/image/image_names.h"
#include "framework/image/pixel_kinds.h"
#include "framework/image/png_decoder.h"

namespace pelimage {
namespace {

constexpr const char* kTag = "_pelImageRawLoadData";

struct Layer {
    const char16_t* suffix;
    int channel;        // the destination channel it replaces
    int sourceChannel;  // the layer's byte that replaces it
};

constexpr Layer kLayers[] = {{u"_r", 0, 0}, {u"_g", 1, 1}, {u"_b", 2, 2}, {u"_a", 3, 1}};

// Decodes the layer file as R, G, B, A bytes of the image's size into `pixels`; false after
// the report that says why not.
bool decodeLayer(const std::u16string& name, const DecodedImage& image, uint8_t* pixels) {
    PEL_FILE* file = pelFileOpenImage(name.c_str(), PEL_FILE_MODE_READ);
    if (!file) {
        pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] can't open a layer file \"%ls\"",
                  kTag, name.c_str());
        return false;
    }
    uint32_t width = 0;
    uint32_t height = 0;
    bool ok = readPng(file, nullptr, &width, &height);
    if (!ok) {
        pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] can't load a layer info \"%ls\"",
                  kTag, name.c_str());
    } else if (width != image.width || height != image.height) {
        pelReport(PEL_REPORT_INFORMATION,
                  u"Information: [%s] invalid size \"%ls\" (image %ux%u) (alpha %ux%u)", kTag,
                  name.c_str(), image.width, image.height, width, height);
        ok = false;
    } else {
        const PngTarget target{pixels, width * 4, height, PEL_IMAGE_KIND_RGBA, {nullptr, false, 0}};
        ok = pelFileSeek(file, 0, 0) == PEL_OK && readPng(file, &target, &width, &height);
        if (!ok) {
            pelReport(PEL_REPORT_INFORMATION, u"Information: [%s] can't read a layer image \"%ls\"",
                      kTag, name.c_str());
        }
    }
    pelFileClose(file);
    return ok;
}

void replaceFromLayer(const DecodedImage& image, const uint8_t* pixels, const Layer& layer,
                      const uint8_t gamma[256], uint32_t alphaMode) {
    const uint32_t pixelBytes = packedPixelBytes(image.kind);
    for (uint32_t y = 0; y < image.height; ++y) {
        uint8_t* row = image.destination + size_t{y} * image.pitch;
        const uint8_t* source = pixels + size_t{y} * image.width * 4;
        for (uint32_t x = 0; x < image.width; ++x) {
            const uint8_t value = source[x * 4 + layer.sourceChannel];
            const uint8_t treated =
                layer.channel == 3 ? applyAlphaMode(value, alphaMode) : gamma[value];
            replaceChannel(row + x * pixelBytes, image.kind, layer.channel, treated);
        }
    }
}

}  // namespace

bool applyLayers(const char16_t* imageName, const DecodedImage& image, const uint8_t gamma[256],
                 uint32_t alphaMode) {
    const std::u16string stem = replacedExtension(imageName, nullptr);
    uint8_t* pixels = nullptr;
    bool ok = true;
    for (const Layer& layer : kLayers) {
        if (layer.channel == 3 && image.kind == PEL_IMAGE_KIND_RGB565) continue;
        const std::u16string name = stem + layer.suffix;
        if (pelFileExistsImage(name.c_str()) != PEL_OK) continue;
        if (!pixels) {
            pixels = static_cast<uint8_t*>(
                pelCheckAlloc(std::malloc(size_t{image.width} * image.height * 4)));
            if (!pixels) return false;
        }
        ok = decodeLayer(name, image, pixels);
        if (!ok) break;
        replaceFromLayer(image, pixels, layer, gamma, alphaMode);
    }
    std::free(pixels);
    return ok;
}

}  // namespace pelimage
