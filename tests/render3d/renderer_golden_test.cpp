// Golden images of the shader set: a lit sphere per option type, rigid and skinned with two
// bones, drawn through the shader passes on the software device (128 x 128 frames).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "render3d/L3DAnimInstMat.h"
#include "render3d/shader_pass.h"
#include "tests/platform/d3d9/support/presented_frames.h"
#include "tests/render3d/renderer_fixture.h"
#include "tests/render3d/support/matrices.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

constexpr uint32_t kSize = 128;
constexpr float kPi = 3.14159265f;

// The 72-byte vertex of parts with three UV sets.
struct Vertex3 {
    L3D_RENDERER_VERTEX base;
    float u1, v1, u2, v2;
};
static_assert(sizeof(Vertex3) == 72);

struct Sphere {
    std::vector<Vertex3> vertices;
    std::vector<uint16_t> indices;
};

// A unit sphere of 24 x 16 quads. The upper half follows bone 2, the lower bone 1, blended
// across the equator; bone bytes 1 and 2 name bone-list entries 0 and 1.
Sphere makeSphere() {
    constexpr int slices = 24, stacks = 16;
    Sphere s;
    for (int i = 0; i <= stacks; ++i) {
        const float theta = kPi * static_cast<float>(i) / stacks;
        for (int j = 0; j <= slices; ++j) {
            const float phi = 2.0f * kPi * static_cast<float>(j) / slices;
            Vertex3 v{};
            const float x = std::sin(theta) * std::cos(phi), y = std::cos(theta),
                        z = std::sin(theta) * std::sin(phi);
            v.base.x = v.base.nx = x;
            v.base.y = v.base.ny = y;
            v.base.z = v.base.nz = z;
            const float upper = std::clamp(0.5f + y, 0.0f, 1.0f);
            v.base.weights[0] = 1.0f - upper;
            v.base.weights[1] = upper;
            v.base.boneIndices = 0x0201;
            v.base.color = 0xFFFFE8D0;
            v.base.u = static_cast<float>(j) / slices;
            v.base.v = static_cast<float>(i) / stacks;
            v.u1 = 0.5f + 0.5f * x;
            v.v1 = 0.5f - 0.5f * y;
            v.u2 = static_cast<float>(j) / slices;
            v.v2 = static_cast<float>(i) / stacks;
            s.vertices.push_back(v);
        }
    }
    for (int i = 0; i < stacks; ++i)
        for (int j = 0; j < slices; ++j) {
            const auto a = static_cast<uint16_t>(i * (slices + 1) + j);
            const auto b = static_cast<uint16_t>(a + slices + 1);
            s.indices.insert(s.indices.end(),
                             {a, b, static_cast<uint16_t>(a + 1), static_cast<uint16_t>(a + 1), b,
                              static_cast<uint16_t>(b + 1)});
        }
    return s;
}

// The upper bone: turned 25 degrees about z around the sphere's bottom, bending the top left.
LMat bentBone() {
    LMat up = LMat::Identity(), down = LMat::Identity();
    up.m[3][1] = 1.0f;
    down.m[3][1] = -1.0f;
    return up * rotation(2, 25.0f) * down;
}

class RendererGolden : public RendererTest {
protected:
    void SetUp() override {
        RendererTest::SetUp();
        clientWidth_ = clientHeight_ = kSize;
        presenter_ = [this](HWND) { return lastFramePresenter(frame_); };
        L3DDevice& device = createWindowed();
        L3DRenderer& r = createRenderer(device, builtShaderArchive());
        // Camera at z = -3 looking along +z; 60 degrees, near 0.5, far 10.
        LMat view = LMat::Identity();
        view.m[3][2] = 3.0f;
        const float zn = 0.5f, zf = 10.0f, ys = 1.0f / std::tan(kPi / 6.0f);
        LMat projection{};
        projection.m[0][0] = ys;
        projection.m[1][1] = ys;
        projection.m[2][2] = zf / (zf - zn);
        projection.m[2][3] = 1.0f;
        projection.m[3][2] = -zn * zf / (zf - zn);
        r.view = view;
        r.projection = projection;
        setViewProjection(view * projection);
        const float l[3] = {-0.4f, 0.6f, -0.7f};
        const float n = std::sqrt(l[0] * l[0] + l[1] * l[1] + l[2] * l[2]);
        for (int i = 0; i < 3; ++i) r.lightDir[i] = l[i] / n;
        r.fogParams[0] = -1.0f / (zf - zn);
        r.fogParams[1] = zf / (zf - zn);

        base_ = texture("base", 32, 32, [](uint32_t x, uint32_t y) {
            return ((x / 4 + y / 4) % 2) ? 0xFFFFFFFFu : 0xFFA0C0FFu;
        });
        // Ramps along u: a glossy spot, cel steps with a warm row 0..1 and a cool row 2..3,
        // a thin bright band near u = 1.
        gloss_ = texture("gloss", 16, 4, [](uint32_t x, uint32_t) {
            const uint32_t g = x * x * 255 / 225;
            return 0xFF000000u | g * 0x010101u;
        });
        cel_ = texture("cel", 16, 4, [](uint32_t x, uint32_t y) {
            const uint32_t level = x < 6 ? 0x50 : x < 11 ? 0xA0 : 0xFF;
            return y < 2 ? 0xFF000000u | level << 16 | (level * 3 / 4) << 8 | level / 2
                         : 0xFF000000u | (level / 2) << 16 | (level * 3 / 4) << 8 | level;
        });
        band_ = texture("band", 16, 4,
                        [](uint32_t x, uint32_t) { return x == 15 ? 0xFFFFFFFFu : 0xFF000000u; });
        lightMap_ = texture("lightmap", 16, 16, [](uint32_t x, uint32_t) {
            const uint32_t g = 0x40 + x * 8;
            return 0xFF000000u | g * 0x010101u;
        });
        emissive_ = texture("emissive", 16, 16, [](uint32_t, uint32_t y) {
            return y == 7 || y == 8 ? 0xFFFF4000u : 0x00000000u;
        });
        sphere_ = makeSphere();
    }

    void setViewProjection(const LMat& vp) {
        renderer_->viewProjection = vp;
        LMat::Transpose(renderer_->viewProjectionT, vp);
        renderer_->cacheFlags = 0;
    }

    mirel::rcptr<L3DTexture> texture(const char* name, uint32_t w, uint32_t h,
                                     const std::function<uint32_t(uint32_t, uint32_t)>& texel) {
        mirel::rcptr<L3DTexture> t = device_->CreateTexture(name, w, h);
        int32_t pitch = 0;
        uint8_t* bits = t->Lock(0, 0, w, h, pitch);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const uint32_t value = texel(x, y);
                std::memcpy(bits + y * pitch + 4 * x, &value, 4);
            }
        t->texture->UnlockRect(0);
        return t;
    }

    // The option of the type with the scene's parameters, and its ramps.
    void useOption(uint32_t type) {
        const float a[4] = {0.85f, 0.85f, 0.8f, 1.0f};
        const float b[4] = {0.15f, 0.15f, 0.25f, 0.0f};
        const auto colours = [&](float* c1, float* c2) {
            std::memcpy(c1, a, sizeof a);
            std::memcpy(c2, b, sizeof b);
        };
        material_ = {};
        switch (type) {
        case L3DShaderNormal: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_NORMAL> o;
            o.Create();
            colours(o->color1, o->color2);
            material_.option = o;
            break;
        }
        case L3DShaderHighlight: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_HIGHLIGHT> o;
            o.Create();
            colours(o->color1, o->color2);
            o->power = 24.0f;
            material_.option = o;
            material_.texture2 = gloss_;
            break;
        }
        case L3DShaderFurlight: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_FURLIGHT> o;
            o.Create();
            colours(o->color1, o->color2);
            o->power = 6.0f;
            o->furVector[1] = 1.0f;
            material_.option = o;
            material_.texture2 = gloss_;
            break;
        }
        case L3DShaderTexlight: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXLIGHT> o;
            o.Create();
            o->factor1 = 0.25f;
            material_.option = o;
            material_.texture2 = cel_;
            break;
        }
        case L3DShaderTexhighlight: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT> o;
            o.Create();
            o->factor1 = 0.75f;
            o->factor2 = 0.5f;
            material_.option = o;
            material_.texture2 = cel_;
            material_.texture3 = band_;
            break;
        }
        case L3DShaderTexfurlight: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXFURLIGHT> o;
            o.Create();
            o->factor1 = 0.25f;
            o->factor2 = 0.5f;
            o->furVector[0] = -1.0f;
            material_.option = o;
            material_.texture2 = cel_;
            material_.texture3 = band_;
            break;
        }
        default: {
            mirel::rcptr<L3D_RENDERER_SHADEROPT_MAP3> o;
            o.Create();
            colours(o->color1, o->color2);
            material_.option = o;
            material_.texture2 = lightMap_;
            material_.texture3 = emissive_;
            break;
        }
        }
        material_.option->shaderType = type;
    }

    // Draws the sphere with the bones given (none: rigid) and returns the presented frame.
    Frame draw(uint32_t type, const LMat& world, const std::vector<LMat>& bones = {}) {
        useOption(type);
        L3DShaderPassRecord record;
        record.material = &material_;
        record.world = world;
        record.baseTexture = base_.Get();
        const bool map3 = type == L3DShaderMap3;
        if (map3) record.flags |= L3DShaderPassRecord::FlagThreeUvSets;
        const uint32_t boneList[] = {1, 2};
        if (!bones.empty()) {
            record.weightCount = 2;
            record.boneIndices = boneList;
            LMat::Transpose(renderer_->boneMatrices.At(0), world);
            for (size_t i = 0; i < bones.size(); ++i)
                LMat::Transpose(renderer_->boneMatrices.At(static_cast<int32_t>(i + 1)), bones[i]);
        }
        IDirect3DDevice9* d = device_->device();
        d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF303040, 1.0f, 0);
        d->BeginScene();
        EXPECT_TRUE(renderer_->_SetShaderPass(0, record, 0));
        device_->SetFVF(map3 ? 0x835E : L3DDevice::DefaultFvf);
        device_->ApplyStates();
        const auto primitives = static_cast<uint32_t>(sphere_.indices.size() / 3);
        const auto count = static_cast<uint32_t>(sphere_.vertices.size());
        if (map3) {
            device_->DrawIndexedUP(72, D3DPT_TRIANGLELIST, count, primitives,
                                   sphere_.indices.data(), sphere_.vertices.data());
        } else {
            std::vector<L3D_RENDERER_VERTEX> plain;
            for (const Vertex3& v : sphere_.vertices) plain.push_back(v.base);
            device_->DrawIndexedUP(56, D3DPT_TRIANGLELIST, count, primitives,
                                   sphere_.indices.data(), plain.data());
        }
        d->EndScene();
        frame_ = {};
        EXPECT_TRUE(device_->Present());
        return frame_;
    }

    static uint32_t at(const Frame& f, uint32_t x, uint32_t y) {
        return f.argb[static_cast<size_t>(y) * f.width + x] & 0x00FFFFFF;
    }

    Frame frame_;
    Sphere sphere_;
    L3D_ANIMINST_MAT material_;
    mirel::rcptr<L3DTexture> base_, gloss_, cel_, band_, lightMap_, emissive_;
};

struct Kind {
    uint32_t type;
    const char* name;
};
constexpr Kind kKinds[] = {
    {L3DShaderNormal, "normal"},
    {L3DShaderHighlight, "highlight"},
    {L3DShaderFurlight, "furlight"},
    {L3DShaderTexlight, "texlight"},
    {L3DShaderTexhighlight, "texhighlight"},
    {L3DShaderTexfurlight, "texfurlight"},
    {L3DShaderMap3, "map3"},
};

// Rigid spheres turned by 20 degrees; skinned ones whose upper half is bent to the left.
TEST_F(RendererGolden, LitSpherePerKindRigidAndSkinned) {
    const LMat world = rotation(2, 20.0f);
    for (const Kind& kind : kKinds) {
        EXPECT_TRUE(matchesGolden(draw(kind.type, world), "render3d", kind.name));
        const Frame skinned = draw(kind.type, world, {world, bentBone() * world});
        EXPECT_TRUE(matchesGolden(skinned, "render3d", std::string(kind.name) + "_skinned"));
    }
}

// Bones equal to the world matrix give the rigid image; a turned bone moves its vertices.
TEST_F(RendererGolden, IdentityBonesGiveTheRigidImage) {
    const LMat world = rotation(2, 20.0f);
    for (uint32_t type : {uint32_t{L3DShaderNormal}, uint32_t{L3DShaderTexhighlight}}) {
        const Frame rigid = draw(type, world);
        const Frame same = draw(type, world, {world, world});
        size_t differing = 0;
        for (size_t i = 0; i < rigid.argb.size(); ++i)
            differing += (rigid.argb[i] != same.argb[i]) ? 1 : 0;
        EXPECT_LE(differing, rigid.argb.size() / 200) << type;
        // The upper half follows the bent bone to the left.
        const Frame bent = draw(type, world, {world, bentBone() * world});
        const uint32_t background = at(rigid, 2, 2);
        // The mean x of the sphere's pixels in the upper rows.
        const auto upperCentre = [&](const Frame& f) {
            double sum = 0.0, n = 0.0;
            for (uint32_t y = 0; y < 56; ++y)
                for (uint32_t x = 0; x < kSize; ++x)
                    if (at(f, x, y) != background) {
                        sum += x;
                        n += 1.0;
                    }
            return sum / n;
        };
        EXPECT_NEAR(upperCentre(rigid), 64.0, 3.0) << type;
        EXPECT_LT(upperCentre(bent), upperCentre(rigid) - 8.0) << type;
    }
}

// The fog factor runs from 1 at the near parameter to 0 at the far one: a sphere at the far
// distance takes the fog colour, one at the near distance keeps its own.
TEST_F(RendererGolden, FogAtNearAndFar) {
    renderer_->fogEnable = 1;
    renderer_->fogColor = 0x00FF0000;
    const Frame plain = [&] {
        renderer_->fogEnable = 0;
        Frame f = draw(L3DShaderNormal, LMat::Identity());
        renderer_->fogEnable = 1;
        return f;
    }();
    // Fog from w = 2 (clear) to w = 3 (full): the sphere's front is at w = 2.
    renderer_->fogParams[0] = -1.0f;
    renderer_->fogParams[1] = 3.0f;
    const Frame near = draw(L3DShaderNormal, LMat::Identity());
    renderer_->fogParams[0] = -1.0f / 100.0f;
    renderer_->fogParams[1] = 2.0f / 100.0f;
    const Frame far = draw(L3DShaderNormal, LMat::Identity());
    const uint32_t centre = at(plain, 64, 64);
    EXPECT_NE(centre, 0xFF0000u);
    EXPECT_EQ(at(far, 64, 64), 0xFF0000u);
    const uint32_t nearCentre = at(near, 64, 64);
    for (int shift : {0, 8, 16})
        EXPECT_NEAR(static_cast<int>((nearCentre >> shift) & 0xFF),
                    static_cast<int>((centre >> shift) & 0xFF), 2);
}

}  // namespace
}  // namespace tessera::test
