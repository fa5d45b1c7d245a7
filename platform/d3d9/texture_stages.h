#pragma once
// The fixed-function texture stages: DISABLE, SELECTARG1, SELECTARG2, MODULATE and ADD over
// the arguments DIFFUSE, CURRENT, TEXTURE, TFACTOR and SPECULAR (with COMPLEMENT and
// ALPHAREPLICATE). Stages run from 0 until the first whose colour operation is DISABLE;
// CURRENT on stage 0 is the diffuse colour. A stage whose texture is unbound reads opaque
// white for TEXTURE, so MODULATE passes the current colour through and ADD saturates it.
#include <cstdint>

#include "platform/d3d9/sampler.h"
#include "platform/d3d9/state_store.h"

namespace platform::d3d9 {

// Checks that every active stage uses operations and arguments the device implements:
// D3D_OK or the matching D3DERR_UNSUPPORTED... code.
HRESULT validateTextureStages(const StateStore& states);

// Number of stages that run (before the first DISABLE colour operation).
UINT activeStageCount(const StateStore& states);

// True when an active stage reads its texture.
bool stageReadsTexture(const StateStore& states, UINT stage);

struct StageInputs {
    Colour diffuse;
    Colour specular;
    Colour texture[kStageCount];  // the sampled texels (white for unbound stages)
};

// The same inputs for the four pixels of a quad, channel by channel.
struct QuadStageInputs {
    LaneColours diffuse;
    LaneColours specular;
    LaneColours texture[kStageCount];  // only the active stages' are read
};

// The stages of one draw, decoded once from the states.
class TextureStages {
public:
    // Stages whose bit is set in `whiteTextures` have no texture bound, so TEXTURE reads
    // opaque white there: such a stage that hands the current colour on unchanged (a
    // modulation of it by the texture, or a selection of it) is left out of the evaluation.
    explicit TextureStages(const StateStore& states, std::uint32_t whiteTextures = 0);
    UINT count() const { return count_; }
    // True when an active stage takes an argument from the specular colour.
    bool readsSpecular() const;
    Colour run(const StageInputs& inputs) const;
    // Four pixels at once; each gets the bits run() gives it.
    void runQuad(const QuadStageInputs& inputs, LaneColours& out) const;

private:
    struct Stage {
        DWORD colourOp, colourArg1, colourArg2;
        DWORD alphaOp, alphaArg1, alphaArg2;
    };
    Colour argument(DWORD arg, UINT stage, const Colour& current, const StageInputs& in) const;

    UINT count_;
    Stage stages_[kStageCount];
    // The stages run() and runQuad() evaluate, in order: the active ones less those left out.
    UINT evaluated_[kStageCount];
    UINT evaluatedCount_ = 0;
    Colour textureFactor_;
    LaneColours quadFactor_;  // the texture factor in every lane
};

}  // namespace platform::d3d9
