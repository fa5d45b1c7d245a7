// The System as the host of the post effects: its device, display mode, renderer and textures
// by name, and post effects set up over it.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "model3d/object/system_post_effect_host.h"
#include "render3d/posteffect/PostEffect.h"
#include "tests/engine/engine_fixture.h"
#include "tests/model3d/model_builders.h"
#include "tools/writers/model_file_writer.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {
namespace {

class SystemPostEffectHostTest : public EngineTest {};

TEST_F(SystemPostEffectHostTest, AnswersFromTheSystem) {
    const std::string noise = writeBesideExecutable("sys/noise.png", "");
    ASSERT_TRUE(tools::writers::writePng(noise, 4, 4, std::vector<uint32_t>(16, 0xFF808080)));
    System& system = startSystem();
    SystemPostEffectHost host(system);
    EXPECT_EQ(&host.device(), &system.device());
    EXPECT_EQ(host.renderer(), system.renderer().Get());
    const PostEffectMode mode = host.mode();
    EXPECT_EQ(mode.width, 160u);
    EXPECT_EQ(mode.height, 120u);
    EXPECT_FALSE(mode.compatibleRendering);

    mirel::rcptr<L3DTexture> byName;
    Da3dObject::loadTextureByName(system, u"sys/noise", byName, 0);
    ASSERT_TRUE(byName);
    EXPECT_EQ(host.loadTexture(u"sys/noise").Get(), byName.Get());

    writeBesideExecutable("map/water.dgo", tools::writers::writeModelFile(richModel(16)));
    const mirel::rcptr<L3DObjectData> model = host.loadModel(u"map/", u"water");
    ASSERT_TRUE(model);
    EXPECT_EQ(model->parts.Count(), 2u);
}

// The engine fixture puts the built shaders beside the program.
TEST_F(SystemPostEffectHostTest, PostEffectsRunOverTheSystemUntilReleased) {
    System& system = startSystem();
    PostEffect effect;
    ASSERT_TRUE(effect.setup(std::make_unique<SystemPostEffectHost>(system)));
    EXPECT_TRUE(effect.active());
    EXPECT_EQ(effect.textureA()->width, 160u);
    effect.release();
    EXPECT_FALSE(effect.active());
}

// With compatible rendering asked for, nothing is set up and the host is dropped.
TEST_F(SystemPostEffectHostTest, CompatibleRenderingLeavesThemOff) {
    config_.video.flags |= PEL_D3D9_COMPATIBLE;
    System& system = startSystem();
    PostEffect effect;
    EXPECT_FALSE(effect.setup(std::make_unique<SystemPostEffectHost>(system)));
    EXPECT_FALSE(effect.active());
}

}  // namespace
}  // namespace tessera::test
