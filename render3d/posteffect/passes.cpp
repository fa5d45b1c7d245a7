// The pass vocabulary: each pass draws one screen rectangle into a render target through a
// fixed pair of shaders, a few constants and a fixed blend.
#include <cmath>

#include "render3d/L3DDevice.h"
#include "render3d/posteffect/PostEffect.h"
#include "render3d/posteffect/quad_geometry.h"

using namespace platform::d3d9;

namespace {

constexpr uint16_t kQuadIndices[6] = {0, 1, 2, 2, 1, 3};

// The UV rectangle (left, top, right, bottom) of a source rectangle over a texture's size.
void uvRect(const L3DTexture& texture, float sx, float sy, float sw, float sh, float out[4]) {
    const float w = static_cast<float>(texture.width);
    const float h = static_cast<float>(texture.height);
    out[0] = sx / w;
    out[1] = sy / h;
    out[2] = (sx + sw) / w;
    out[3] = (sy + sh) / h;
}

void setBlend(L3DDevice& device, uint32_t destBlend) {
    device.SetStateRender(D3DRS_ALPHABLENDENABLE, TRUE);
    device.SetStateRender(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device.SetStateRender(D3DRS_DESTBLEND, destBlend);
}

void blendOff(L3DDevice& device) { device.SetStateRender(D3DRS_ALPHABLENDENABLE, FALSE); }

void setPixelConstants(L3DDevice& device, uint32_t first, const float* data, uint32_t count) {
    device.device()->SetPixelShaderConstantF(first, data, count);
}

}  // namespace

void PostEffect::setPassStates(L3DDevice& device) {
    // Whatever the scene's last draw left (fog, alpha test, blend factors, other stages) must
    // not reach the screen passes.
    device.ResetStates();
    device.ApplyStates();
    device.SetVShader(0, nullptr);
    device.SetPShader(nullptr);
    device.SetFVF(POSTEFFECT_VERTEX::Fvf);
    device.SetStateRender(D3DRS_ZENABLE, FALSE);
    device.SetStateRender(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetStateRender(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    for (uint32_t stage = 0; stage < 2; ++stage) {
        device.SetStateTexStage(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device.SetStateTexStage(stage, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    }
}

void PostEffect::drawQuad(L3DDevice& device, const float dest[4], const float uv0[4],
                          const float uv1[4], const uint32_t colours[4]) {
    IDirect3DSurface9* target = device.renderTarget();
    const float vw = target ? static_cast<float>(target->width()) : 1.0f;
    const float vh = target ? static_cast<float>(target->height()) : 1.0f;
    float clip[4];
    postEffectClipRect(dest, vw, vh, clip);
    POSTEFFECT_VERTEX v[4] = {};
    const float xs[4] = {clip[0], clip[2], clip[0], clip[2]};
    const float ys[4] = {clip[1], clip[1], clip[3], clip[3]};
    for (int i = 0; i < 4; ++i) {
        const bool right = (i & 1) != 0;
        const bool bottom = (i & 2) != 0;
        v[i].x = xs[i];
        v[i].y = ys[i];
        v[i].z = 0.0f;
        v[i].colour = colours[i];
        v[i].uv[0][0] = right ? uv0[2] : uv0[0];
        v[i].uv[0][1] = bottom ? uv0[3] : uv0[1];
        v[i].uv[1][0] = right ? uv1[2] : uv1[0];
        v[i].uv[1][1] = bottom ? uv1[3] : uv1[1];
    }
    device.ApplyStates();
    device.DrawIndexedUP(sizeof(POSTEFFECT_VERTEX), D3DPT_TRIANGLELIST, 4, 2, kQuadIndices, v);
}

void PostEffect::drawTexturedQuad(L3DDevice& device, const POSTEFFECT_RECT& rect, float grey,
                                  float alpha, const Texture& texture) {
    device.SetStateTexture(0, texture->texture);
    float uv[4];
    uvRect(*texture, rect.sx, rect.sy, rect.sw, rect.sh, uv);
    const uint32_t colour = postEffectQuadColour(grey, alpha);
    const uint32_t colours[4] = {colour, colour, colour, colour};
    const float dest[4] = {rect.x, rect.y, rect.w, rect.h};
    drawQuad(device, dest, uv, uv, colours);
}

void PostEffect::drawTexturedQuad2(L3DDevice& device, const POSTEFFECT_RECT2& rect, float grey,
                                   float alpha, const Texture& texture, const Texture& texture2) {
    device.SetStateTexture(0, texture->texture);
    device.SetStateTexture(1, texture2->texture);
    float uv0[4], uv1[4];
    uvRect(*texture, rect.sx, rect.sy, rect.sw, rect.sh, uv0);
    uvRect(*texture2, rect.sx2, rect.sy2, rect.sw2, rect.sh2, uv1);
    const uint32_t colour = postEffectQuadColour(grey, alpha);
    const uint32_t colours[4] = {colour, colour, colour, colour};
    const float dest[4] = {rect.x, rect.y, rect.w, rect.h};
    drawQuad(device, dest, uv0, uv1, colours);
    device.SetStateTexture(1, nullptr);
}

void PostEffect::beginPass(const char* name, const Texture& target, L3DVShader* vs,
                           L3DPShader* ps) {
    if (trace_) trace_(name, target.Get());
    device_->SetRenderTarget(true, target);
    device_->SetVShader(0, vs ? vs->shader : nullptr);
    device_->SetPShader(ps ? ps->shader : nullptr);
}

void PostEffect::passCopy(const POSTEFFECT_RECT& rect, Texture target, Texture source) {
    beginPass("copy", target, shaders_.through1Vs.Get(), nullptr);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passBlend(const POSTEFFECT_RECT& rect, float alpha, Texture target,
                           Texture source) {
    beginPass("blend", target, shaders_.through1Vs.Get(), nullptr);
    setBlend(*device_, D3DBLEND_INVSRCALPHA);
    drawTexturedQuad(*device_, rect, 1.0f, alpha, source);
    blendOff(*device_);
}

void PostEffect::passBlendTextureAlpha(const POSTEFFECT_RECT& rect, float alpha, Texture target,
                                       Texture source) {
    beginPass("blendTextureAlpha", target, shaders_.through1Vs.Get(), nullptr);
    setBlend(*device_, D3DBLEND_INVSRCALPHA);
    device_->SetStateTexStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    drawTexturedQuad(*device_, rect, 1.0f, alpha, source);
    device_->SetStateTexStage(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    blendOff(*device_);
}

void PostEffect::passAdd(const POSTEFFECT_RECT& rect, float alpha, Texture target, Texture source) {
    beginPass("add", target, shaders_.through1Vs.Get(), nullptr);
    setBlend(*device_, D3DBLEND_ONE);
    drawTexturedQuad(*device_, rect, 1.0f, alpha, source);
    blendOff(*device_);
}

namespace {

// The vertex constant of the down-sampling shader: the source size in texels.
void setSourceSize(L3DDevice& device, const L3DTexture& source) {
    const float size[4] = {static_cast<float>(source.width), static_cast<float>(source.height),
                           0.0f, 0.0f};
    device.SetVSConstants(1, 0, size);
}

}  // namespace

void PostEffect::passDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source) {
    beginPass("down4", target, shaders_.down4Vs.Get(), shaders_.down4Ps.Get());
    setSourceSize(*device_, *source);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passBrightDown4(const POSTEFFECT_RECT& rect, float threshold, Texture target,
                                 Texture source) {
    beginPass("brightDown4", target, shaders_.down4Vs.Get(), shaders_.brightDown4Ps.Get());
    setSourceSize(*device_, *source);
    const float c0[4] = {threshold, 0.0f, 0.0f, 0.0f};
    setPixelConstants(*device_, 0, c0, 1);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passMulDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source) {
    beginPass("mulDown4", target, shaders_.down4Vs.Get(), shaders_.mulDown4Ps.Get());
    setSourceSize(*device_, *source);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passAlphaDown4(const POSTEFFECT_RECT& rect, Texture target, Texture source) {
    beginPass("alphaDown4", target, shaders_.down4Vs.Get(), shaders_.alphaDown4Ps.Get());
    setSourceSize(*device_, *source);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passGauss(const float rect[4], uint32_t level, Texture temporary,
                           Texture destination, Texture source) {
    L3DPShader* ps = shaders_.gaussPs[level < POSTEFFECT_SHADERS::GaussLevels ? level : 7].Get();
    // Samples beyond the edges read transparent black, not the edge texels.
    device_->SetStateSampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_BORDER);
    device_->SetStateSampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_BORDER);
    device_->SetStateSampler(0, D3DSAMP_BORDERCOLOR, 0);
    const POSTEFFECT_RECT quad = {rect[0] + 0.5f, rect[1] + 0.5f, rect[2], rect[3],
                                  rect[0],        rect[1],        rect[2], rect[3]};
    const float width = static_cast<float>(source->width);
    const float height = static_cast<float>(source->height);

    beginPass("gaussX", temporary, shaders_.gaussXVs.Get(), ps);
    // c0.x is the size along the blur; c0.y the size across it, for the shaders' centring.
    const float vx[4] = {width, height, 0.0f, 0.0f};
    device_->SetVSConstants(1, 0, vx);
    const float px[4] = {16.0f / width, 0.0f, 0.0f, 0.0f};
    setPixelConstants(*device_, 0, px, 1);
    drawTexturedQuad(*device_, quad, 1.0f, 1.0f, source);

    beginPass("gaussY", destination, shaders_.gaussYVs.Get(), ps);
    const float vy[4] = {height, width, 0.0f, 0.0f};
    device_->SetVSConstants(1, 0, vy);
    const float py[4] = {0.0f, 16.0f / height, 0.0f, 0.0f};
    setPixelConstants(*device_, 0, py, 1);
    drawTexturedQuad(*device_, quad, 1.0f, 1.0f, temporary);

    device_->SetStateSampler(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetStateSampler(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}

void PostEffect::passOverlay(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                             Texture target, Texture source) {
    beginPass("overlay", target, shaders_.through1Vs.Get(), shaders_.overlayColorPs.Get());
    setPixelConstants(*device_, 0, request.overlay.colour, 1);
    setPixelConstants(*device_, 1, request.overlay.twiceInverse, 1);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passSoftlight(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                               Texture target, Texture source) {
    beginPass("softlight", target, shaders_.through1Vs.Get(), shaders_.softlightColorPs.Get());
    setPixelConstants(*device_, 0, request.softlight.factors, 1);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passHardlight(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                               Texture target, Texture source) {
    beginPass("hardlight", target, shaders_.through1Vs.Get(), shaders_.hardlightColorPs.Get());
    setPixelConstants(*device_, 0, request.hardlight.colour, 1);
    setPixelConstants(*device_, 1, request.hardlight.twiceInverse, 1);
    setPixelConstants(*device_, 2, request.hardlight.step, 1);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passDiffuse(const POSTEFFECT_RECT2& rect, float bias, Texture target,
                             Texture scene, Texture blurred) {
    beginPass("diffuse", target, shaders_.through2Vs.Get(), shaders_.diffusePs.Get());
    const float c0[4] = {bias, 0.0f, 0.0f, 0.0f};
    setPixelConstants(*device_, 0, c0, 1);
    drawTexturedQuad2(*device_, rect, 1.0f, 1.0f, scene, blurred);
}

void PostEffect::passZoomBlur(const POSTEFFECT_RECT& rect, const POSTEFFECT_REQUEST& request,
                              Texture target, Texture source) {
    beginPass("zoomBlur", target, shaders_.through1Vs.Get(), shaders_.zoomblurPs.Get());
    const float c0[4] = {request.zoom.centerX, request.zoom.centerY, request.zoom.value2,
                         request.zoom.value3};
    const float c1[4] = {1.0f / rect.sw, 1.0f / rect.sh, request.zoom.phase, rect.sw / rect.sh};
    setPixelConstants(*device_, 0, c0, 1);
    setPixelConstants(*device_, 1, c1, 1);
    drawTexturedQuad(*device_, rect, 1.0f, 1.0f, source);
}

void PostEffect::passShimmer(const POSTEFFECT_RECT2& rect, const POSTEFFECT_REQUEST& request,
                             Texture target, Texture scene, Texture noise) {
    beginPass("shimmer", target, shaders_.through2Vs.Get(), shaders_.shimmerPs.Get());
    const float c0[4] = {request.shimmer.powerX, request.shimmer.powerY, 0.0f, 0.0f};
    setPixelConstants(*device_, 0, c0, 1);
    device_->SetStateSampler(1, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device_->SetStateSampler(1, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    drawTexturedQuad2(*device_, rect, 1.0f, 1.0f, scene, noise);
    device_->SetStateSampler(1, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    device_->SetStateSampler(1, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
}
