#include "tools/d3d9shot/skinned_scene.h"

#include <cmath>
#include <cstring>

#include "tools/d3d9shot/skinning_shader.h"
#include "tools/shasm/shader_assembler.h"

namespace d3d9shot {

using namespace platform::d3d9;

namespace {

constexpr int kRings = 25;     // rows of quads along the tube
constexpr int kSegments = 40;  // quads around it: 25 x 40 x 2 = 2,000 triangles
constexpr int kBones = 4;

struct ScreenVertex {
    float x, y, z, rhw;
    float u, v;
};
constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_TEX1;

// Four bilinear taps, each averaging a 2x2 block, cover the 4x4 block of a target pixel.
// c0 (dx, dy, -dx, -dy), c1 (dx, -dy, -dx, dy): one source texel.
constexpr const char* kDownSampleShader = R"(ps_2_0
dcl t0.xy
dcl_2d s0
def c2, 0.25, 0, 0, 0
add r0.xy, t0, c0.xy
add r1.xy, t0, c0.zw
add r2.xy, t0, c1.xy
add r3.xy, t0, c1.zw
texld r0, r0, s0
texld r1, r1, s0
texld r2, r2, s0
texld r3, r3, s0
add r0, r0, r1
add r0, r0, r2
add r0, r0, r3
mul oC0, r0, c2.x
)";

// Eight taps along c0 (one texel across or down), at -3.5 .. 3.5 texels, equally weighted.
constexpr const char* kBlurShader = R"(ps_2_0
dcl t0.xy
dcl_2d s0
def c2, -3.5, -2.5, -1.5, -0.5
def c3, 0.5, 1.5, 2.5, 3.5
def c4, 0.125, 0, 0, 0
mad r0.xy, c0, c2.x, t0
mad r1.xy, c0, c2.y, t0
mad r2.xy, c0, c2.z, t0
mad r3.xy, c0, c2.w, t0
mad r4.xy, c0, c3.x, t0
mad r5.xy, c0, c3.y, t0
mad r6.xy, c0, c3.z, t0
mad r7.xy, c0, c3.w, t0
texld r0, r0, s0
texld r1, r1, s0
texld r2, r2, s0
texld r3, r3, s0
texld r4, r4, s0
texld r5, r5, s0
texld r6, r6, s0
texld r7, r7, s0
add r0, r0, r1
add r0, r0, r2
add r0, r0, r3
add r0, r0, r4
add r0, r0, r5
add r0, r0, r6
add r0, r0, r7
mul oC0, r0, c4.x
)";

// The scene plus the blur at half strength.
constexpr const char* kCompositeShader = R"(ps_2_0
dcl t0.xy
dcl_2d s0
dcl_2d s1
def c0, 0.5, 0, 0, 0
texld r0, t0, s0
texld r1, t0, s1
mad oC0, r1, c0.x, r0
)";

template <typename Shader, typename Create>
bool createShader(const char* text, Shader** shader, Create create) {
    const tools::shasm::AssembleResult assembled = tools::shasm::assembleShader(text);
    if (assembled.tokens.empty()) return false;
    std::vector<DWORD> tokens(assembled.tokens.begin(), assembled.tokens.end());
    return SUCCEEDED(create(tokens.data(), static_cast<UINT>(tokens.size()), shader));
}

template <typename T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

}  // namespace

SkinnedScene::SkinnedScene(IDirect3DDevice9& device, unsigned width, unsigned height)
    : device_(device), width_(width), height_(height) {
    // A tube along y, its rings weighted between the four bones spread along its length.
    std::vector<SkinnedVertex> mesh;
    for (int ring = 0; ring <= kRings; ++ring) {
        const float t = static_cast<float>(ring) / kRings;
        const float y = -1.0f + 2.0f * t;
        float weights[kBones];
        float sum = 0.0f;
        for (int b = 0; b < kBones; ++b) {
            const float centre = static_cast<float>(b) / (kBones - 1);
            weights[b] = std::fmax(0.0f, 1.0f - std::fabs(t - centre) * 2.0f);
            sum += weights[b];
        }
        for (int s = 0; s <= kSegments; ++s) {
            const float angle = 6.2831853f * static_cast<float>(s) / kSegments;
            const float radius = 0.45f + 0.1f * std::cos(angle * 3.0f);
            SkinnedVertex v{};
            v.x = radius * std::cos(angle);
            v.y = y;
            v.z = radius * std::sin(angle);
            for (int b = 0; b < kBones; ++b) v.weights[b] = weights[b] / sum;
            v.indices = 0x03020100;  // bones 0..3 in bytes 0..3
            v.nx = std::cos(angle);
            v.nz = std::sin(angle);
            v.diffuse = 0xFFFFFFFF;
            v.u = 4.0f * static_cast<float>(s) / kSegments;
            v.v = 2.0f * t;
            mesh.push_back(v);
        }
    }
    vertexCount_ = static_cast<unsigned>(mesh.size());
    vertices_.resize(mesh.size() * sizeof(SkinnedVertex));
    std::memcpy(vertices_.data(), mesh.data(), vertices_.size());
    for (int ring = 0; ring < kRings; ++ring) {
        for (int s = 0; s < kSegments; ++s) {
            const auto at = [](int r, int k) {
                return static_cast<std::uint16_t>(r * (kSegments + 1) + k);
            };
            indices_.insert(indices_.end(),
                            {at(ring, s), at(ring + 1, s), at(ring, s + 1), at(ring, s + 1),
                             at(ring + 1, s), at(ring + 1, s + 1)});
        }
    }

    // A checker of warm and cool squares with a fine grain.
    if (FAILED(device.CreateTexture(128, 128, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &meshTexture_,
                                    nullptr)))
        return;
    D3DLOCKED_RECT locked;
    if (FAILED(meshTexture_->LockRect(0, &locked, nullptr, 0))) return;
    for (int y = 0; y < 128; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(static_cast<unsigned char*>(locked.pBits) +
                                                     y * locked.Pitch);
        for (int x = 0; x < 128; ++x)
            row[x] = ((x / 16 + y / 16) & 1)
                         ? 0xFFE0A040u
                         : 0xFF3060C0u ^ static_cast<std::uint32_t>((x ^ y) & 0x0F);
    }
    meshTexture_->UnlockRect(0);

    using VS = IDirect3DVertexShader9;
    using PS = IDirect3DPixelShader9;
    const auto vs = [&](const DWORD* t, UINT n, VS** s) {
        return device.CreateVertexShader(t, n, s);
    };
    const auto ps = [&](const DWORD* t, UINT n, PS** s) {
        return device.CreatePixelShader(t, n, s);
    };
    if (!createShader(kSkinningShader, &skinning_, vs) ||
        !createShader(kDownSampleShader, &downSample_, ps) ||
        !createShader(kBlurShader, &blur_, ps) || !createShader(kCompositeShader, &composite_, ps))
        return;
    if (!makeTarget(scene_, width, height) || !makeTarget(quarter_, width / 4, height / 4) ||
        !makeTarget(blurred_, width / 4, height / 4))
        return;
    ready_ = SUCCEEDED(device.GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer_));
}

SkinnedScene::~SkinnedScene() {
    device_.SetVertexShader(nullptr);
    device_.SetPixelShader(nullptr);
    for (DWORD s = 0; s < 2; ++s) device_.SetTexture(s, nullptr);
    if (backBuffer_) device_.SetRenderTarget(0, backBuffer_);
    release(backBuffer_);
    for (Target* t : {&scene_, &quarter_, &blurred_}) {
        release(t->surface);
        release(t->texture);
    }
    release(composite_);
    release(blur_);
    release(downSample_);
    release(skinning_);
    release(meshTexture_);
}

bool SkinnedScene::makeTarget(Target& target, unsigned width, unsigned height) {
    return SUCCEEDED(device_.CreateTexture(width, height, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                           D3DPOOL_DEFAULT, &target.texture, nullptr)) &&
           SUCCEEDED(target.texture->GetSurfaceLevel(0, &target.surface));
}

bool SkinnedScene::renderMesh(float seconds) {
    bool ok = SUCCEEDED(device_.SetRenderTarget(0, scene_.surface));
    ok = ok && SUCCEEDED(device_.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030,
                                       1.0f, 0));

    // Projection (right-handed, 60 degrees, near 1, far 6) of a view 3 units back, transposed.
    const float aspect = static_cast<float>(width_) / static_cast<float>(height_);
    const float f = 1.0f / std::tan(0.5236f);
    const float zn = 1.0f, zf = 6.0f, a = zf / (zn - zf), b = zn * zf / (zn - zf);
    const float viewProjection[16] = {f / aspect,    0, 0, 0,  0,   f, 0, 0, 0, 0, a,
                                      -3.0f * a + b, 0, 0, -1, 3.0f};
    const float constants[4][4] = {{1, 0, 0, 765.01f},
                                   {0.577f, 0.577f, 0.577f, 0},
                                   {0.25f, 0.25f, 0.3f, 1},
                                   {-1.0f / (zf - zn), zf / (zf - zn), 0, 0}};
    device_.SetVertexShaderConstantF(0, &constants[0][0], 4);
    device_.SetVertexShaderConstantF(4, viewProjection, 4);
    // Each bone turns about y, the later ones more, and bends the tube sideways.
    for (int bone = 0; bone < kBones; ++bone) {
        const float turn =
            seconds * 1.3f + 0.35f * static_cast<float>(bone) * std::sin(seconds * 2.1f);
        const float c = std::cos(turn), s = std::sin(turn);
        const float lean = 0.25f * static_cast<float>(bone) * std::sin(seconds * 1.7f);
        const float rows[12] = {c, 0, s, lean, 0, 1, 0, 0, -s, 0, c, 0};
        device_.SetVertexShaderConstantF(8 + 3 * bone, rows, 3);
    }
    device_.SetVertexShader(skinning_);
    device_.SetPixelShader(nullptr);
    device_.SetFVF(kSkinnedFvf);
    device_.SetTexture(0, meshTexture_);
    device_.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device_.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    device_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device_.SetRenderState(D3DRS_LIGHTING, FALSE);
    device_.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device_.SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device_.SetRenderState(D3DRS_FOGENABLE, TRUE);
    device_.SetRenderState(D3DRS_FOGCOLOR, 0xFF102030);
    ok = ok && SUCCEEDED(device_.DrawIndexedPrimitiveUP(
                   D3DPT_TRIANGLELIST, 0, vertexCount_, static_cast<UINT>(indices_.size() / 3),
                   indices_.data(), D3DFMT_INDEX16, vertices_.data(), sizeof(SkinnedVertex)));
    device_.SetVertexShader(nullptr);
    device_.SetRenderState(D3DRS_FOGENABLE, FALSE);
    device_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    return ok;
}

bool SkinnedScene::fullScreenPass(IDirect3DSurface9* target, unsigned width, unsigned height) {
    const float w = static_cast<float>(width) - 0.5f, h = static_cast<float>(height) - 0.5f;
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0},
                                  {w, -0.5f, 0, 1, 1, 0},
                                  {-0.5f, h, 0, 1, 0, 1},
                                  {w, h, 0, 1, 1, 1}};
    device_.SetFVF(kScreenFvf);
    return SUCCEEDED(device_.SetRenderTarget(0, target)) &&
           SUCCEEDED(device_.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)));
}

bool SkinnedScene::blurPass(const Target& source, const Target& destination, float stepX,
                            float stepY) {
    const float step[4] = {stepX, stepY, 0, 0};
    device_.SetPixelShaderConstantF(0, step, 1);
    device_.SetTexture(0, source.texture);
    return fullScreenPass(destination.surface, width_ / 4, height_ / 4);
}

bool SkinnedScene::copyToBackBuffer() {
    device_.SetPixelShader(nullptr);
    device_.SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device_.SetTexture(0, scene_.texture);
    device_.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device_.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device_.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    return fullScreenPass(backBuffer_, width_, height_);
}

bool SkinnedScene::render(float seconds) {
    if (!ready_ || FAILED(device_.BeginScene())) return false;
    bool ok = renderMesh(seconds);

    device_.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_.SetSamplerState(1, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_.SetSamplerState(1, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    for (DWORD s = 0; s < 2; ++s) {
        device_.SetSamplerState(s, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        device_.SetSamplerState(s, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
    }
    const float dx = 1.0f / static_cast<float>(width_), dy = 1.0f / static_cast<float>(height_);
    const float down[8] = {dx, dy, -dx, -dy, dx, -dy, -dx, dy};
    device_.SetPixelShader(downSample_);
    device_.SetPixelShaderConstantF(0, down, 2);
    device_.SetTexture(0, scene_.texture);
    ok = ok && fullScreenPass(quarter_.surface, width_ / 4, height_ / 4);

    device_.SetPixelShader(blur_);
    ok = ok && blurPass(quarter_, blurred_, 4.0f * dx, 0.0f);
    ok = ok && blurPass(blurred_, quarter_, 0.0f, 4.0f * dy);

    device_.SetPixelShader(composite_);
    device_.SetTexture(0, scene_.texture);
    device_.SetTexture(1, quarter_.texture);
    ok = ok && fullScreenPass(backBuffer_, width_, height_);
    device_.SetTexture(1, nullptr);
    device_.SetPixelShader(nullptr);
    return SUCCEEDED(device_.EndScene()) && ok;
}

}  // namespace d3d9shot
