// The outline pass: the piece drawn again with the "edge" shader, its back faces pushed out by
// the edge width in the edge colour.
#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DRenderer.h"
#include "render3d/draw_constants.h"

using namespace platform::d3d9;

void L3DRenderer::_DrawOutline(const L3DPartDraw& part, const L3D_PARTINST_MAT& record) {
    const L3D_RENDERER_SHADEROPT& option = *record.material->option;
    device->ResetStates();
    _ApplyFog();
    device->SetStateRender(D3DRS_CULLMODE, D3DCULL_CCW);
    _SelectVShader(L3DShaderEdge, static_cast<int32_t>(record.weightCount));

    if ((cacheFlags & L3DCacheEdgeAspect) == 0) {
        if ((cacheFlags & L3DCacheInverseProjection) == 0) {
            LMat::Inverse(projection, inverseProjection);
            cacheFlags |= L3DCacheInverseProjection;
        }
        const L3DEdgeAspect aspect = l3dEdgeAspect(inverseProjection);
        edgeAspect = aspect.aspect;
        edgeAspectInverse = aspect.aspectInverse;
        cacheFlags |= L3DCacheEdgeAspect;
    }

    L3DOutlineInputs in{};
    in.edgeWidth = option.edgeWidth;
    in.edgeAspectInverse = edgeAspectInverse;
    in.edgeColour = {option.edgeColor[0], option.edgeColor[1], option.edgeColor[2],
                     option.edgeColor[3]};
    in.fog1 = fogParams[0];
    in.fog2 = fogParams[1];
    const bool skinned = record.weightCount > 0;
    if (skinned) {
        in.transform = viewProjectionT;
    } else {
        LMat::Multiply(part.matrices[0], viewProjection, in.transform);
        LMat::Transpose(in.transform, in.transform);
    }
    std::vector<L3DVec4> c = l3dOutlineConstants(skinned, in);
    if (skinned) {
        const L3D_PARTDATA_RUNTIME& mesh = *record.pieceData;
        l3dAppendBoneRegisters(c, boneMatrices.Items(), part.matrixCount, mesh.usedBones.Get(),
                               mesh.usedBoneCount);
    }
    device->SetVSConstants(static_cast<uint32_t>(c.size()), 0, c[0].data());
}
