// A compiled script builds and steps a small sprite scene on a 640 x 480 window; the engine's
// frame captures, reduced 4:1, match goldens that were looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/d3d9/device.h"
#include "tests/engine/sprite_natives/sprite_natives_fixture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

class SpriteSceneTest : public SpriteNativesTest {
protected:
    SpriteSceneTest() : SpriteNativesTest(640, 480) {}
};

// 72 x 32: on the left an opaque box (white rim, red to blue across, green down, a yellow notch
// in its top-left corner that shows mirroring); from x 40 an orange disc whose alpha falls from
// the centre to nothing at its rim. The clear gap between them keeps the box's rim out of the
// disc's filtered edge.
std::string sceneImage() {
    PngSpec spec;
    spec.width = 72;
    spec.height = 32;
    spec.colorType = 6;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 72; ++x) {
            uint32_t r, g, b, a;
            if (x < 32) {
                const bool rim = x < 2 || y < 2 || x > 29 || y > 29;
                const bool notch = x < 12 && y < 12 && x + y < 14;
                r = rim || notch ? 255 : 255 - 8 * x;
                g = rim ? 255 : (notch ? 220 : 8 * y);
                b = rim ? 255 : (notch ? 0 : 8 * x);
                a = 255;
            } else if (x < 40) {
                r = g = b = a = 0;
            } else {
                const float distance =
                    std::hypot(static_cast<float>(x - 40) - 15.5f, static_cast<float>(y) - 15.5f);
                const float alpha = std::clamp(1.0f - distance / 16.0f, 0.0f, 1.0f);
                r = 255, g = 150, b = 40;
                a = static_cast<uint32_t>(alpha * 255.0f + 0.5f);
            }
            spec.samples.insert(spec.samples.end(), {r, g, b, a});
        }
    return pngFile(spec);
}

std::u16string widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

TEST_F(SpriteSceneTest, ScriptedSceneMatchesItsGoldens) {
    const std::string folder = executableFolder() + "/scene";
    writeBesideExecutable("scene/box.png", sceneImage());
    const std::u16string compiled = spriteNativesFixture("scene.cnut");
    std::filesystem::copy_file(std::string(compiled.begin(), compiled.end()),
                               folder + "/scene.cnut");
    startFont();

    const ScriptObject scene = runPath(widen(folder + "/scene"));
    ASSERT_EQ(scene.getType(), OT_TABLE);
    engine_->onUpdate = [&](TestEngine&, int) {
        // The 3D scene's stand-in: a dark slate background.
        system_->device().device()->Clear(0, nullptr, platform::d3d9::D3DCLEAR_TARGET, 0xFF203040,
                                          1.0f, 0);
        task_->update();
    };
    std::vector<Frame> presented;
    onPresent_ = [&] { presented.push_back(presented_); };
    engine_->frames = 7;
    engine_->run();

    // The first frame shows two characters of the queued text, the seventh all eight.
    ASSERT_EQ(presented.size(), 7u);
    ASSERT_EQ(presented[0].width, 640u);
    EXPECT_TRUE(matchesGolden(boxScale4(presented[0]), "engine/sprite_natives", "scene_1"));
    EXPECT_TRUE(matchesGolden(boxScale4(presented[6]), "engine/sprite_natives", "scene_7"));
}

}  // namespace
}  // namespace tessera::test
