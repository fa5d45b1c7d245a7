// Effect files inside an "APFC" pack mounted by the framework load as their loose copies do:
// the pack's offset scrambling lies under the fields' position scrambling of each member.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "foundation/pack/pack_registry.h"
#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/effects/effect_fixture.h"
#include "tests/framework/support/pack_provider.h"
#include "tools/writers/apfc_writer.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

using namespace tools::writers;

class EffectPack : public EffectTest {
protected:
    void SetUp() override {
        EffectTest::SetUp();
        setenv("XDG_DATA_HOME", dir_.file("data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.file("config").c_str(), 1);
        pelFinalize();
        pelFileRegisterModule();
        pelInitialize();
    }
    void TearDown() override {
        EffectTest::TearDown();
        pelFinalize();
        unsetenv("XDG_DATA_HOME");
        unsetenv("XDG_CONFIG_HOME");
    }
};

TEST_F(EffectPack, FilesInAMountedPackLoadAsTheirLooseCopies) {
    useDevice();
    EffectDefinition definition = smallDefinition(1, 1);
    definition.imageDefs[0].colour = {0.5f, 0.25f, 0.125f, 1.0f};
    definition.models[0].vertices[2].position = {7.0f, 8.0f, 9.0f};
    EffectEvent image;
    image.kind = 4;
    image.words = {0, 0, 3, static_cast<uint32_t>(-5), 2};
    EffectEvent turn;
    turn.time = 3;
    turn.kind = 25;
    turn.words = {1, 2, 3, 4, 5, 6, effectFloatWord(90.0f), effectFloatWord(45.0f), 8};
    EffectData data = oneRoot({turn, image});
    data.roots[0].flags = 1;

    ASSERT_TRUE(writePng(dir_.file("effdef0.png"), 2, 2, std::vector<uint32_t>(4, 0xFF00FF00u)));
    const std::string texture = readFileBytes(dir_.file("effdef0.png"));
    dir_.write("res.dat", buildApfc({{u"padding.txt", "shifts the members' offsets"},
                                     {u"effect/effdef.dat", effectDefinitionFile(definition)},
                                     {u"effect/effdef0.png", texture},
                                     {u"effect/packed.dat", effectDataFile(data)}}));
    ASSERT_EQ(pelFileMountArchive(u"res.dat"), PEL_OK);
    mirel::rcptr<FrameworkPackProvider> provider;
    provider.Create();
    lfmRegistOverride(provider);
    manager_.SetProp(pack_, "effect/effdef");
    const L3D_EFFECT_DATA* packed = manager_.LoadData(nnid("packed"), pack_, "effect/packed");
    lfmRegistOverride({});

    ASSERT_EQ(manager_.imageDefCount, 1u);
    EXPECT_EQ(manager_.imageDefs[0].colour[2], 0.125f);
    ASSERT_EQ(manager_.modelCount, 1u);
    EXPECT_EQ(manager_.models[0].vertices[2].position[1], 8.0f);
    ASSERT_TRUE(manager_.images[0].texture);

    // The same bytes as loose files, loaded by a second manager.
    L3DEffectManager loose;
    loose.Init(mirel::rcptr<L3DRenderer>::NonOwning(&renderer_));
    writeFile("effect/effdef.dat", effectDefinitionFile(definition));
    writeFile("effect/effdef0.png", texture);
    loose.SetProp(pack_, "effect/effdef");
    writeFile("effect/loose.dat", effectDataFile(data));
    const L3D_EFFECT_DATA* plain = loose.LoadData(nnid("loose"), pack_, "effect/loose");
    ASSERT_EQ(packed->rootCount, plain->rootCount);
    const L3D_EFFECT_ROOT& a = packed->roots[0];
    const L3D_EFFECT_ROOT& b = plain->roots[0];
    EXPECT_EQ(a.flags, b.flags);
    ASSERT_EQ(a.rootPart.eventCount, 2u);
    for (uint32_t e = 0; e < 2; ++e) {
        EXPECT_EQ(a.rootPart.events[e].time, b.rootPart.events[e].time);
        EXPECT_EQ(a.rootPart.events[e].kind, b.rootPart.events[e].kind);
        for (int w = 0; w < 9; ++w) EXPECT_EQ(a.rootPart.events[e].p[w], b.rootPart.events[e].p[w]);
    }
    EXPECT_EQ(std::memcmp(manager_.imageDefs.Get(), loose.imageDefs.Get(), 56), 0);
    loose.Release();
}

}  // namespace
}  // namespace tessera::test
