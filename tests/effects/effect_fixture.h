#pragma once
// An effect manager bound to a renderer that has only a device (no shader set is needed to
// load effects), effect files written into the program directory's unnamed pack by the
// writers, and fatal reports kept in the captured log.
#include <string>

#include "effects/L3DEffectManager.h"
#include "render3d/L3DRenderer.h"
#include "tests/render3d/support/device_fixture.h"
#include "tools/writers/effect_writers.h"

namespace tessera::test {

class EffectTest : public Render3dTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Gives the renderer a software device: needed once a definition has images.
    void useDevice();
    // Writes the file of the unnamed pack (a path below the program directory).
    void writeFile(const std::string& name, const std::string& bytes);
    // Writes the definition as "effect/effdef.dat", with a 2 x 2 texture per image
    // ("effect/effdef<i>.png"), and loads it.
    void setProp(const tools::writers::EffectDefinition& definition);
    // Writes the data as "<name>.dat" and loads it under a new resource name.
    L3D_EFFECT_DATA* loadData(const tools::writers::EffectData& data,
                              const std::string& name = "effect/effdata");
    L3D_RENDERER_NNID* nnid(const std::string& name) {
        return renderer_.names.AddNnid(name.c_str());
    }

    uint32_t pack_ = 0;
    L3DRenderer renderer_;
    L3DEffectManager manager_;
};

// A definition of `images` images with one image definition each (blend 0) and `models`
// models of one triangle.
tools::writers::EffectDefinition smallDefinition(uint32_t images, uint32_t models);

// A data file of one root whose root part holds these events.
tools::writers::EffectData oneRoot(std::vector<tools::writers::EffectEvent> events,
                                   uint32_t version = 6);

}  // namespace tessera::test
