// The renderer's camera, light and fog, and the set-up of plain objects that callers draw
// themselves.
#include <vector>

#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/draw_constants.h"

using namespace platform::d3d9;

void L3DRenderer::SetViewProjection(const LMat& viewMatrix, const LMat& projectionMatrix) {
    cacheFlags = 0;
    view = viewMatrix;
    projection = projectionMatrix;
    LMat::Multiply(view, projection, viewProjection);
    LMat::Transpose(viewProjectionT, viewProjection);
}

void L3DRenderer::SetLightDir(const float direction[3]) { l3dNormalizeLight(direction, lightDir); }

void L3DRenderer::SetFogColor(float r, float g, float b) { fogColor = l3dFogColor(r, g, b); }

void L3DRenderer::_ApplyFog() {
    if (fogEnable) {
        device->SetStateRender(D3DRS_FOGENABLE, TRUE);
        device->SetStateRender(D3DRS_FOGCOLOR, fogColor);
    } else {
        device->SetStateRender(D3DRS_FOGENABLE, FALSE);
    }
}

void L3DRenderer::BeginObject(const LMat& world, const LMat& viewMatrix,
                              const LMat& projectionMatrix) {
    _ApplyFog();
    _SelectVShader(L3DShaderNolight, 0);
    const std::vector<L3DVec4> c =
        l3dObjectConstants(world, viewMatrix, projectionMatrix, fogParams[0], fogParams[1]);
    device->SetVSConstants(static_cast<uint32_t>(c.size()), 0, c[0].data());
}
