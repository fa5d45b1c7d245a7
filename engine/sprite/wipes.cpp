#include <cstdlib>
#include <memory>
#include <vector>

#include "engine/script/core_natives.h"
#include "engine/sprite/device_set.h"
#include "engine/sprite/pixel_rows.h"
#include "engine/sprite/texture_lock.h"
#include "foundation/DImageKind.h"
#include "framework/core/report.h"
#include "framework/core/wide_string.h"

namespace {

constexpr const char* kLoadTag = "wipeLoad";

// Reads the image as grey levels into a new source, listed and cached under the key.
Sprite2WipeSource* loadSource(Sprite2DeviceSet* set, uint32_t where, const char16_t* name,
                              const char16_t* key) {
    Sprite2File file(sprite2OpenFile(where, name));
    if (!file) return nullptr;
    PEL_IMAGE_INFO info{};
    const PEL_STATUS status = pelImageGetInfo(&info, file.get());
    std::unique_ptr<PEL_IMAGE_STORED_FORMAT, decltype(&std::free)> formats(info.storedFormats,
                                                                           &std::free);
    if (status != PEL_OK) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] 画像形式を認識できませんでした(%ls)", kLoadTag,
                  name);
        return nullptr;
    }
    std::vector<uint32_t> words(size_t{info.width} * info.height);
    if (pelImageLoad(&info, file.get(), info.width * 4, PEL_IMAGE_KIND_ARGB8888, words.data(),
                     info.height) != PEL_OK) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] ファイルを読み込めませんでした(%ls)", kLoadTag,
                  name);
        return nullptr;
    }
    auto* source = new Sprite2WipeSource;
    source->levels.resize(words.size());
    for (size_t i = 0; i < words.size(); ++i) source->levels[i] = sprite2Luma(words[i]);
    source->set = set;
    source->width = info.width;
    source->height = info.height;
    pelStrCopy(key, source->name, std::size(source->name));
    pelListInit(&source->wipes, offsetof(Sprite2Wipe, link), nullptr, nullptr);
    pelListAppend(&set->wipeSources, source);
    pelHashInsert(&set->wipeCache, source->name, source);
    return source;
}

}  // namespace

PelSpriteBackendWipe* wipeLoad(void* user, uint32_t where, const char16_t* name) {
    Sprite2DeviceSet* set = sprite2Set(user);
    char16_t key[128] = {};
    pelStrCopy(name ? name : u"", key, std::size(key));
    pelStrToLower(key);
    auto* source = static_cast<Sprite2WipeSource*>(pelHashFind(&set->wipeCache, key));
    if (!source) source = loadSource(set, where, name, key);
    if (!source) return nullptr;
    mirel::rcptr<L3DTexture> texture =
        sprite2CreateTexture(set, "", source->width, source->height, kLoadTag);
    if (!texture) return nullptr;
    auto* wipe = new Sprite2Wipe;
    wipe->source = source;
    wipe->width = static_cast<float>(source->width);
    wipe->height = static_cast<float>(source->height);
    wipe->texelBytes =
        texture->pixelKind == static_cast<uint32_t>(mirel::DImageKind::A4R4G4B4) ? 2 : 4;
    wipe->texture = std::move(texture);
    pelListAppend(&source->wipes, wipe);
    return reinterpret_cast<PelSpriteBackendWipe*>(wipe);
}

void wipeSourceDestroy(Sprite2DeviceSet* set, Sprite2WipeSource* source) {
    pelHashRemove(&set->wipeCache, source->name);
    pelListRemove(&set->wipeSources, &source->link);
    delete source;
}

void wipeRelease(PelSpriteBackendWipe* handle) {
    Sprite2Wipe* wipe = sprite2Wipe(handle);
    Sprite2WipeSource* source = wipe->source;
    pelListRemove(&source->wipes, &wipe->link);
    delete wipe;
    if (source->wipes.count == 0) wipeSourceDestroy(source->set, source);
}

void wipeSet(PelSpriteBackendWipe* handle, int32_t mode, float threshold) {
    Sprite2Wipe* wipe = sprite2Wipe(handle);
    wipe->mode = mode;
    wipe->threshold = unitToByte(threshold);
}

mirel::rcptr<L3DTexture> wipeGetHandle(Sprite2Wipe* wipe) {
    if (wipe->mode != wipe->builtMode || wipe->threshold != wipe->builtThreshold) {
        L3DTexture& texture = *wipe->texture;
        bool built = false;
        {
            Sprite2TextureLock lock(texture, 0, 0, texture.width, texture.height);
            built = sprite2BuildWipeMask(lock.rows(), lock.pitch(), texture.width, texture.height,
                                         wipe->texelBytes, wipe->source->levels.data(), wipe->mode,
                                         wipe->threshold);
        }
        if (!built) {
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] can't support format", "wipeGetHandle");
            return wipe->texture;
        }
        wipe->builtMode = wipe->mode;
        wipe->builtThreshold = wipe->threshold;
    }
    return wipe->texture;
}
