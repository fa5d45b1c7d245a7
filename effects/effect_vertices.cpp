// Vertex generation: a part's geometry in view space, appended to the batch array or to a
// sorted element's own array. Built-in shapes (negative model numbers) use fixed index tables;
// definition models bring their own indices.
#include <algorithm>
#include <array>

#include "effects/L3DEffectManager.h"
#include "foundation/DSjisText.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"

namespace {

constexpr int32_t kQuad = -1;
constexpr int32_t kCross = -2;
constexpr int32_t kGrids = -3;
constexpr int32_t kFacing = -4;
constexpr int32_t kTrail = L3DEffectTrailShape;
constexpr int32_t kQuadYZ = -6;
constexpr int32_t kQuadXZ = -7;

constexpr uint32_t kStripQuads = 67;

// A quad (a, b, c, d) is the triangles a, b, c and c, b, d.
template <size_t N>
constexpr void putQuad(std::array<uint16_t, N>& list, size_t& at, int a, int b, int c, int d) {
    for (int index : {a, b, c, c, b, d}) list[at++] = static_cast<uint16_t>(index);
}

constexpr std::array<uint16_t, 6> kQuadList = {0, 1, 2, 2, 1, 3};

constexpr std::array<uint16_t, 24> kCrossList = [] {
    std::array<uint16_t, 24> list{};
    size_t at = 0;
    putQuad(list, at, 0, 1, 2, 3);
    putQuad(list, at, 2, 3, 4, 5);
    putQuad(list, at, 6, 7, 8, 9);
    putQuad(list, at, 8, 9, 10, 11);
    return list;
}();

// Three grids of 3 x 3 vertices, each split in four.
constexpr std::array<uint16_t, 72> kGridList = [] {
    std::array<uint16_t, 72> list{};
    size_t at = 0;
    for (int b = 0; b < 27; b += 9) {
        putQuad(list, at, b + 0, b + 1, b + 2, b + 3);
        putQuad(list, at, b + 2, b + 3, b + 4, b + 5);
        putQuad(list, at, b + 1, b + 6, b + 3, b + 7);
        putQuad(list, at, b + 3, b + 7, b + 5, b + 8);
    }
    return list;
}();

// A ribbon of vertex pairs: quad k joins pair k to pair k + 1.
constexpr std::array<uint16_t, 6 * kStripQuads> kStripList = [] {
    std::array<uint16_t, 6 * kStripQuads> list{};
    size_t at = 0;
    for (int k = 0; k < static_cast<int>(kStripQuads); ++k)
        putQuad(list, at, 2 * k, 2 * k + 1, 2 * k + 2, 2 * k + 3);
    return list;
}();

uint32_t packChannel(float c) {
    if (!(c > 0.0f)) return 0;
    if (c >= 1.0f) return 255;
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

// Placing points of one part: its rectangle, its colour, and the matrix into view space.
struct Placer {
    const L3D_EFFECT_IMAGEDEF& def;
    uint32_t colour;
    LMat matrix;

    // The rectangle point at column s and row t, each 0, 1/2 or 1.
    float u(float s) const {
        return s == 0.5f ? (def.left + def.right) * 0.5f : s == 0.0f ? def.left : def.right;
    }
    float v(float t) const {
        return t == 0.5f ? (def.top + def.bottom) * 0.5f : t == 0.0f ? def.top : def.bottom;
    }
    void put(L3D_RENDERER_VERTEX& out, float x, float y, float z, float s, float t) const {
        place(out, {x, y, z}, matrix);
        out.color = colour;
        out.u = u(s);
        out.v = v(t);
    }
    static void place(L3D_RENDERER_VERTEX& out, const LVec& p, const LMat& m) {
        out = L3D_RENDERER_VERTEX{};
        LVec q;
        LMat::TransformCoord(p, m, q);
        out.x = q.x;
        out.y = q.y;
        out.z = q.z;
    }
};

// The corners of the unit quad in the order of the quad list: (left, top), (left, bottom),
// (right, top), (right, bottom).
constexpr float kCornerS[4] = {0, 0, 1, 1};
constexpr float kCornerT[4] = {0, 1, 0, 1};

// The camera-facing matrix: the part's scale (times the instance's) and rotation, turned back
// by the view's rotation so that the view turns it to face the eye, at the part's position.
LMat facingMatrix(const L3D_EFFECT_WORKPART& work, const LMat& view) {
    const LMat& instanceScale = work.instance->scale;
    LMat m;
    LMat::Scaling(m, instanceScale.m[0][0] * work.scale[0], instanceScale.m[1][1] * work.scale[1],
                  instanceScale.m[2][2] * work.scale[2]);
    LMat::Multiply(m, work.rotationMatrix, m);
    LMat unturn = LMat::Identity();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) unturn.m[r][c] = view.m[c][r];
    LMat::Multiply(m, unturn, m);
    LVec origin;
    LMat::TransformCoord({0, 0, 0}, work.world, origin);
    LMat translation = LMat::Identity();
    translation.m[3][0] = origin.x;
    translation.m[3][1] = origin.y;
    translation.m[3][2] = origin.z;
    LMat::Multiply(m, translation, m);
    LMat::Multiply(m, view, m);
    return m;
}

}  // namespace

uint32_t l3dEffectPackColour(const float colour[4]) {
    return packChannel(colour[3]) << 24 | packChannel(colour[0]) << 16 |
           packChannel(colour[1]) << 8 | packChannel(colour[2]);
}

const L3D_EFFECT_IMAGEKEY* L3DEffectManager::_PartKey(const L3D_EFFECT_WORKPART& work) const {
    if (work.image < 0 || static_cast<uint32_t>(work.image) >= imageDefCount) return nullptr;
    const L3D_EFFECT_IMAGEDEF& def = imageDefs[static_cast<size_t>(work.image)];
    return &images[def.image].keys[def.blend];
}

bool L3DEffectManager::_BuildPartVertices(const L3D_EFFECT_WORKPART& work,
                                          L3DEffectGeometry& geometry) {
    return buildPartGeometry(batchVertices, work, geometry);
}

bool L3DEffectManager::_BuildPartZsd(_L3D_EFFECT_ZSDPART& element, const L3D_EFFECT_WORKPART& work,
                                     L3DEffectGeometry& geometry) {
    return buildPartGeometry(element.vertices, work, geometry);
}

template <class Vertices>
bool L3DEffectManager::buildPartGeometry(Vertices& vertices, const L3D_EFFECT_WORKPART& work,
                                         L3DEffectGeometry& geometry) {
    if (work.model < L3DEffectFirstShape ||
        (work.model >= 0 && static_cast<uint32_t>(work.model) >= modelCount))
        l3dError(mirel::DSjis<"[L3DEffectManager::Draw] 未対応のモデル(%d)">(), work.model);
    if (!_PartKey(work)) return false;
    const LMat& view = renderer->view;
    const L3D_EFFECT_IMAGEDEF& def = imageDefs[static_cast<size_t>(work.image)];
    Placer placer{def, l3dEffectPackColour(work.finalColour), {}};
    LMat::Multiply(work.world, view, placer.matrix);
    const float px = def.pivotX, py = def.pivotY;

    uint32_t count = 0;
    const uint16_t* indices = nullptr;
    uint32_t indexCount = 0;
    uint32_t trailSamples = 0;
    const L3DEffectManagerItemB* model = nullptr;
    switch (work.model) {
    case kQuad:
    case kQuadYZ:
    case kQuadXZ:
    case kFacing:
        count = 4;
        indices = kQuadList.data();
        indexCount = kQuadList.size();
        break;
    case kCross:
        count = 12;
        indices = kCrossList.data();
        indexCount = kCrossList.size();
        break;
    case kGrids:
        count = 27;
        indices = kGridList.data();
        indexCount = kGridList.size();
        break;
    case kTrail:
        if (!work.trail) return false;
        trailSamples = std::min(work.trail->sampleCount + work.trail->provisionalCount,
                                L3D_EFFECT_TRACKER::SampleCapacity);
        if (trailSamples < 2) return false;
        count = 2 * trailSamples;
        indices = kStripList.data();
        indexCount = 6 * (trailSamples - 1);
        break;
    default:
        model = &models[static_cast<size_t>(work.model)];
        count = model->vertexCount;
        indices = model->indices.Get();
        indexCount = model->indexCount;
        if (count == 0 || indexCount == 0) return false;
        break;
    }

    const auto base = static_cast<uint32_t>(vertices.Count());
    vertices.SetCount(static_cast<int32_t>(base + count));
    L3D_RENDERER_VERTEX* out = vertices.Items() + base;
    switch (work.model) {
    case kQuad:
        for (int k = 0; k < 4; ++k)
            placer.put(out[k], kCornerS[k] - px, py - kCornerT[k], 0, kCornerS[k], kCornerT[k]);
        break;
    case kQuadYZ:
        for (int k = 0; k < 4; ++k)
            placer.put(out[k], 0, py - kCornerT[k], px - kCornerS[k], kCornerS[k], kCornerT[k]);
        break;
    case kQuadXZ:
        for (int k = 0; k < 4; ++k)
            placer.put(out[k], kCornerS[k] - px, 0, kCornerT[k] - py, kCornerS[k], kCornerT[k]);
        break;
    case kFacing:
        placer.matrix = facingMatrix(work, view);
        for (int k = 0; k < 4; ++k)
            placer.put(out[k], kCornerS[k] - px, py - kCornerT[k], 0, kCornerS[k], kCornerT[k]);
        break;
    case kCross: {
        // Two strips, each split down the middle: (s, t) = (0, 0), (0, 1), (1/2, 0), ...
        for (int k = 0; k < 6; ++k) {
            const float s = 0.5f * static_cast<float>(k / 2), t = static_cast<float>(k % 2);
            const float c = s - px, y = py - t;
            placer.put(out[k], c, y, 0, s, t);
            placer.put(out[6 + k], 0, y, c, s, t);
        }
        break;
    }
    case kGrids: {
        constexpr float kS[9] = {0, 0, 0.5f, 0.5f, 1, 1, 0, 0.5f, 1};
        constexpr float kT[9] = {0, 0.5f, 0, 0.5f, 0, 0.5f, 1, 1, 1};
        for (int k = 0; k < 9; ++k) {
            const float s = kS[k], t = kT[k];
            placer.put(out[k], s - px, py - t, 0, s, t);
            placer.put(out[9 + k], 0, py - t, s - px, s, t);
            placer.put(out[18 + k], py - t, 0, s - px, s, t);
        }
        break;
    }
    case kTrail: {
        // The samples are world positions, oldest first; their remaining life slides them
        // from the right edge (new) toward the left.
        const L3D_EFFECT_TRACKER& trail = *work.trail;
        const float du = (def.right - def.left) * trail.inverseLife;
        for (uint32_t i = 0; i < trailSamples; ++i) {
            const L3D_EFFECT_TRACKER::Sample& sample = trail.samples[i];
            const float u = def.left + sample.life * du;
            L3D_RENDERER_VERTEX& a = out[2 * i];
            L3D_RENDERER_VERTEX& b = out[2 * i + 1];
            Placer::place(a, {sample.a[0], sample.a[1], sample.a[2]}, view);
            Placer::place(b, {sample.b[0], sample.b[1], sample.b[2]}, view);
            a.color = b.color = placer.colour;
            a.u = b.u = u;
            a.v = def.top;
            b.v = def.bottom;
        }
        break;
    }
    default: {
        const L3D_EFFECT_MODELVERTEX* in = model->vertices.Get();
        for (uint32_t k = 0; k < count; ++k) {
            Placer::place(out[k], {in[k].position[0], in[k].position[1], in[k].position[2]},
                          placer.matrix);
            float colour[4];
            for (int c = 0; c < 4; ++c) colour[c] = in[k].colour[c] * work.finalColour[c];
            out[k].color = l3dEffectPackColour(colour);
            out[k].u = def.left + (def.right - def.left) * in[k].s;
            out[k].v = def.top + (def.bottom - def.top) * in[k].t;
        }
        break;
    }
    }
    geometry = {base, count, indexCount, indices};
    return true;
}
