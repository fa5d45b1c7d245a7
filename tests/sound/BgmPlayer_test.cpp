#include "sound/BgmPlayer.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os/cp932.h"
#include "sound/DsndManager.h"
#include "sound/DsndVolume.h"
#include "tests/sound/sound_fixtures.h"
#include "tests/sound/sound_probes.h"

namespace tessera::test {
namespace {

using mirel::DsndList;
using mirel::DsndStream;
using mirel::rcptr;

constexpr int kRate = 44100;

class BgmPlayerTest : public testing::Test {
protected:
    ~BgmPlayerTest() override { player_.stopAll(); }

    // Ogg files of different lengths, so that a list's sources can be told apart.
    void addOgg(const std::string& path, int frames) {
        packs_.pack->files[path] = makeOggVorbis(2, kRate, frames);
    }
    // The loop counts of the background music's sources, in order (the stream is stopped).
    std::vector<std::pair<uint32_t, int32_t>> sources() {
        const rcptr<DsndList> list = player_._GetList();
        player_._GetStream()->Stop();
        std::vector<std::pair<uint32_t, int32_t>> found;
        list->Rewind();
        for (int i = 0; i < 4 && list->_CurrentWave(); ++i) {
            const rcptr<DsndList::_DATA> source = list->_CurrentWave();
            found.push_back({source->wave.GetPcmTotal() / 4, source->loop});
            source->loop = 0;
            list->_Advance();
        }
        return found;
    }

    StreamProbe probe_;
    ManualDevice device_;
    MemoryPackScope packs_;
    float typeVolumes_[3] = {1.0f, 1.0f, 1.0f};
    BgmSystemLink link_{&device_.manager, typeVolumes_, &packs_.index};
    BgmPlayer player_{link_};
};

TEST_F(BgmPlayerTest, IntroAndLoopMakeTheListByWhatExists) {
    addOgg("music/intro.ogg", 3000);
    addOgg("music/loop.ogg", 5000);
    struct Case {
        const char16_t* intro;
        const char16_t* loop;
        bool flag;
        std::vector<std::pair<uint32_t, int32_t>> sources;
    } cases[] = {
        {u"intro", u"missing", true, {{3000, 0}}},
        {u"", u"loop", true, {{5000, -1}}},
        {nullptr, u"loop", false, {{5000, 0}}},
        {u"intro", u"loop", true, {{3000, 0}, {5000, -1}}},
    };
    for (const Case& c : cases) {
        player_.playIntroLoop(u"music/", c.intro, c.loop, c.flag);
        ASSERT_TRUE(player_._GetStream());
        EXPECT_TRUE(player_._GetStream()->IsRunning());
        EXPECT_EQ(sources(), c.sources);
    }
    player_.playIntroLoop(u"music/", u"missing", nullptr, true);
    EXPECT_FALSE(player_._GetStream()) << "nothing found: silent";
}

TEST_F(BgmPlayerTest, MusicPathsAreConvertedToShiftJis) {
    const std::string name = platform::os::utf16ToCp932(u"music/曲.ogg");
    packs_.pack->files[name] = makeOggVorbis(2, kRate, 2000);
    player_.playIntroLoop(u"music/sub/", u"../曲", nullptr, false);
    EXPECT_TRUE(player_._GetStream());
}

TEST_F(BgmPlayerTest, ChannelsFillInOrderAndTheOldestIsLetGoWhenFull) {
    addOgg("se/a.ogg", 2000);
    player_.playSound(0, u"se/", u"a");
    player_.playSound(1, u"se/", u"a");
    player_.playSound(2, u"se/", u"a");
    const DsndStream* first = player_._GetChannel(0).Get();
    const DsndStream* second = player_._GetChannel(1).Get();
    const DsndStream* third = player_._GetChannel(2).Get();
    ASSERT_TRUE(first && second && third);
    player_.playSound(0, u"se/", u"a");
    EXPECT_EQ(player_._GetChannel(0).Get(), second);
    EXPECT_EQ(player_._GetChannel(1).Get(), third);
    EXPECT_NE(player_._GetChannel(2).Get(), first);
    EXPECT_TRUE(first->IsRunning()) << "a channel let go plays on";

    // A finished channel is dropped and the rest move down.
    player_._GetChannel(0)->Stop();
    const DsndStream* fourth = player_._GetChannel(2).Get();
    player_.playSound(0, u"se/", u"a");
    EXPECT_EQ(player_._GetChannel(0).Get(), third);
    EXPECT_EQ(player_._GetChannel(1).Get(), fourth);
    EXPECT_TRUE(player_._GetChannel(2));

    player_.playSound(3, u"se/", u"a");
    player_.playSound(-1, u"se/", u"a");
    EXPECT_EQ(player_._GetChannel(0).Get(), third) << "types outside 0 to 2 are ignored";
    player_.playSound(0, u"se/", u"missing");
    EXPECT_EQ(player_._GetChannel(0).Get(), fourth) << "the move happens before the lookup";
    EXPECT_FALSE(player_._GetChannel(2));
}

TEST_F(BgmPlayerTest, ChannelsPlayAtTheirTypeVolume) {
    addOgg("se/a.ogg", 2000);
    typeVolumes_[1] = 0.25f;
    player_.playSound(1, u"se/", u"a");
    EXPECT_EQ(probe_.volumes(), std::vector<int32_t>{-1000});
}

TEST_F(BgmPlayerTest, VolumeIsRelativeToThePlayVolumeAndANegativeFadeLastsOneMillisecond) {
    addOgg("music/loop.ogg", 5000);
    typeVolumes_[0] = 0.8f;
    player_.playIntroLoop(u"music/", nullptr, u"loop", true);
    player_.setVolume(0.5f);
    EXPECT_EQ(probe_.volumes(), (std::vector<int32_t>{mirel::DsndVolumeToMillibel(0.8f, 0),
                                                      mirel::DsndVolumeToMillibel(0.4f, 0)}));
    const uint32_t before = probe_.clock.milliseconds();
    player_.fadeOut(-5);
    probe_.release();
    EXPECT_EQ(probe_.clock.milliseconds() - before, 1u);
    EXPECT_EQ(probe_.volumes().back(), -10000);

    player_.stop();
    EXPECT_FALSE(player_._GetStream());
    player_.setVolume(1.0f);  // no music: nothing
    player_.fadeOut(10);
}

TEST_F(BgmPlayerTest, WithoutADeviceThePlayerIsSilent) {
    addOgg("music/loop.ogg", 2000);
    device_.manager.Release();
    player_.playIntroLoop(u"music/", nullptr, u"loop", true);
    player_.playSound(0, u"music/", u"loop");
    EXPECT_FALSE(player_._GetStream());
    EXPECT_FALSE(player_._GetChannel(0));
}

}  // namespace
}  // namespace tessera::test
