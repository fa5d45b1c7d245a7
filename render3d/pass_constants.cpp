#include "render3d/pass_constants.h"

namespace {

// Scales the bone index read from a colour (index / 255) to 3 * index for a0 addressing.
constexpr float kBoneIndexScale = 765.01f;

L3DVec4 vec(const float v[3], float w) { return {v[0], v[1], v[2], w}; }
L3DVec4 half(const float v[3]) { return {0.5f * v[0], 0.5f * v[1], 0.5f * v[2], 0.5f}; }

void appendMatrix(std::vector<L3DVec4>& out, const LMat& m) {
    for (const auto& row : m.m) out.push_back({row[0], row[1], row[2], row[3]});
}

}  // namespace

std::vector<L3DVec4> l3dPassConstants(L3DShaderKind pass, bool skinned, const L3DPassInputs& in) {
    const L3DVec4 f = {1.0f, in.fog1, in.fog2, kBoneIndexScale};
    const L3DVec4 g = {in.fog1, in.fog2, 0.0f, 0.0f};
    std::vector<L3DVec4> c;
    if (skinned) c.push_back(f);
    switch (pass) {
    case L3DShaderNormal:
    case L3DShaderMap3:
        c.push_back(vec(in.light, 0.0f));
        c.push_back(in.colour1);
        c.push_back(in.colour2);
        if (!skinned) c.push_back(g);
        break;
    case L3DShaderHighlight:
    case L3DShaderFurlight:
        c.push_back(vec(in.light, in.power));
        c.push_back(in.colour1);
        c.push_back(in.colour2);
        c.push_back(pass == L3DShaderHighlight ? vec(in.eye, 0.5f) : half(in.fur));
        if (!skinned) c.push_back(g);
        break;
    case L3DShaderTexlight:
        c.push_back(half(in.light));
        if (skinned)
            c.push_back({in.factor1, 0.0f, 0.0f, 0.0f});
        else
            c.push_back({in.factor1, in.fog1, in.fog2, 0.0f});
        break;
    case L3DShaderTexhighlight:
        c.push_back(vec(in.light, in.factor1));
        c.push_back(half(in.light));
        c.push_back(vec(in.eye, in.factor2));
        if (!skinned) c.push_back(g);
        break;
    case L3DShaderTexfurlight:
        c.push_back(half(in.light));
        c.push_back(half(in.fur));
        if (skinned)
            c.push_back({in.factor1, in.factor2, 0.0f, 0.0f});
        else
            c.push_back({in.factor1, in.factor2, in.fog1, in.fog2});
        break;
    default:
        break;
    }
    appendMatrix(c, in.transform);
    return c;
}
