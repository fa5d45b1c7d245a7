// Drawing object instances: per part, opaque pieces at once through their shader passes, then
// the outlines, then blended pieces queued for the depth-sorted pass with view-space positions.
#include <cstring>

#include "foundation/DSjisText.h"
#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DRenderer.h"
#include "render3d/blend_types.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/shader_pass.h"

using mirel::DSjis;
using namespace platform::d3d9;

namespace {

// Blend types drawn at once even when they blend (alpha-tested cut-outs among them).
bool drawnAtOnce(uint32_t blendType) {
    return blendType == 0 || blendType == 7 || blendType == 8 || blendType == 12;
}

const L3D_RENDERER_SHADEROPT& optionOf(const L3D_PARTINST_MAT& record) {
    return *record.material->option;
}

// The indices a piece draws: three per triangle of a list, primitives + 2 for a strip.
uint32_t drawnIndexCount(const L3D_PARTDATA_RUNTIME& mesh) {
    if (mesh.primitiveCount == 0) return 0;
    return mesh.primitiveType == D3DPT_TRIANGLESTRIP ? mesh.primitiveCount + 2
                                                     : mesh.primitiveCount * 3;
}

// Model data reaches the draw unchecked: a piece whose indices run past its index data or name
// a vertex it does not have is not drawn. Only the first check of a part's draw logs.
bool pieceDrawable(const L3D_PARTINST_MAT& record, bool log) {
    if (!record.material || !record.material->option || !record.pieceData) return false;
    const L3D_PARTDATA_RUNTIME& mesh = *record.pieceData;
    const uint32_t count = drawnIndexCount(mesh);
    const bool threeUv = (record.flags & L3D_PARTINST_MAT::FlagThreeUvSets) != 0;
    const char* problem = nullptr;
    if (count > 0 && (!mesh.indices || uint64_t{count} * 2 > mesh.indexByteCount))
        problem = "indices past the index data";
    else if (threeUv ? !mesh.vertices3 || record.vertexCount > mesh.vertexCount
                     : !record.vertices && record.vertexCount > 0)
        problem = "vertices missing";
    if (problem) {
        if (log) l3dLog(1, "[L3DRenderer::_DrawAnimMotionInstance] %s: not drawn", problem);
        return false;
    }
    if (log)
        return l3dIndicesInRange(mesh.indices.Get(), count, record.vertexCount,
                                 "L3DRenderer::_DrawAnimMotionInstance");
    for (uint32_t i = 0; i < count; ++i)
        if (mesh.indices[i] >= record.vertexCount) return false;
    return true;
}

}  // namespace

L3DShaderPassRecord L3DRenderer::_PassRecord(const L3DPartDraw& part,
                                             const L3D_PARTINST_MAT& record) {
    // Bone-index list entries past the part's matrices (bad model data) name entry 0.
    const L3D_PARTDATA_RUNTIME& mesh = *record.pieceData;
    passBones.Reserve(mesh.usedBoneCount);
    for (uint32_t j = 0; j < mesh.usedBoneCount; ++j)
        passBones[static_cast<int32_t>(j)] =
            mesh.usedBones[j] < part.matrixCount ? mesh.usedBones[j] : 0;

    L3DShaderPassRecord out;
    out.world = part.matrices[0];
    out.material = record.material;
    out.weightCount = record.weightCount;
    out.flags = record.flags;
    out.baseTexture = record.texture.Get();
    out.boneIndices = {passBones.Items(), mesh.usedBoneCount};
    return out;
}

void L3DRenderer::DrawObjectInstance(std::span<L3DPartDraw* const> parts, const float colour1[4],
                                     const float colour2[4], uint32_t drawFlags) {
    std::memcpy(defaultOption.color1, colour1, sizeof defaultOption.color1);
    std::memcpy(defaultOption.color2, colour2, sizeof defaultOption.color2);
    for (L3DPartDraw* part : parts) _DrawAnimMotionInstance(*part, drawFlags);
}

void L3DRenderer::_DrawAnimMotionInstance(L3DPartDraw& part, uint32_t drawFlags) {
    if ((part.flags & L3DPartDraw::FlagHidden) || part.matrixCount == 0) return;
    _LoadBoneMatrices(part);
    const bool allAtOnce = (drawFlags & L3DDrawAllAtOnce) != 0;

    for (uint32_t i = 0; i < part.pieceCount; ++i) {
        const L3D_PARTINST_MAT& record = part.pieces[i];
        if (!pieceDrawable(record, true)) continue;
        if (!allAtOnce && !drawnAtOnce(optionOf(record).blendType)) continue;
        const L3DShaderPassRecord pass = _PassRecord(part, record);
        for (uint32_t n = 0; _SetShaderPass(n, pass, drawFlags); ++n) _DrawRecord(record);
    }
    for (uint32_t i = 0; i < part.pieceCount; ++i) {
        const L3D_PARTINST_MAT& record = part.pieces[i];
        if (!pieceDrawable(record, false) || optionOf(record).edgeWidth == 0.0f) continue;
        _DrawOutline(part, record);
        _DrawRecord(record);
    }
    if (allAtOnce) return;
    for (uint32_t i = 0; i < part.pieceCount; ++i) {
        L3D_PARTINST_MAT& record = part.pieces[i];
        if (!pieceDrawable(record, false) || drawnAtOnce(optionOf(record).blendType)) continue;
        _QueueBlended(part, record, drawFlags);
    }
}

void L3DRenderer::_QueueBlended(L3DPartDraw& part, L3D_PARTINST_MAT& record, uint32_t drawFlags) {
    const L3D_PARTDATA_RUNTIME& mesh = *record.pieceData;
    if (mesh.primitiveType != D3DPT_TRIANGLELIST)
        l3dError(DSjis<"[L3DRenderer::_DrawAnimMotionInstance] alphaはこの形式に対応していない">());
    if (record.flags & L3D_PARTINST_MAT::FlagThreeUvSets)
        l3dError(DSjis<"[L3DRenderer::_DrawAnimMotionInstance] "
                       "UVが3つあるパーツ形式には対応していない">());

    _L3D_RENDERER_ALPHASHADER* queued = alphaRecords.Take();
    ProcessVertexPoses({record.vertices.Get(), record.vertexCount, record.weightCount},
                       {mesh.usedBones.Get(), mesh.usedBoneCount}, part.matrices.Get(),
                       part.matrixCount, view);
    queued->part = &part;
    queued->record = &record;
    queued->drawFlags = drawFlags;

    float position[3];
    l3dTransformPoint(part.centre, view, position);
    const uint32_t flags = l3dBlendTypeReadsFrameBuffer(optionOf(record).blendType)
                               ? 0
                               : L3DZsdElementDesc::FlagKeepOrder;
    RegistZsdElementArgs(position, record.vertexCount, record.vertices.Get(), skinPositions.Items(),
                         mesh.indices.Get(), mesh.primitiveCount * 3, _DrawPasses, queued, flags);
}

void L3DRenderer::_DrawPasses(L3DRenderer* renderer, const L3D_RENDERER_VERTEX* vertices,
                              uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                              void* user) {
    const auto& queued = *static_cast<const _L3D_RENDERER_ALPHASHADER*>(user);
    // The bone registers come from this piece's part, not from the part drawn last.
    renderer->_LoadBoneMatrices(*queued.part);
    const L3DShaderPassRecord pass = renderer->_PassRecord(*queued.part, *queued.record);
    L3DDevice& device = *renderer->device;
    for (uint32_t n = 0; renderer->_SetShaderPass(n, pass, queued.drawFlags); ++n) {
        device.ApplyStates();
        device.DrawIndexedUP(sizeof(L3D_RENDERER_VERTEX), D3DPT_TRIANGLELIST, vertexCount,
                             indexCount / 3, indices, vertices);
    }
}
