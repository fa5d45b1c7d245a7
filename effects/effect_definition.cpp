// The definition file ("EFSD"): texture images with their option bytes, image definitions and
// models. A definition that names an image, a blend mode or a vertex outside its tables is
// refused here, so that drawing never looks outside them.
#include <cstdio>
#include <cstring>

#include "effects/L3DEffectManager.h"
#include "foundation/DPath.h"
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "foundation/pack/pack_diagnostics.h"
#include "foundation/pack/pack_registry.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

constexpr uint32_t kDefinitionMagic = 0x44534645;  // "EFSD"
constexpr uint32_t kDefinitionVersion = 0;
// A model without vertices and indices: its two counts.
constexpr uint32_t kMinModelBytes = 8;

const char* headerText() {
    return DSjis<"[L3DEffectManager::SetProp] システム定義ファイル \"%s\" のヘッダが異常">();
}

void copyName(char (&field)[L3DEffectNameCapacity], const char* name) {
    std::snprintf(field, sizeof field, "%s", name ? name : "");
}

}  // namespace

void L3DEffectManager::SetProp(uint32_t packIndex, const char* definitionName) {
    Clear();
    pack = packIndex;
    copyName(name, definitionName);
    _LoadProp(name);
}

void L3DEffectManager::_LoadProp(const char* bareName) {
    l3dLogPack(bareName, 3, "[L3DEffectManager::_LoadProp] load define prop \"%s\"", pack);
    char path[DPATH_SIZE];
    DPathMake(path, "", bareName, "dat");
    if (!lfmIsPackDataExist(pack, path)) {
        l3dLogPack(bareName, 3, "[L3DEffectManager::_LoadProp] \"%s\" isn't exist.", pack);
        dropDefinition();
        return;
    }
    DFile file;
    lfmOpenPackData(pack, file, path);
    if (lfmReadU32(file) != kDefinitionMagic) l3dErrorPack(path, headerText(), pack);
    if (lfmReadU32(file) != kDefinitionVersion)
        l3dErrorPack(
            path,
            DSjis<"[L3DEffectManager::SetProp] システム定義ファイル \"%s\" のバージョンが異常">(),
            pack);
    readImages(file);
    readImageDefs(file, path);
    readModels(file, path);
}

void L3DEffectManager::readImages(DFile& file) {
    const uint32_t count = lfmReadU32(file);
    lfmCheckCount(file, count, 1);
    images.Allocate(count);
    imageCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t option = lfmReadU8(file);
        char textureName[L3DEffectNameCapacity + 16];
        std::snprintf(textureName, sizeof textureName, "%s%d", name, static_cast<int>(i));
        L3DEffectManagerItemA& image = images[i];
        image.texture = renderer->GetTexture(pack, textureName, option != 0);
        for (uint32_t blend = 0; blend < L3DEffectBlendCount; ++blend)
            image.keys[blend] = {blend, image.texture ? image.texture->texture : nullptr};
    }
}

void L3DEffectManager::readImageDefs(DFile& file, const char* path) {
    const uint32_t count = lfmReadU32(file);
    lfmCheckCount(file, count, sizeof(L3D_EFFECT_IMAGEDEF));
    imageDefs.Allocate(count);
    imageDefCount = count;
    for (uint32_t i = 0; i < count; ++i) lfmReadBytes(&imageDefs[i], sizeof imageDefs[i], file);
    // A definition is the batch key (its image's entry for its blend): both must exist.
    for (uint32_t i = 0; i < count; ++i) {
        const L3D_EFFECT_IMAGEDEF& def = imageDefs[i];
        if (def.blend >= L3DEffectBlendCount)
            l3dError(DSjis<"[L3DEffectManager::SetProp] 未対応のblend(%d)">(),
                     static_cast<int>(def.blend));
        if (def.image >= imageCount) l3dErrorPack(path, headerText(), pack);
    }
}

void L3DEffectManager::readModels(DFile& file, const char* path) {
    const uint32_t count = lfmReadU32(file);
    lfmCheckCount(file, count, kMinModelBytes);
    models.Allocate(count);
    modelCount = count;
    for (uint32_t m = 0; m < count; ++m) {
        L3DEffectManagerItemB& model = models[m];
        model.vertexCount = lfmReadU32(file);
        lfmCheckCount(file, model.vertexCount, sizeof(L3D_EFFECT_MODELVERTEX));
        model.vertices.Allocate(model.vertexCount);
        lfmReadBytes(model.vertices.Get(), model.vertexCount * sizeof(L3D_EFFECT_MODELVERTEX),
                     file);
        model.indexCount = lfmReadU32(file);
        lfmCheckCount(file, model.indexCount, 4);
        model.indices.Allocate(model.indexCount);
        for (uint32_t i = 0; i < model.indexCount; ++i) {
            // Kept as 16-bit indices: the upper half is dropped.
            const auto index = static_cast<uint16_t>(lfmReadU32(file));
            if (index >= model.vertexCount) l3dErrorPack(path, headerText(), pack);
            model.indices[i] = index;
        }
    }
}

void L3DEffectManager::dropDefinition() {
    imageCount = 0;
    images.Reset();
    imageDefCount = 0;
    imageDefs.Reset();
    modelCount = 0;
    models.Reset();
}
