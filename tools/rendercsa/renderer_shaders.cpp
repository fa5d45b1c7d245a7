#include "tools/rendercsa/renderer_shaders.h"

#include <cstring>

#include "render3d/L3DShaderOption.h"
#include "render3d/shader_table.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/writers/scrambled_fields.h"

namespace tools::rendercsa {
namespace {

std::string reg(int32_t n) { return "c" + std::to_string(n); }

// Where a kind's constants sit: the transform (the view-projection with blend weights, the
// world-view-projection without), the first bone register and the fog factors.
struct Layout {
    int32_t transform;
    int32_t bones;
    std::string fog1, fog2;
};

// The shader under construction. Registers: r0 bone offsets, r1 skinned position, r2 the unit
// normal, r5 the clip position, r6..r10 per kind, r11.x zero.
class Writer {
public:
    Writer(int32_t variant, bool threeUvSets) : variant_(variant) {
        line("vs_2_0");
        line("dcl_position v0");
        if (variant >= 2) line("dcl_blendweight v1");
        if (variant >= 1) line("dcl_blendindices v2");
        line("dcl_normal v3");
        line("dcl_color v4");
        line("dcl_texcoord0 v5");
        if (threeUvSets) {
            line("dcl_texcoord1 v6");
            line("dcl_texcoord2 v7");
        }
        line("slt r11.x, v0.x, v0.x");  // 0 without spending a constant register
    }

    bool skinned() const { return variant_ > 0; }

    // Position to clip space in r5 with oPos and oFog; the unit normal in r2 (world space with
    // blend weights, object space without). With blend weights, c0 is (1, fog1, fog2, 765.01).
    void transform(const Layout& layout) {
        if (skinned()) {
            skin(layout.bones);
            line("mov r1.w, c0.x");
            line("m4x4 r5, r1, " + reg(layout.transform));
        } else {
            line("m4x4 r5, v0, " + reg(layout.transform));
            line("nrm r2.xyz, v3");
        }
        line("mov oPos, r5");
        line("mad oFog, r5.w, " + layout.fog1 + ", " + layout.fog2);
    }

    // r6.x = max(0, N.L) for the light vector in `light`.
    void diffuse(const std::string& light) {
        line("dp3 r6.x, r2, " + light);
        line("max r6.x, r6.x, r11.x");
    }

    // oD0 = vertex colour x (B + A x r6.x); alpha = vertex alpha x A.a + B.a.
    void litColour(const std::string& a, const std::string& b) {
        line("mad r7, " + a + ", r6.x, " + b);
        line("mul r7.xyz, r7, v4");
        line("mad r7.w, v4.w, " + a + ".w, " + b + ".w");
        line("mov oD0, r7");
    }

    // r6.y = max(0, N.H) with H = norm(L + E).
    void halfway(const std::string& light, const std::string& eye) {
        line("add r8.xyz, " + light + ", " + eye);
        line("nrm r9.xyz, r8");
        line("dp3 r6.y, r2, r9");
        line("max r6.y, r6.y, r11.x");
    }

    void line(const std::string& text) { text_ += text + "\n"; }
    const std::string& text() const { return text_; }

private:
    // The weighted sum of the bone transforms of position and normal (one weight: bone b0
    // alone), the normal renormalised. Bone b sits in the three registers from bones + 3b.
    void skin(int32_t bones) {
        static const char* const lanes = "xyzw";
        line("mul r0, v2.zyxw, c0.w");  // b0..b3 as 3 x index
        for (int32_t j = 0; j < variant_; ++j) {
            const std::string lane(1, lanes[j]);
            const std::string rows = "c[a0.x + " + std::to_string(bones) + "]";
            line("mova a0.x, r0." + lane);
            if (variant_ == 1) {
                line("m4x3 r1.xyz, v0, " + rows);
                line("m3x3 r2.xyz, v3, " + rows);
                break;
            }
            line("m4x3 r3.xyz, v0, " + rows);
            line("m3x3 r4.xyz, v3, " + rows);
            if (j == 0) {
                line("mul r1.xyz, r3, v1.x");
                line("mul r2.xyz, r4, v1.x");
            } else {
                line("mad r1.xyz, r3, v1." + lane + ", r1");
                line("mad r2.xyz, r4, v1." + lane + ", r2");
            }
        }
        line("nrm r2.xyz, r2");
    }

    int32_t variant_;
    std::string text_;
};

// Lit by one light: NORMAL, and MAP3 with its three UV sets.
std::string normalShader(int32_t variant, bool map3) {
    Writer w(variant, map3);
    const bool s = w.skinned();
    // With weights: c1 L, c2 A, c3 B, c4..c7 VP, bones c8. Without: c0 Lo, c1 A, c2 B, c3 G, W c4.
    w.transform(s ? Layout{4, 8, "c0.y", "c0.z"} : Layout{4, 0, "c3.x", "c3.y"});
    w.diffuse(s ? "c1" : "c0");
    w.litColour(s ? "c2" : "c1", s ? "c3" : "c2");
    w.line("mov oT0.xy, v5");
    if (map3) {
        w.line("mov oT1.xy, v6");
        w.line("mov oT2.xy, v7");
    }
    return w.text();
}

// NORMAL plus a ramp lookup for stage 1: the glossy spot (highlight) or the sheen (furlight).
std::string glossShader(int32_t variant, bool fur) {
    Writer w(variant, false);
    const bool s = w.skinned();
    // With weights: c1 (L, h), c2 A, c3 B, c4 (E or 0.5P, 0.5), VP c5, bones c9.
    // Without: c0 (Lo, h), c1 A, c2 B, c3 (Eo or 0.5Po, 0.5), c4 G, W c5.
    w.transform(s ? Layout{5, 9, "c0.y", "c0.z"} : Layout{5, 0, "c4.x", "c4.y"});
    const std::string light = s ? "c1" : "c0";
    const std::string extra = s ? "c4" : "c3";
    w.diffuse(light);
    w.litColour(s ? "c2" : "c1", s ? "c3" : "c2");
    if (fur) {
        w.line("dp3 r6.y, r2, " + extra);  // 0.5 N.P + 0.5, toward P
        w.line("add r6.y, r6.y, " + extra + ".w");
    } else {
        w.halfway(light, extra);
    }
    w.line("pow r6.z, r6.y, " + light + ".w");
    w.line("mov r10.x, r6.z");
    w.line("mov r10.y, " + extra + ".w");
    w.line("mov oT1.xy, r10");
    w.line("mov oT0.xy, v5");
    return w.text();
}

// Cel shading: the base texture times the ramp (stage 1) at (0.5 + 0.5 N.L, K1), and for
// texhighlight / texfurlight a band (stage 2) at (max(0, N.H), K2) or (0.5 + 0.5 N.P, K2).
std::string texShader(int32_t kind, int32_t variant) {
    Writer w(variant, false);
    const bool s = w.skinned();
    std::string halfLight, factor1;
    if (kind == L3DShaderTexlight) {
        // With weights: c1 (0.5L, 0.5), c2 K1, VP c3, bones c7.
        // Without: c0 (0.5Lo, 0.5), c1 (K1, fog1, fog2), W c2.
        w.transform(s ? Layout{3, 7, "c0.y", "c0.z"} : Layout{2, 0, "c1.y", "c1.z"});
        halfLight = s ? "c1" : "c0";
        factor1 = s ? "c2.x" : "c1.x";
    } else if (kind == L3DShaderTexhighlight) {
        // With weights: c1 (L, K1), c2 (0.5L, 0.5), c3 (E, K2), VP c4, bones c8.
        // Without: c0 (Lo, K1), c1 (0.5Lo, 0.5), c2 (Eo, K2), c3 G, W c4.
        w.transform(s ? Layout{4, 8, "c0.y", "c0.z"} : Layout{4, 0, "c3.x", "c3.y"});
        const std::string light = s ? "c1" : "c0";
        const std::string eye = s ? "c3" : "c2";
        halfLight = s ? "c2" : "c1";
        factor1 = light + ".w";
        w.halfway(light, eye);
        w.line("mov r10.x, r6.y");
        w.line("mov r10.y, " + eye + ".w");
        w.line("mov oT2.xy, r10");
    } else {
        // With weights: c1 (0.5L, 0.5), c2 (0.5P, 0.5), c3 (K1, K2, 0, 0), VP c4, bones c8.
        // Without: c0 (0.5Lo, 0.5), c1 (0.5Po, 0.5), c2 (K1, K2, fog1, fog2), W c3.
        w.transform(s ? Layout{4, 8, "c0.y", "c0.z"} : Layout{3, 0, "c2.z", "c2.w"});
        halfLight = s ? "c1" : "c0";
        const std::string halfFur = s ? "c2" : "c1";
        const std::string factors = s ? "c3" : "c2";
        factor1 = factors + ".x";
        w.line("dp3 r10.x, r2, " + halfFur);
        w.line("add r10.x, r10.x, " + halfFur + ".w");
        w.line("mov r10.y, " + factors + ".y");
        w.line("mov oT2.xy, r10");
    }
    w.line("dp3 r9.x, r2, " + halfLight);
    w.line("add r9.x, r9.x, " + halfLight + ".w");
    w.line("mov r9.y, " + factor1);
    w.line("mov oT1.xy, r9");
    w.line("mov oD0, v4");
    w.line("mov oT0.xy, v5");
    return w.text();
}

// Inverted-hull outline: each vertex pushed along its clip-space normal by E.xy x w, in the
// edge colour.
std::string edgeShader(int32_t variant) {
    Writer w(variant, false);
    const bool s = w.skinned();
    // With weights: c1 E, c2 colour, VP c3, bones c7. Without: c0 E, c1 colour, c2 G, W c3.
    const Layout layout = s ? Layout{3, 7, "c0.y", "c0.z"} : Layout{3, 0, "c2.x", "c2.y"};
    const std::string edge = s ? "c1" : "c0";
    w.transform(layout);
    w.line("m3x3 r8.xyz, r2, " + reg(layout.transform));
    w.line("mov r8.z, r11.x");
    w.line("nrm r9.xyz, r8");
    w.line("mul r9.xy, r9, " + edge);
    w.line("mad r5.xy, r9, r5.w, r5");
    w.line("mov oPos, r5");
    w.line(std::string("mov oD0, ") + (s ? "c2" : "c1"));
    return w.text();
}

// Unlit: NOLIGHT (vertex colour and uv0), LINE (white) and LINECOLOR (vertex colour).
// With weights: c0 F, VP c1, bones c5. Without: c0 (fog1, fog2), W c1.
std::string unlitShader(int32_t kind, int32_t variant) {
    Writer w(variant, false);
    const bool s = w.skinned();
    w.transform(s ? Layout{1, 5, "c0.y", "c0.z"} : Layout{1, 0, "c0.x", "c0.y"});
    if (kind == L3DShaderLine) {
        w.line("sge r10, v0.x, v0.x");
        w.line("mov oD0, r10");
    } else {
        w.line("mov oD0, v4");
    }
    if (kind == L3DShaderNolight) w.line("mov oT0.xy, v5");
    return w.text();
}

std::string tokenBytes(const std::string& text, const std::string& name, std::string& error) {
    const shasm::AssembleResult assembled = shasm::assembleShader(text);
    if (!assembled.error.empty()) {
        error = name + ": " + assembled.error;
        return {};
    }
    std::string bytes(assembled.tokens.size() * 4, '\0');
    std::memcpy(bytes.data(), assembled.tokens.data(), bytes.size());
    writers::scrambleFields(bytes);
    return bytes;
}

}  // namespace

std::string vertexShaderText(int32_t kind, int32_t variant) {
    switch (kind) {
    case L3DShaderNormal:
        return normalShader(variant, false);
    case L3DShaderMap3:
        return normalShader(variant, true);
    case L3DShaderHighlight:
        return glossShader(variant, false);
    case L3DShaderFurlight:
        return glossShader(variant, true);
    case L3DShaderTexlight:
    case L3DShaderTexhighlight:
    case L3DShaderTexfurlight:
        return texShader(kind, variant);
    case L3DShaderEdge:
        return edgeShader(variant);
    default:
        return unlitShader(kind, variant);
    }
}

// Base (uv0) x the lit colour x the light map (uv1, doubled so that mid-grey is neutral), plus
// the emissive layer (uv2) added by its alpha.
std::string map3PixelShaderText() {
    return "ps_2_0\n"
           "dcl t0.xy\n"
           "dcl t1.xy\n"
           "dcl t2.xy\n"
           "dcl v0\n"
           "dcl_2d s0\n"
           "dcl_2d s1\n"
           "dcl_2d s2\n"
           "texld r0, t0, s0\n"
           "texld r1, t1, s1\n"
           "texld r2, t2, s2\n"
           "mul r0, r0, v0\n"
           "add r1, r1, r1\n"
           "mul r0.xyz, r0, r1\n"
           "mad r0.xyz, r2, r2.w, r0\n"
           "mov oC0, r0\n";
}

std::vector<writers::DmfMember> rendererShaderMembers(std::string& error) {
    std::vector<writers::DmfMember> members;
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind) {
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant) {
            const std::string name = l3dShaderMemberName(kind, variant);
            std::string bytes = tokenBytes(vertexShaderText(kind, variant), name, error);
            if (!error.empty()) return {};
            members.push_back({name, std::move(bytes)});
        }
    }
    std::string pixel = tokenBytes(map3PixelShaderText(), "map3_psh", error);
    if (!error.empty()) return {};
    members.push_back({"map3_psh", std::move(pixel)});
    return members;
}

}  // namespace tools::rendercsa
