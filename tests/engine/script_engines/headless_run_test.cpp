// A headless run of compiled fixture scripts: the bootstrap engine's "start" shows an older-layer
// picture and text, then switches to the script-only engine "menu" with arguments, which shows
// layered sprites and queued text, plays a sound effect and music, reads a controller fed by an
// input script and exits. The last frame of each engine is compared with a golden.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "engine/main_loop.h"
#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/engine_switch.h"
#include "engine/script_engines/simple_engine.h"
#include "engine/sprite/sprite2.h"
#include "framework/file/file.h"
#include "render3d/L3DRenderer.h"
#include "sound/BgmPlayer.h"
#include "tests/engine/script_engines/script_engines_fixture.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/sound/sound_probes.h"
#include "tests/support/golden_image.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/apfc_writer.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

// A square picture: a bright frame around a gradient, half transparent inside.
std::string picture(int size, uint8_t red) {
    PngSpec spec;
    spec.width = size;
    spec.height = size;
    spec.colorType = 6;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const bool edge = x == 0 || y == 0 || x == size - 1 || y == size - 1;
            const uint8_t pixel[4] = {
                static_cast<uint8_t>(edge ? 255 : red), static_cast<uint8_t>(x * 255 / size),
                static_cast<uint8_t>(y * 255 / size), static_cast<uint8_t>(edge ? 255 : 160)};
            spec.samples.insert(spec.samples.end(), pixel, pixel + 4);
        }
    return pngFile(spec);
}

// A 4 x 4 opaque picture of one colour.
std::string backdrop(uint8_t red, uint8_t green, uint8_t blue) {
    PngSpec spec;
    spec.width = 4;
    spec.height = 4;
    for (int i = 0; i < 16; ++i) spec.samples.insert(spec.samples.end(), {red, green, blue});
    return pngFile(spec);
}

class HeadlessRunTest : public ScriptEnginesTest {
protected:
    void SetUp() override {
        ScriptEnginesTest::SetUp();
        const char* font = std::getenv("SCRIPT_ENGINES_FONT");
        ASSERT_NE(font, nullptr);
        ASSERT_TRUE(tools::writers::writeApfc(executableFolder() + "/font.dat",
                                              {{u"sys/font.ttf", readFileBytes(font)}}));
        ASSERT_EQ(pelFileMountArchive(u"font.dat"), PEL_OK);
        sprite2Init();
    }
    void TearDown() override {
        sprite2Shutdown();
        ScriptEnginesTest::TearDown();
    }
};

TEST_F(HeadlessRunTest, BootstrapSwitchesToTheMenuAndBothDrawTheirScenes) {
    installScript("start");
    installScript("menu");
    installScript("menu", "press");
    addPackFile("start/backdrop.png", backdrop(0x30, 0x18, 0x10));
    addPackFile("start/picture.png", picture(32, 40));
    addPackFile("menu/backdrop.png", backdrop(0x10, 0x20, 0x40));
    addPackFile("menu/tiles.png", picture(32, 200));
    addPackFile("menu/seList.prp", tools::writers::seGroupFile({{"@prop", {{"count", "1"}}},
                                                                {"@se0", {{"name", "chime"}}}}));
    addPackFile("menu/chime.wav", countingWave(1, 22050, 88200));  // lasts 4 s
    addPackFile("menu/intro.ogg", makeOggVorbis(2, 22050, 4000));
    addPackFile("menu/loop.ogg", makeOggVorbis(2, 22050, 8000));
    startSystem();

    std::optional<Frame> bootstrap;
    std::optional<Frame> menu;
    int menuFrames = 0;
    bool effectPlayed = false;
    bool musicPlayed = false;
    onPresent_ = [&] {
        if (dynamic_cast<simple::Engine*>(system_->currentEngine())) {
            bootstrap = presented_;
            return;
        }
        menu = presented_;
        ++menuFrames;
        effectPlayed |= system_->renderer()->seManager->_GetPlayingHead() != nullptr;
        musicPlayed |= bool(system_->bgmPlayer()->_GetStream());
    };
    prepareNextSimpleEngine(*system_, u"start")->setPacer(&pacer_);
    runMainLoop(*system_);

    EXPECT_EQ(menuFrames, 8);
    EXPECT_TRUE(effectPlayed);
    EXPECT_TRUE(musicPlayed);
    ASSERT_EQ(system_->parameters().ints.size(), 3u);
    // The text came a character a frame: the sixth was out by the sixth frame's script.
    EXPECT_EQ(system_->parameters().ints[0], 6);
    // The input script holds the button from its second frame: pressed on frame 2, held to 8.
    EXPECT_EQ(system_->parameters().ints[1], 2);
    EXPECT_EQ(system_->parameters().ints[2], 7);
    ASSERT_TRUE(bootstrap);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(matchesGolden(*bootstrap, "engine/script_engines", "bootstrap_start"));
    EXPECT_TRUE(matchesGolden(*menu, "engine/script_engines", "script_only_menu"));
}

}  // namespace
}  // namespace tessera::test
