// The sound-effect group "seList" and the music natives of the two engine kinds.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/script_engines/basic_engine.h"
#include "engine/script_engines/engine_switch.h"
#include "engine/script_engines/simple_engine.h"
#include "render3d/L3DRenderer.h"
#include "sound/BgmPlayer.h"
#include "sound/DsndVolume.h"
#include "tests/engine/script_engines/script_engines_fixture.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/sound/sound_probes.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

using tools::writers::seGroupFile;

class EngineSoundTest : public ScriptEnginesTest, public testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        ScriptEnginesTest::SetUp();
        startSystem();
        installScript("natives");
    }
    void TearDown() override {
        engine_.reset();
        ScriptEnginesTest::TearDown();
    }
    // A group of one effect with one voice playing "<directory>/<sound>.wav".
    void addGroup(const std::string& name, const std::string& sound) {
        addPackFile("natives/" + name + ".prp",
                    seGroupFile({{"@prop", {{"count", "1"}}}, {"@se0", {{"name", sound}}}}));
        addPackFile("natives/" + sound + ".wav", countingWave(1, 22050, 2000));
    }
    // Starts an engine of the kind the parameter names (true: bootstrap) on "natives".
    ScriptedEngine& start() {
        ScriptedEngine* engine =
            GetParam() ? static_cast<ScriptedEngine*>(prepareNextSimpleEngine(*system_, u"natives"))
                       : prepareNextBasicEngine(*system_, u"natives", nullptr);
        system_->setNextEngine(nullptr);
        engine_.reset(engine);
        engine->start();
        return *engine;
    }
    mirel::LSeManager& effects() { return *system_->renderer()->seManager; }
    int playingVoices() {
        int count = 0;
        for (auto* voice = effects()._GetPlayingHead(); voice; voice = voice->next) ++count;
        return count;
    }

    std::unique_ptr<ScriptedEngine> engine_;
};

TEST_P(EngineSoundTest, SeListIsLoadedAndANegativeEffectPlaysNothing) {
    addGroup("seList", "boom");
    ScriptedEngine& engine = start();
    ASSERT_NE(engine.seGroup(), nullptr);
    EXPECT_STRCASEEQ(engine.seGroup()->name, "natives/selist");
    EXPECT_EQ(engine.seGroup()->typeId, 1u);
    call(engine, u"playEffects");
    EXPECT_EQ(playingVoices(), 1);
}

TEST_P(EngineSoundTest, SwitchingTheGroupByNameAndToNone) {
    addGroup("seList", "boom");
    addGroup("other", "bang");
    ScriptedEngine& engine = start();
    call(engine, u"switchGroupToOther");
    ASSERT_NE(engine.seGroup(), nullptr);
    EXPECT_STRCASEEQ(engine.seGroup()->name, "natives/other");
    call(engine, u"switchGroupOff");
    EXPECT_EQ(engine.seGroup(), nullptr);
    call(engine, u"playEffects");
    EXPECT_EQ(playingVoices(), 0);
}

// The stream probe runs the music thread's time-outs on its own clock, so that the fade's
// length can be read off it.
TEST_P(EngineSoundTest, MusicPlaysFromTheScriptRootAndANegativeFadeLastsOneMillisecond) {
    for (const char* name : {"intro", "loop"})
        addPackFile(std::string("natives/") + name + ".ogg", makeOggVorbis(2, 22050, 4000));
    ScriptedEngine& engine = start();
    BgmPlayer& music = *system_->bgmPlayer();
    {
        StreamProbe probe;
        call(engine, u"music");
        ASSERT_TRUE(music._GetStream());
        EXPECT_EQ(probe.volumes(), (std::vector<int32_t>{mirel::DsndVolumeToMillibel(1.0f, 0),
                                                         mirel::DsndVolumeToMillibel(0.5f, 0)}));
        const uint32_t before = probe.clock.milliseconds();
        call(engine, u"musicFade");
        probe.release();
        EXPECT_EQ(probe.clock.milliseconds() - before, 1u);
        EXPECT_EQ(probe.volumes().back(), -10000);
        call(engine, u"musicStop");
        EXPECT_FALSE(music._GetStream());
    }
    platform::os::setClock(&clock_);
}

TEST_P(EngineSoundTest, OneShotMusicTakesAChannel) {
    addPackFile("natives/jingle.ogg", makeOggVorbis(2, 22050, 4000));
    ScriptedEngine& engine = start();
    call(engine, u"jingle");
    EXPECT_TRUE(system_->bgmPlayer()->_GetChannel(0));
    EXPECT_FALSE(system_->bgmPlayer()->_GetChannel(1));
}

INSTANTIATE_TEST_SUITE_P(Kinds, EngineSoundTest, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                             return info.param ? "Bootstrap" : "ScriptOnly";
                         });

}  // namespace
}  // namespace tessera::test
