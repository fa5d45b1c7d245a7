// The demo's generated files, read back the way the runtime reads them: the effect group names
// sounds that exist, the music's two parts can be joined into one stream, and the pictures have
// the sizes and transparency the scripts rely on.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "sound/DWave.h"
#include "sound/LSeGroupFile.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/support/golden_image.h"

namespace tessera::test {
namespace {

std::string madeFile(const std::string& name) {
    const char* dir = std::getenv("TESSERA_DEMO_MADE_DIR");
    return std::string(dir ? dir : "") + "/" + name;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct OpenedSound {
    mirel::DWave wave;
    mirel::DFile file;
    bool open = false;
    double seconds() const {
        return static_cast<double>(wave.GetPcmTotal()) / wave.GetPcmFormat().nAvgBytesPerSec;
    }
};

void openSound(OpenedSound& sound, const std::string& name) {
    const std::string bytes = readBytes(madeFile(name));
    ASSERT_FALSE(bytes.empty()) << name;
    sound.open = openWave(sound.wave, sound.file, bytes, name.c_str());
    ASSERT_TRUE(sound.open) << name;
}

TEST(DemoAssets, EffectGroupNamesThreeShortSoundsThatExist) {
    const std::string text = readBytes(madeFile("menu/seList.prp"));
    const mirel::LSeGroupFile group = mirel::LSeParseGroupFile(text.c_str());
    ASSERT_EQ(group.effects.size(), 3u);
    const char* names[] = {"move", "decide", "back"};
    for (size_t i = 0; i < 3; ++i) {
        const mirel::LSeEffectSettings& effect = group.effects[i];
        EXPECT_STREQ(effect.name, names[i]);
        EXPECT_EQ(effect.count, 2u) << names[i];
        EXPECT_EQ(effect.flags, 0u) << names[i] << " plays in 2D";
        OpenedSound sound;
        openSound(sound, std::string("menu/") + names[i] + ".wav");
        EXPECT_EQ(sound.wave.GetKind(), 0u) << names[i] << " is plain PCM";
        EXPECT_EQ(sound.wave.GetPcmFormat().wBitsPerSample, 16) << names[i];
        EXPECT_GT(sound.seconds(), 0.05) << names[i];
        EXPECT_LT(sound.seconds(), 0.5) << names[i];
    }
}

TEST(DemoAssets, MusicIntroAndLoopShareOneFormat) {
    OpenedSound intro, loop;
    openSound(intro, "menu/intro.ogg");
    openSound(loop, "menu/loop.ogg");
    ASSERT_EQ(intro.wave.GetKind(), mirel::DWave::kVorbis);
    ASSERT_EQ(loop.wave.GetKind(), mirel::DWave::kVorbis);
    const auto& a = intro.wave.GetPcmFormat();
    const auto& b = loop.wave.GetPcmFormat();
    // The stream leaves out a part whose format differs from the first one's.
    EXPECT_EQ(a.nChannels, b.nChannels);
    EXPECT_EQ(a.nSamplesPerSec, b.nSamplesPerSec);
    EXPECT_EQ(a.wBitsPerSample, b.wBitsPerSample);
    EXPECT_NEAR(intro.seconds(), 2.0, 0.01);
    EXPECT_NEAR(loop.seconds(), 8.0, 0.01);
}

TEST(DemoAssets, PicturesAreSquareTexturesAndFramesKeepTheirAlpha) {
    struct Case {
        const char* name;
        uint32_t size;
    } cases[] = {{"start/splash.png", 512}, {"menu/title.png", 512}, {"menu/frames.png", 256}};
    for (const Case& c : cases) {
        const auto frame = readFrame(madeFile(c.name));
        ASSERT_TRUE(frame) << c.name;
        EXPECT_EQ(frame->width, c.size) << c.name;
        EXPECT_EQ(frame->height, c.size) << c.name;
    }
    const auto frames = readFrame(madeFile("menu/frames.png"));
    ASSERT_TRUE(frames);
    auto alphaAt = [&](uint32_t x, uint32_t y) { return frames->argb[y * 256 + x] >> 24; };
    EXPECT_EQ(alphaAt(200, 200), 0u) << "transparent ground";
    EXPECT_EQ(alphaAt(0, 0), 0u) << "outside the panel's rounded corner";
    EXPECT_NEAR(alphaAt(128, 64), 199u, 2u) << "the panel's translucent middle";
    EXPECT_EQ(frames->argb[135 * 256 + 70], 0xFFFFFFFFu) << "the fade block";
}

}  // namespace
}  // namespace tessera::test
