// Drawing the playing parts: immediate batches that share a texture and a blend mode, or one
// group of sorted elements per instance for the renderer's depth-sorted pass; and the draw of
// one batch with its blend mode.
#include <cstring>
#include <memory>

#include "effects/L3DEffectManager.h"
#include "effects/effect_blend.h"
#include "foundation/DSjisText.h"
#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace platform::d3d9;

namespace {

// A batch's indices are 16-bit: at most 65535 of them, naming at most 65536 vertices.
constexpr uint32_t kMaxBatchIndices = 65535;
constexpr uint32_t kMaxBatchVertices = 65536;

// Sorted elements: bit 0 always set, bit 1 keeps the given triangle order, which only the
// blends that do not depend on the drawing order may keep.
constexpr uint32_t kElementKeepsOrder = 0x3;
constexpr uint32_t kElementSortsTriangles = 0x1;

}  // namespace

void L3DEffectManager::Draw(uint32_t drawFlags) {
    if (!renderer || !renderer->device) return;
    if (drawFlags & DrawSorted)
        drawSorted();
    else
        drawBatches();
}

void L3DEffectManager::drawBatches() {
    const L3D_EFFECT_IMAGEKEY* current = nullptr;
    batchVertices.SetCount(0);
    batchIndices.SetCount(0);
    auto flush = [&](uint32_t vertexCount) {
        if (batchIndices.Count() == 0) return;
        _DrawBatch(renderer.Get(), batchVertices.Items(), vertexCount, batchIndices.Items(),
                   static_cast<uint32_t>(batchIndices.Count()),
                   const_cast<L3D_EFFECT_IMAGEKEY*>(current));
    };
    for (L3D_EFFECT_WORKROOT* instance = active; instance; instance = instance->next) {
        if (instance->holdFlags & L3DEffectHoldHidden) continue;
        for (const L3D_EFFECT_WORKPART* work = instance->drawList; work; work = work->nextDraw) {
            const L3D_EFFECT_IMAGEKEY* key = _PartKey(*work);
            if (!key) continue;
            if (key != current) {
                flush(static_cast<uint32_t>(batchVertices.Count()));
                current = key;
                batchVertices.SetCount(0);
                batchIndices.SetCount(0);
            }
            L3DEffectGeometry geometry;
            if (!_BuildPartVertices(*work, geometry)) continue;
            uint32_t base = geometry.vertexBase;
            const auto pending = static_cast<uint32_t>(batchIndices.Count());
            // Split before a part whose indices would pass the 16-bit count, or whose vertices
            // would lie past what 16-bit indices can name; the part starts the next batch.
            if (pending > 0 && (pending + geometry.indexCount > kMaxBatchIndices ||
                                base + geometry.vertexCount > kMaxBatchVertices)) {
                flush(base);
                std::memmove(batchVertices.Items(), batchVertices.Items() + base,
                             geometry.vertexCount * sizeof(L3D_RENDERER_VERTEX));
                batchVertices.SetCount(static_cast<int32_t>(geometry.vertexCount));
                batchIndices.SetCount(0);
                base = 0;
            }
            const auto at = static_cast<uint32_t>(batchIndices.Count());
            batchIndices.SetCount(static_cast<int32_t>(at + geometry.indexCount));
            unsigned short* out = batchIndices.Items() + at;
            for (uint32_t i = 0; i < geometry.indexCount; ++i)
                out[i] = static_cast<unsigned short>(geometry.indices[i] + base);
        }
    }
    flush(static_cast<uint32_t>(batchVertices.Count()));
}

_L3D_EFFECT_ZSDPART& L3DEffectManager::zsdElement(uint32_t number) {
    if (number == zsdCount) {
        auto& block =
            zsdBlocks.emplace_back(std::make_unique<std::array<_L3D_EFFECT_ZSDPART, ZsdBlock>>());
        zsdParts.Reserve(int64_t{zsdCount} + ZsdBlock);
        for (_L3D_EFFECT_ZSDPART& element : *block)
            zsdParts[static_cast<int32_t>(zsdCount++)] = &element;
    }
    return *zsdParts[static_cast<int32_t>(number)];
}

void L3DEffectManager::drawSorted() {
    const LMat& view = renderer->view;
    for (L3D_EFFECT_WORKROOT* instance = active; instance; instance = instance->next) {
        if (instance->holdFlags & L3DEffectHoldHidden) continue;
        uint32_t count = 0;
        L3DZsdElementDesc* last = nullptr;
        L3DZsdRegistration group;
        for (const L3D_EFFECT_WORKPART* work = instance->drawList; work; work = work->nextDraw) {
            const L3D_EFFECT_IMAGEKEY* key = _PartKey(*work);
            if (!key) continue;
            _L3D_EFFECT_ZSDPART& part = zsdElement(count);
            part.vertices.SetCount(0);
            L3DEffectGeometry geometry;
            if (!_BuildPartZsd(part, *work, geometry)) continue;
            L3DZsdElementDesc& element = part.element;
            element.next = nullptr;
            element.vertexCount = geometry.vertexCount;
            element.vertices = part.vertices.Items();
            element.positions = part.vertices.Items();
            element.indexCount = geometry.indexCount;
            element.indices = geometry.indices;
            element.callback = &L3DEffectManager::_DrawBatch;
            element.user = const_cast<L3D_EFFECT_IMAGEKEY*>(key);
            element.flags = l3dEffectBlendDependsOnOrder(key->blend) ? kElementSortsTriangles
                                                                     : kElementKeepsOrder;
            if (last)
                last->next = &element;
            else
                group.first = &element;
            last = &element;
            ++count;
        }
        if (count == 0) continue;
        // The group's depth point: the root part's origin in view space.
        LMat rootView;
        LMat::Multiply(instance->rootPart.world, view, rootView);
        LVec point;
        LMat::TransformCoord({0, 0, 0}, rootView, point);
        group.position[0] = point.x;
        group.position[1] = point.y;
        group.position[2] = point.z;
        renderer->RegistZsdElement(group);
    }
}

void L3DEffectManager::_DrawBatch(L3DRenderer* renderer, const L3D_RENDERER_VERTEX* vertices,
                                  uint32_t vertexCount, const uint16_t* indices,
                                  uint32_t indexCount, void* key) {
    const auto& imageKey = *static_cast<const L3D_EFFECT_IMAGEKEY*>(key);
    L3DDevice& device = *renderer->device;
    device.ResetStates();
    device.SetStateRender(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetStateRender(D3DRS_ALPHABLENDENABLE, TRUE);
    device.SetStateRender(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    renderer->BeginObject(LMat::Identity(), LMat::Identity(), renderer->projection);
    if (imageKey.blend >= L3DEffectBlendCount)
        l3dError(mirel::DSjis<"[L3DEffectManager::Draw] 未対応のblend(%d)">(),
                 static_cast<int>(imageKey.blend));
    const L3DEffectBlendStates& blend = l3dEffectBlendStates(imageKey.blend);
    device.SetStateRender(D3DRS_SRCBLEND, blend.srcBlend);
    device.SetStateRender(D3DRS_DESTBLEND, blend.destBlend);
    device.SetStateRender(D3DRS_SRCBLENDALPHA, blend.srcBlendAlpha);
    device.SetStateRender(D3DRS_DESTBLENDALPHA, blend.destBlendAlpha);
    if (blend.alphaFunc != 0) {
        device.SetStateRender(D3DRS_ALPHATESTENABLE, TRUE);
        device.SetStateRender(D3DRS_ALPHAFUNC, blend.alphaFunc);
        device.SetStateRender(D3DRS_ALPHAREF, blend.alphaRef);
    }
    if (!blend.depthWrite) device.SetStateRender(D3DRS_ZWRITEENABLE, FALSE);
    device.SetStateTexture(0, imageKey.texture);
    device.ApplyStates();
    device.DrawIndexedUP(sizeof(L3D_RENDERER_VERTEX), D3DPT_TRIANGLELIST, vertexCount,
                         indexCount / 3, indices, vertices);
}

void L3DEffectManager::releaseDrawArrays() {
    zsdCount = 0;
    zsdBlocks.clear();
    zsdParts.Free();
    batchVertices.Free();
    batchIndices.Free();
}
