#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "platform/audio/direct_sound.h"
#include "platform/audio/manual_sink.h"
#include "sound/DsndManager.h"
#include "sound/DsndVolume.h"
#include "tests/foundation/support/debug_capture.h"

namespace tessera::test {
namespace {

using mirel::DsndManager;
using mirel::DsndVolumeToMillibel;

TEST(DsndVolume, MillibelTable) {
    struct Case {
        float volume, curve;
        int32_t millibels;
    } cases[] = {
        {1.0f, 0.0f, 0},
        {0.5f, 0.0f, -500},
        {0.5f, 0.005f, -550},
        {0.25f, 0.0f, -1000},
        {0.75f, 0.0f, -208},
        {0.1f, 0.0f, -1661},
        {0.001f, 0.0f, -4983},
        {0.0001f, 0.0f, -6644},
        {1e-6f, 0.0f, -9966},
        {1e-7f, 0.0f, -10000},
        {2.0f, 0.0f, 0},
        {0.5f, 1.0f, -10000},
        {0.0f, 0.0f, -10000},
        {-1.0f, 0.0f, -10000},
        {std::numeric_limits<float>::quiet_NaN(), 0.0f, -10000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DsndVolumeToMillibel(c.volume, c.curve), c.millibels)
            << c.volume << " curve " << c.curve;
}

class DsndManagerTest : public ::testing::Test {
protected:
    void TearDown() override { platform::audio::setDeviceOverride({}); }
};

TEST_F(DsndManagerTest, CreateLogsThePrimaryDriverAndReleaseUndoesIt) {
    platform::audio::setDeviceOverride({false, std::make_shared<platform::audio::ManualSink>()});
    DsndManager manager;
    DebugCapture log;
    EXPECT_FALSE(manager.Release()) << "never created";
    ASSERT_TRUE(manager.Create(nullptr));
    EXPECT_TRUE(manager.IsCreated());
    EXPECT_EQ(log.text(),
              "[Dsnd] device \"Primary Sound Driver\" driver \"\"\n[Dsnd] Create mode\n");
    EXPECT_FALSE(manager.Create(nullptr)) << "already created";
    EXPECT_TRUE(manager.Release());
    EXPECT_FALSE(manager.IsCreated());
    EXPECT_FALSE(manager.Release());
    ASSERT_TRUE(manager.Create(nullptr)) << "created again after a release";
}

TEST_F(DsndManagerTest, FailedCreationLeavesTheSystemSilent) {
    platform::audio::setDeviceOverride({true, nullptr});
    DsndManager manager;
    DebugCapture log;
    EXPECT_FALSE(manager.Create(nullptr));
    EXPECT_FALSE(manager.IsCreated());
    EXPECT_EQ(log.text(), "");
    EXPECT_FALSE(manager.Release());
}

}  // namespace
}  // namespace tessera::test
