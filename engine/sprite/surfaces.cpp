#include <cstdlib>
#include <string>

#include "engine/script/core_natives.h"
#include "engine/sprite/device_set.h"
#include "engine/sprite/pixel_rows.h"
#include "engine/sprite/texture_lock.h"
#include "framework/core/report.h"
#include "framework/image/image.h"
#include "platform/os/cp932.h"
#include "render3d/L3DDevice.h"

namespace {

// Texture names are 8-bit text of at most 127 bytes (a cut never splits a double-byte
// character).
std::string textureName(const char16_t* name) {
    std::string text = platform::os::utf16ToCp932(name ? name : u"");
    size_t end = 0;
    while (end < text.size()) {
        const size_t step = platform::os::isCp932LeadByte(static_cast<uint8_t>(text[end])) ? 2 : 1;
        if (end + step > 127) break;
        end += step;
    }
    text.resize(std::min(end, text.size()));
    return text;
}

Sprite2Surface* addSurface(Sprite2DeviceSet* set, mirel::rcptr<L3DTexture> texture,
                           uint32_t writable, uint32_t scale) {
    auto* surface = new Sprite2Surface;
    surface->width = texture->width * scale;
    surface->height = texture->height * scale;
    surface->texture = std::move(texture);
    surface->writable = writable;
    surface->set = set;
    pelListAppend(&set->surfaces, surface);
    return surface;
}

// False (after the fatal report) for a texture kind the backend cannot write.
bool supportedKind(const L3DTexture& texture, const char* tag) {
    if (sprite2DecodeKind(texture.pixelKind) >= 0) return true;
    pelReport(PEL_REPORT_ERROR, u"Error: [%s] unsupported texture format(%d)", tag,
              static_cast<int32_t>(texture.pixelKind));
    return false;
}

// Decodes the open image into the whole top level of the texture, in the layout of its kind.
bool decodeInto(L3DTexture& texture, const PEL_IMAGE_INFO& info, PEL_FILE* file,
                const char16_t* name, const char* tag) {
    if (!supportedKind(texture, tag)) return false;
    Sprite2TextureLock lock(texture, 0, 0, texture.width, texture.height);
    if (!sprite2DecodeRows(texture.pixelKind, info, file, lock.rows(), lock.pitch(),
                           texture.height)) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイルを読み込めませんでした(%ls)", tag, name);
        return false;
    }
    return true;
}

}  // namespace

bool sprite2DecodeRows(uint32_t textureKind, const PEL_IMAGE_INFO& info, PEL_FILE* file,
                       uint8_t* rows, int32_t pitch, uint32_t rowCount) {
    const int32_t kind = sprite2DecodeKind(textureKind);
    if (kind < 0 || pitch <= 0) return false;
    if (pelImageLoad(&info, file, static_cast<uint32_t>(pitch), static_cast<uint32_t>(kind), rows,
                     rowCount) != PEL_OK)
        return false;
    if (textureKind == static_cast<uint32_t>(mirel::DImageKind::RGBA32))
        sprite2SwapRedBlue(rows, pitch, info.width, std::min(info.height, rowCount));
    return true;
}

PEL_FILE* sprite2OpenFile(uint32_t where, const char16_t* name) {
    PEL_FILE* file = pelFileOpenImage(name, static_cast<int32_t>(where));
    if (!file)
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] \"%ls\"を開けません。", "File::create", name);
    return file;
}

mirel::rcptr<L3DTexture> sprite2CreateTexture(Sprite2DeviceSet* set, const char* name,
                                              uint32_t width, uint32_t height, const char* tag) {
    mirel::rcptr<L3DTexture> texture = set->target.device->CreateTexture(name, width, height);
    if (!texture) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] can't create texture", tag);
        return {};
    }
    if (texture->width != width || texture->height != height) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] invalid texture size(%ux%u)(%ux%u)", tag,
                  texture->width, texture->height, width, height);
        return {};
    }
    return texture;
}

PelSpriteBackendImage* surfaceLoadImage(void* user, uint32_t where, const char16_t* name) {
    constexpr const char* kTag = "surfaceLoadImage";
    Sprite2DeviceSet* set = sprite2Set(user);
    const std::string textName = textureName(name);
    mirel::rcptr<L3DTexture> texture = set->target.device->FindTexture(textName.c_str());
    if (!texture) {
        Sprite2File file(sprite2OpenFile(where, name));
        if (!file) return nullptr;
        PEL_IMAGE_INFO info{};
        const PEL_STATUS status = pelImageGetInfo(&info, file.get());
        std::unique_ptr<PEL_IMAGE_STORED_FORMAT, decltype(&std::free)> formats(info.storedFormats,
                                                                               &std::free);
        if (status != PEL_OK) {
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] 画像形式を認識できませんでした(%ls)", kTag,
                      name);
            return nullptr;
        }
        texture = sprite2CreateTexture(set, textName.c_str(), info.width, info.height, kTag);
        if (!texture || !decodeInto(*texture, info, file.get(), name, kTag)) return nullptr;
    }
    const auto scale = static_cast<uint32_t>(set->target.resourceScale);
    return reinterpret_cast<PelSpriteBackendImage*>(addSurface(set, std::move(texture), 0, scale));
}

PelSpriteBackendImage* surfaceCreateFont(void* user, uint32_t width, uint32_t height) {
    constexpr const char* kTag = "surfaceCreateFont";
    Sprite2DeviceSet* set = sprite2Set(user);
    mirel::rcptr<L3DTexture> texture = sprite2CreateTexture(set, "", width, height, kTag);
    if (!texture || !supportedKind(*texture, kTag)) return nullptr;
    return reinterpret_cast<PelSpriteBackendImage*>(addSurface(set, std::move(texture), 1, 1));
}

void surfaceRelease(PelSpriteBackendImage* image) {
    Sprite2Surface* surface = sprite2Surface(image);
    pelListRemove(&surface->set->surfaces, &surface->link);
    delete surface;
}

int32_t surfaceIsWritable(PelSpriteBackendImage* image) {
    return static_cast<int32_t>(sprite2Surface(image)->writable);
}

void surfaceGetSize(uint32_t* width, uint32_t* height, PelSpriteBackendImage* image) {
    const Sprite2Surface* surface = sprite2Surface(image);
    *width = surface->width;
    *height = surface->height;
}

void surfaceSetSize(PelSpriteBackendImage* image, uint32_t width, uint32_t height) {
    Sprite2Surface* surface = sprite2Surface(image);
    surface->width = width;
    surface->height = height;
}

PEL_STATUS surfaceFill(PelSpriteBackendImage* image, uint32_t x, uint32_t y, uint32_t width,
                       uint32_t height, const float rgba[4]) {
    Sprite2Surface* surface = sprite2Surface(image);
    L3DTexture& texture = *surface->texture;
    if (x >= texture.width || y >= texture.height) return PEL_OK;
    width = std::min(width, texture.width - x);
    height = std::min(height, texture.height - y);
    if (width == 0 || height == 0) return PEL_OK;
    const uint8_t colour[4] = {unitToByte(rgba[0]), unitToByte(rgba[1]), unitToByte(rgba[2]),
                               unitToByte(rgba[3])};
    Sprite2TextureLock lock(texture, x, y, width, height);
    sprite2FillRows(texture.pixelKind, lock.rows(), lock.pitch(), width, height, colour);
    return PEL_OK;
}
