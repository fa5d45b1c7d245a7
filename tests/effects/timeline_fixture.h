#pragma once
// Playing effects frame by frame: a definition of one image with image definitions of every
// blend mode, effect data written by the writers, the renderer's generator seeded, and dumps of
// the parts' state after each effect task.
#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "tests/effects/effect_fixture.h"

namespace tessera::test {

// One part as a step left it.
struct PartState {
    int record = -1;  // −1 the root part, else the part record's index
    int32_t frame = 0;
    int32_t image = 0;
    uint32_t imageMode = 0;
    int32_t model = 0;
    int32_t drawPriority = 0;
    std::array<float, 4> colour{};
    std::array<float, 4> finalColour{};
    std::array<float, 3> position{};
    std::array<float, 3> scale{};
    std::array<float, 4> rotation{};
    uint32_t samples = 0;
    uint32_t provisional = 0;
};
std::ostream& operator<<(std::ostream& out, const PartState& state);

// The root part first, then the child parts in list order (newest first).
std::vector<PartState> partStates(const L3D_EFFECT_WORKROOT& instance);

// An event from its words; F gives a float's word, I an integer's.
tools::writers::EffectEvent event(int32_t time, uint32_t kind, std::vector<uint32_t> words = {});
uint32_t F(float value);
uint32_t I(int32_t value);

class EffectTimeline : public EffectTest {
protected:
    // Image definition d uses blend mode d (0..11) and the colour factor (0.5, 1, 1, 1).
    static constexpr uint32_t kImageDefs = L3DEffectBlendCount;
    static constexpr uint32_t kSeed = 20260101;

    void SetUp() override;

    const L3D_EFFECT_DATA* load(const tools::writers::EffectData& data);
    // One root whose root part and parts hold these events (parts' flags 0).
    const L3D_EFFECT_DATA* loadRoot(
        std::vector<tools::writers::EffectEvent> rootEvents,
        std::vector<std::vector<tools::writers::EffectEvent>> parts = {});
    // Plays root 0 at the origin, unturned, unscaled.
    L3D_EFFECT_WORKROOT* play(const L3D_EFFECT_DATA* data, const void* key = nullptr,
                              const float* trailA = nullptr, const float* trailB = nullptr,
                              uint32_t lifetime = L3DEffectEndless, uint32_t startDelay = 0);
    // Runs the effect task `frames` times; after each, the parts of the newest instance (empty
    // once none plays).
    std::vector<std::vector<PartState>> run(int frames);
    // The frames of the parts after each of `frames` tasks, one vector of frames per task.
    std::vector<std::vector<int32_t>> frames(int count);

    // A generator in the renderer's starting state, to draw expected values from.
    L3DRandom twin_;
    int loads_ = 0;
};

}  // namespace tessera::test
