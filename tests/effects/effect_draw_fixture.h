#pragma once
// Effect drawing over a renderer with the built shader set: effect definitions with textures
// of their own, playing instances whose parts are filled in by hand (the state a timeline step
// leaves), and the frames the software device presents.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/effects/effect_fixture.h"
#include "tests/support/golden_image.h"

namespace tessera::test {

class EffectDrawTest : public EffectTest {
protected:
    void SetUp() override;

    // Creates the renderer's shader set on a device of clientWidth_ x clientHeight_ whose
    // presented frames land in frame_, with this view and projection.
    void createRenderer(const LMat& view, const LMat& projection);
    // Writes the definition with the given pixels (size x size, ARGB, alpha included) as every
    // image's texture and loads it.
    void setPropTextured(const tools::writers::EffectDefinition& definition, uint32_t size,
                         const std::vector<uint32_t>& pixels);
    // Plays an effect whose root part waits (an end event far ahead) and returns the instance.
    L3D_EFFECT_WORKROOT* playInstance(const LMat& world = LMat::Identity());
    // A child part drawn last in the instance's draw list, showing image definition `image`
    // with this model, white, at this world matrix.
    L3D_EFFECT_WORKPART* addPart(L3D_EFFECT_WORKROOT* instance, int32_t image, int32_t model,
                                 const LMat& world = LMat::Identity());
    // The recorded draws as (vertex count, primitive count).
    std::vector<std::pair<uint32_t, uint32_t>> recordedDraws() const;
    // Clears, draws with the callback between BeginScene and EndScene, presents.
    template <class DrawFn>
    Frame present(DrawFn draw, uint32_t clearColour = 0xFF203040);

    L3D_EFFECT_DATA* data_ = nullptr;
    Frame frame_;

private:
    Frame presentWith(void (*draw)(void*), void* context, uint32_t clearColour);
};

template <class DrawFn>
Frame EffectDrawTest::present(DrawFn draw, uint32_t clearColour) {
    return presentWith([](void* context) { (*static_cast<DrawFn*>(context))(); }, &draw,
                       clearColour);
}

// A matrix of uniform scale, rotations about x then y (degrees) and a translation.
LMat placement(float scale, float degreesX, float degreesY, float x, float y, float z);

}  // namespace tessera::test
