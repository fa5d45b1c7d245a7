#include "sound/LSeManager.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "render3d/diagnostics/diagnostics.h"
#include "sound/DsndManager.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/sound/sound_probes.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

using mirel::LSeManager;
using mirel::LSePositionSource;
using tools::writers::seGroupFile;
using Group = LSeManager::_GROUPINFO;

constexpr uint32_t kRate = 44100;

class LSeManagerTest : public testing::Test {
protected:
    void SetUp() override {
        savedMode_ = l3dDiagMode;
        savedThreshold_ = l3dLogThreshold;
        l3dDiagMode = l3dDiagDefer;
        l3dLogThreshold = 3;
        manager_.emplace(&device_.manager, 60.0f);
        manager_->_ReserveTypeSettings();
    }
    void TearDown() override {
        manager_.reset();
        l3dTermDiag();
        l3dDiagMode = savedMode_;
        l3dLogThreshold = savedThreshold_;
    }

    void addFile(const std::string& name, const std::string& bytes) {
        packs_.pack->files[name] = bytes;
    }
    Group* load(const std::string& text, uint32_t type = 0, const char* directory = nullptr) {
        addFile("se/group.prp", text);
        return manager_->LoadGroup(packs_.index, "se/group", directory, type);
    }
    LSeManager& se() { return *manager_; }
    static LSeManager::_VOICEINFO& voice(Group* group, uint32_t effect, uint32_t index) {
        return group->effects[effect].voices[index];
    }
    static bool playing(const LSeManager::_VOICEINFO& voice) { return voice.state & 1; }

    DebugCapture log_;
    ManualDevice device_;
    MemoryPackScope packs_;
    std::optional<LSeManager> manager_;

private:
    uint32_t savedMode_ = 0;
    int32_t savedThreshold_ = 0;
};

TEST_F(LSeManagerTest, DefaultsFillEffectsWithoutSectionsAndOnlyNamedOnesGetVoices) {
    addFile("se/boom.wav", countingWave(2, kRate, 100));
    Group* group = load("@prop count = 2\r\n@se3 name = boom\r\n");
    ASSERT_EQ(group->effectCount, 4u);
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(group->effects[i].voiceCount, 0u) << i;
    ASSERT_EQ(group->effects[3].voiceCount, 2u);
    EXPECT_TRUE(voice(group, 3, 0).buffer && voice(group, 3, 1).buffer);
    EXPECT_NE(log_.text().find("[LSeManager::LoadGroup] load prop(max: 4, count: 2, flags: 0, "
                               "pri: ffffffff)"),
              std::string::npos)
        << log_.text();
    EXPECT_NE(log_.text().find("load se3(name: \"boom\" count: 2, flags: 0, pri: ffffffff)"),
              std::string::npos);

    se().Play(group, 0, nullptr, nullptr);  // no voices: nothing
    EXPECT_EQ(se()._GetPlayingHead(), nullptr);
    se().Play(group, 3, nullptr, nullptr);
    EXPECT_TRUE(voice(group, 3, 0).buffer->IsPlaying());
    EXPECT_EQ(group->refCount, 2u) << "a playing voice holds the group";
}

TEST_F(LSeManagerTest, LoadingTwiceSharesTheGroupAndTheLastUnloadFreesIt) {
    addFile("se/boom.wav", countingWave(2, kRate, 100));
    Group* first = load("@se0 name = boom\n");
    Group* second = se().LoadGroup(packs_.index, "SE/Group", nullptr, 1);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->refCount, 2u);
    EXPECT_EQ(first->typeId, 0u) << "the type of the first load stays";
    EXPECT_NE(log_.text().find("[LSeManager::LoadGroup] found prop file \"SE/Group\"/2"),
              std::string::npos);
    EXPECT_TRUE(device_.manager.FindData("pack/se/boom.wav"));

    se().UnloadGroup(first);
    EXPECT_EQ(log_.text().find("unloaded"), std::string::npos);
    LSeManager::_GROUPINFO* groups[2] = {second, nullptr};
    se().UnloadGroups(groups, 2);
    const std::string text = log_.text();
    const std::string unloaded = "[LSeManager::UnloadGroup] unloaded";
    const size_t at = text.find(unloaded);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.find(unloaded, at + 1), std::string::npos) << "logged once";
    EXPECT_FALSE(device_.manager.FindData("pack/se/boom.wav")) << "the sound left with its voices";
}

TEST_F(LSeManagerTest, AThirdPlayStealsTheOldestVoice) {
    addFile("se/boom.wav", countingWave(2, kRate, 100));
    Group* group = load("@se0 name = boom count = 2\n");
    for (int i = 0; i < 3; ++i) se().Play(group, 0, nullptr, nullptr);
    EXPECT_EQ(se()._GetPlayingHead(), &voice(group, 0, 0)) << "voice 0 was stolen last";
    EXPECT_EQ(voice(group, 0, 0).age, 0u);
    EXPECT_EQ(voice(group, 0, 1).age, 1u);
    EXPECT_TRUE(playing(voice(group, 0, 1)));
    EXPECT_EQ(group->refCount, 3u) << "the loader and two playing voices";
}

TEST_F(LSeManagerTest, StealingTheOnlyVoiceOfAnUnloadedGroupKeepsTheGroup) {
    addFile("se/boom.wav", countingWave(2, kRate, kRate));
    Group* group = load("@se0 name = boom\n");
    se().Play(group, 0, nullptr, nullptr);
    se().UnloadGroup(group);  // the playing voice holds the last reference
    ASSERT_EQ(group->refCount, 1u);
    se().Play(group, 0, nullptr, nullptr);
    EXPECT_EQ(group->refCount, 1u);
    EXPECT_TRUE(playing(voice(group, 0, 0)));
    EXPECT_EQ(log_.text().find("unloaded"), std::string::npos);
}

TEST_F(LSeManagerTest, TypeVolumesApplyAtPlayAndAreChecked) {
    addFile("se/boom.wav", countingWave(2, kRate, 100));
    se().configureTypeSetting(2, 0.5f);
    Group* group = load("@se0 name = boom\n", 2);
    se().Play(group, 0, nullptr, nullptr);
    platform::audio::LONG volume = 0;
    voice(group, 0, 0).buffer->_GetBuffer()->GetVolume(&volume);
    EXPECT_EQ(volume, -500);
    EXPECT_THROW(se().configureTypeSetting(3, 1.0f), LExceptGame);
    EXPECT_THROW(se().LoadGroup(packs_.index, "se/other", nullptr, 3), LExceptGame);
}

TEST_F(LSeManagerTest, StopOwnerStopsStopVoicesAndDetachesSlaves) {
    addFile("se/boom.wav", countingWave(2, kRate, kRate));
    Group* group = load(seGroupFile({{"@se0", {{"name", "boom"}, {"flags", "stop"}}},
                                     {"@se1", {{"name", "boom"}, {"flags", "3d slave"}}}}));
    int owner = 0;
    LSePositionSource source{{1, 2, 3}, {}, {0.5f, 0, 0}};
    se().Play(group, 0, &owner, &source);
    se().Play(group, 1, &owner, &source);
    ASSERT_EQ(se()._GetKeyCount(), 1u);
    LSeManager::_VOICEINFO& stopVoice = voice(group, 0, 0);
    LSeManager::_VOICEINFO& slave = voice(group, 1, 0);
    EXPECT_EQ(slave.position[0], 1.0f);

    se().StopOwner(&owner);
    EXPECT_FALSE(playing(stopVoice));
    EXPECT_TRUE(playing(slave));
    EXPECT_EQ(slave.source, nullptr);
    EXPECT_EQ(slave.keyIndex, 0) << "the slave stays tied to the key";
    EXPECT_EQ(se()._GetKeyCount(), 1u);

    device_.sink->pull(10);
    se().Update();
    EXPECT_FLOAT_EQ(slave.position[0], 1.5f) << "a detached slave moves by its velocity";
    se().StopOwner(&owner);
    EXPECT_TRUE(playing(slave)) << "slaves without stop are never stopped by their owner";
}

TEST_F(LSeManagerTest, RemovingAKeyInTheMiddleMovesTheLastIntoItsPlace) {
    addFile("se/boom.wav", countingWave(2, kRate, kRate));
    Group* group =
        load(seGroupFile({{"@se0", {{"name", "boom"}, {"flags", "stop"}, {"count", "3"}}}}));
    int a = 0, b = 0, c = 0;
    se().Play(group, 0, &a, nullptr);
    se().Play(group, 0, &b, nullptr);
    se().Play(group, 0, &c, nullptr);
    ASSERT_EQ(se()._GetKeyCount(), 3u);
    se().StopOwner(&a);
    ASSERT_EQ(se()._GetKeyCount(), 2u);
    EXPECT_EQ(se()._GetKey(0).key, &c);
    EXPECT_EQ(se()._GetKey(0).first, &voice(group, 0, 2));
    EXPECT_EQ(voice(group, 0, 2).keyIndex, 0) << "the moved chain is re-indexed";
    EXPECT_EQ(se()._GetKey(1).key, &b);
    se().StopOwner(&c);
    EXPECT_FALSE(playing(voice(group, 0, 2)));
    EXPECT_EQ(se()._GetKeyCount(), 1u);
    EXPECT_EQ(se()._GetKey(0).key, &b);
}

TEST_F(LSeManagerTest, UpdateReleasesEndedVoicesAFrameLater) {
    addFile("se/boom.wav", countingWave(2, kRate, 50));
    Group* group = load("@se0 name = boom\n");
    se().Play(group, 0, nullptr, nullptr);
    se().Update();
    EXPECT_TRUE(playing(voice(group, 0, 0)));
    device_.sink->pull(100);
    EXPECT_TRUE(playing(voice(group, 0, 0))) << "until the next update";
    se().Update();
    EXPECT_FALSE(playing(voice(group, 0, 0)));
    EXPECT_EQ(group->refCount, 1u);
}

TEST_F(LSeManagerTest, VoicesWithoutABufferAreSkipped) {
    addFile("se/boom.wav", countingWave(2, kRate, 50));
    Group* group = load("@se0 name = boom count = 2\n");
    voice(group, 0, 0).buffer.Reset();
    se().Play(group, 0, nullptr, nullptr);
    se().Play(group, 0, nullptr, nullptr);
    se().Play(group, 0, nullptr, nullptr);  // steals the buffer-less voice
    se().Update();
    EXPECT_FALSE(playing(voice(group, 0, 0))) << "a voice without a buffer has ended";
    se()._StopVoice(&voice(group, 0, 1));
    EXPECT_EQ(group->refCount, 1u);
}

TEST_F(LSeManagerTest, SoundFilesAreFoundBesideTheGroupOrInTheSoundDirectory) {
    struct Case {
        const char* directory;
        const char* name;
        const char* file;
    } cases[] = {
        {nullptr, "boom", "se/boom.wav"},   {"", "sub/boom", "se/sub/boom.wav"},
        {"snd", "boom", "snd/boom.wav"},    {"snd/", "../boom", "boom.wav"},
        {"\\snd", "boom", "/snd/boom.wav"}, {"snd", "/abs/boom", "/abs/boom.wav"},
    };
    for (const Case& c : cases) {
        packs_.pack->files.clear();
        addFile(c.file, countingWave(1, kRate, 10));
        Group* group = load("@se0 name = " + std::string(c.name) + "\n", 0, c.directory);
        EXPECT_EQ(group->effects[0].voiceCount, 1u) << c.file;
        se().UnloadGroup(group);
    }
}

TEST_F(LSeManagerTest, AMissingSoundFileIsLoggedWithThePackName) {
    Group* group = load("@se0 name = missing count = 3\n");
    EXPECT_EQ(group->effects[0].voiceCount, 0u);
    EXPECT_NE(
        log_.text().find("[LSeManager::LoadGroup] can't find se file \"pack/se/missing.wav\""),
        std::string::npos)
        << log_.text();
}

TEST_F(LSeManagerTest, ReleaseStopsEverything) {
    addFile("se/boom.wav", countingWave(2, kRate, kRate));
    Group* group = load("@se0 name = boom flags = stop\n");
    int owner = 0;
    se().Play(group, 0, &owner, nullptr);
    se().Release();
    EXPECT_EQ(se()._GetPlayingHead(), nullptr);
    EXPECT_EQ(se()._GetKeyCount(), 0u);
    EXPECT_EQ(se()._GetTypeCount(), 0u);
    EXPECT_FALSE(device_.manager.FindData("pack/se/boom.wav"));
}

}  // namespace
}  // namespace tessera::test
