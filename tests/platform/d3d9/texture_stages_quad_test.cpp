// The texture stages over a quad against the one-pixel evaluation: every pixel must get the
// same bits, over operations, argument sources and modifiers, and chains of stages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "platform/d3d9/texture_stages.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

struct StageSetup {
    DWORD colourOp, colourArg1, colourArg2;
    DWORD alphaOp, alphaArg1, alphaArg2;
};

struct StagesCase {
    const char* name;
    std::vector<StageSetup> stages;  // the rest disabled
};

constexpr DWORD kComplement = D3DTA_COMPLEMENT, kReplicate = D3DTA_ALPHAREPLICATE;

TEST(TextureStagesQuad, EveryPixelMatchesTheOnePixelStages) {
    const StagesCase cases[] = {
        {"no stages", {}},
        {"modulate texture and diffuse",
         {{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE,
           D3DTA_DIFFUSE}}},
        {"select each argument",
         {{D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_DIFFUSE,
           D3DTA_SPECULAR}}},
        {"add saturates, alpha disabled",
         {{D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_SPECULAR, D3DTOP_DISABLE, D3DTA_TEXTURE,
           D3DTA_DIFFUSE}}},
        {"complement and replicate",
         {{D3DTOP_MODULATE, D3DTA_TEXTURE | kComplement, D3DTA_DIFFUSE | kReplicate, D3DTOP_ADD,
           D3DTA_TEXTURE | kComplement | kReplicate, D3DTA_TFACTOR | kReplicate}}},
        {"current on the first stage is diffuse",
         {{D3DTOP_ADD, D3DTA_CURRENT, D3DTA_CURRENT | kComplement, D3DTOP_MODULATE, D3DTA_CURRENT,
           D3DTA_TEXTURE}}},
        // Arguments the operations leave unread may name sources the stages do not have.
        {"unread arguments of other sources",
         {{D3DTOP_SELECTARG1, D3DTA_DIFFUSE, 0x0F, D3DTOP_SELECTARG2, 0x0E | kComplement,
           D3DTA_TEXTURE}}},
        {"chain of four",
         {{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
           D3DTA_DIFFUSE},
          {D3DTOP_ADD, D3DTA_CURRENT, D3DTA_TEXTURE | kReplicate, D3DTOP_MODULATE, D3DTA_CURRENT,
           D3DTA_TFACTOR},
          {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT | kComplement, D3DTOP_DISABLE,
           D3DTA_CURRENT, D3DTA_CURRENT},
          {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_SPECULAR | kComplement | kReplicate, D3DTOP_ADD,
           D3DTA_CURRENT | kComplement, D3DTA_SPECULAR}}},
    };
    std::mt19937 random(99);
    // Values past [0, 1] too, as interpolated colours and a texture-stage chain may hold.
    std::uniform_real_distribution<float> value(-0.25f, 1.25f);
    for (const StagesCase& c : cases) {
        SCOPED_TRACE(c.name);
        StateStore states;
        states.setDefaults(false);
        states.render[D3DRS_TEXTUREFACTOR] = 0xC0804020;
        for (UINT i = 0; i < kStageCount; ++i) states.stage[i][D3DTSS_COLOROP] = D3DTOP_DISABLE;
        for (std::size_t i = 0; i < c.stages.size(); ++i) {
            const StageSetup& s = c.stages[i];
            auto& stage = states.stage[i];
            stage[D3DTSS_COLOROP] = s.colourOp;
            stage[D3DTSS_COLORARG1] = s.colourArg1;
            stage[D3DTSS_COLORARG2] = s.colourArg2;
            stage[D3DTSS_ALPHAOP] = s.alphaOp;
            stage[D3DTSS_ALPHAARG1] = s.alphaArg1;
            stage[D3DTSS_ALPHAARG2] = s.alphaArg2;
        }
        ASSERT_EQ(validateTextureStages(states), D3D_OK);
        const TextureStages stages(states);
        ASSERT_EQ(stages.count(), c.stages.size());
        for (int trial = 0; trial < 200; ++trial) {
            QuadStageInputs quad;
            StageInputs pixels[4];
            const auto fill = [&](LaneColours& lanes, auto member) {
                for (int p = 0; p < 4; ++p) {
                    Colour& colour = member(pixels[p]);
                    colour = {value(random), value(random), value(random), value(random)};
                    const float channels[4] = {colour.r, colour.g, colour.b, colour.a};
                    for (int k = 0; k < 4; ++k) lanes.c[k][p] = channels[k];
                }
            };
            fill(quad.diffuse, [](StageInputs& in) -> Colour& { return in.diffuse; });
            fill(quad.specular, [](StageInputs& in) -> Colour& { return in.specular; });
            for (UINT s = 0; s < kStageCount; ++s)
                fill(quad.texture[s], [s](StageInputs& in) -> Colour& { return in.texture[s]; });
            LaneColours out;
            stages.runQuad(quad, out);
            for (int p = 0; p < 4; ++p) {
                const Colour one = stages.run(pixels[p]);
                const float expected[4] = {one.r, one.g, one.b, one.a};
                for (int k = 0; k < 4; ++k)
                    ASSERT_EQ(std::memcmp(&out.c[k][p], &expected[k], sizeof(float)), 0)
                        << "pixel " << p << " channel " << k << ": " << out.c[k][p]
                        << " instead of " << expected[k];
            }
        }
    }
}

// Stages over an unbound (white) texture that hand the current colour on are left out; the
// result must keep the bits of evaluating them, for every input including -0, infinities and
// NaN.
TEST(TextureStagesQuad, StagesLeftOutOverWhiteTexturesChangeNoBits) {
    struct WhiteCase {
        const char* name;
        std::vector<StageSetup> stages;
        std::uint32_t white;  // stages whose texture reads opaque white
    };
    const WhiteCase cases[] = {
        {"the post passes' second stage",
         {{D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
           D3DTA_DIFFUSE},
          {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
           D3DTA_CURRENT}},
         0b10},
        {"a first stage modulating by white",
         {{D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_MODULATE, D3DTA_TEXTURE,
           D3DTA_CURRENT},
          {D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE,
           D3DTA_SPECULAR}},
         0b01},
        {"selections between others",
         {{D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_SPECULAR, D3DTOP_SELECTARG1, D3DTA_TFACTOR,
           D3DTA_DIFFUSE},
          {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_DISABLE, D3DTA_TEXTURE,
           D3DTA_DIFFUSE},
          {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TFACTOR | kComplement, D3DTOP_SELECTARG2,
           D3DTA_TEXTURE, D3DTA_CURRENT}},
         0b110},
        {"white stages that change the colour are kept",
         {{D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
           D3DTA_CURRENT},
          {D3DTOP_MODULATE, D3DTA_TEXTURE | kComplement, D3DTA_CURRENT, D3DTOP_MODULATE,
           D3DTA_TEXTURE, D3DTA_CURRENT | kReplicate}},
         0b11},
    };
    std::mt19937 random(5);
    const float special[] = {-0.0f,
                             0.0f,
                             1.0f,
                             std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity(),
                             std::numeric_limits<float>::quiet_NaN()};
    std::uniform_real_distribution<float> value(-0.25f, 1.25f);
    const auto input = [&] {
        return random() % 4 == 0 ? special[random() % std::size(special)] : value(random);
    };
    for (const WhiteCase& c : cases) {
        SCOPED_TRACE(c.name);
        StateStore states;
        states.setDefaults(false);
        states.render[D3DRS_TEXTUREFACTOR] = 0xC0804020;
        for (UINT i = 0; i < kStageCount; ++i) states.stage[i][D3DTSS_COLOROP] = D3DTOP_DISABLE;
        for (std::size_t i = 0; i < c.stages.size(); ++i) {
            const StageSetup& s = c.stages[i];
            auto& stage = states.stage[i];
            stage[D3DTSS_COLOROP] = s.colourOp;
            stage[D3DTSS_COLORARG1] = s.colourArg1;
            stage[D3DTSS_COLORARG2] = s.colourArg2;
            stage[D3DTSS_ALPHAOP] = s.alphaOp;
            stage[D3DTSS_ALPHAARG1] = s.alphaArg1;
            stage[D3DTSS_ALPHAARG2] = s.alphaArg2;
        }
        ASSERT_EQ(validateTextureStages(states), D3D_OK);
        const TextureStages all(states), leavingOut(states, c.white);
        for (int trial = 0; trial < 300; ++trial) {
            QuadStageInputs quad;
            for (LaneColours* lanes : {&quad.diffuse, &quad.specular, &quad.texture[0],
                                       &quad.texture[1], &quad.texture[2], &quad.texture[3]})
                for (auto& row : lanes->c)
                    for (float& lane : row) lane = input();
            for (UINT s = 0; s < kStageCount; ++s)
                if (c.white >> s & 1)
                    for (auto& row : quad.texture[s].c) std::fill_n(row, 4, 1.0f);
            LaneColours expected, got;
            all.runQuad(quad, expected);
            leavingOut.runQuad(quad, got);
            ASSERT_EQ(std::memcmp(&expected, &got, sizeof got), 0);
        }
    }
}

}  // namespace
}  // namespace tessera::test
