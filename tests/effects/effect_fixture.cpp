#include "tests/effects/effect_fixture.h"

#include "foundation/pack/pack_registry.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {

void EffectTest::SetUp() {
    Render3dTest::SetUp();
    pack_ = lfmRegistPack("");
    manager_.Init(mirel::rcptr<L3DRenderer>::NonOwning(&renderer_));
}

void EffectTest::TearDown() {
    // Textures go back to the device before the fixture drops it.
    manager_.Release();
    renderer_.device.Reset();
    Render3dTest::TearDown();
}

void EffectTest::useDevice() {
    renderer_.device = mirel::rcptr<L3DDevice>::NonOwning(&createWindowed());
}

void EffectTest::writeFile(const std::string& name, const std::string& bytes) {
    dir_.write(name, bytes);
}

void EffectTest::setProp(const tools::writers::EffectDefinition& definition) {
    writeFile("effect/effdef.dat", tools::writers::effectDefinitionFile(definition));
    for (size_t i = 0; i < definition.imageOptions.size(); ++i)
        ASSERT_TRUE(
            tools::writers::writePng(dir_.file("effect/effdef" + std::to_string(i) + ".png"), 2, 2,
                                     std::vector<uint32_t>(4, 0xFF808080u)));
    manager_.SetProp(pack_, "effect/effdef");
}

L3D_EFFECT_DATA* EffectTest::loadData(const tools::writers::EffectData& data,
                                      const std::string& name) {
    writeFile(name + ".dat", tools::writers::effectDataFile(data));
    return manager_.LoadData(nnid(name), pack_, name.c_str());
}

tools::writers::EffectDefinition smallDefinition(uint32_t images, uint32_t models) {
    tools::writers::EffectDefinition definition;
    for (uint32_t i = 0; i < images; ++i) {
        definition.imageOptions.push_back(0);
        tools::writers::EffectImageDef def;
        def.image = i;
        definition.imageDefs.push_back(def);
    }
    for (uint32_t m = 0; m < models; ++m) {
        tools::writers::EffectModel model;
        model.vertices.resize(3);
        model.indices = {0, 1, 2};
        definition.models.push_back(model);
    }
    return definition;
}

tools::writers::EffectData oneRoot(std::vector<tools::writers::EffectEvent> events,
                                   uint32_t version) {
    tools::writers::EffectData data;
    data.version = version;
    data.roots.resize(1);
    data.roots[0].rootPart.events = std::move(events);
    return data;
}

}  // namespace tessera::test
