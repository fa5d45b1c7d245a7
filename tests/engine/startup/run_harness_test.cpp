// The run harness over engines of the engine fixture: it counts frames across engine runs and
// gives each run its own capture prefix.
#include "engine/startup/run_harness.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "engine/main_loop.h"
#include "engine/startup/lfm_pellam.h"
#include "foundation/pack/pack_registry.h"
#include "platform/os/utf8.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {
namespace {

class RunHarnessTest : public EngineTest {
protected:
    int updates() const {
        return static_cast<int>(std::count(log_.entries.begin(), log_.entries.end(), "U"));
    }
};

TEST_F(RunHarnessTest, EndsTheRunAfterItsFramesAndDropsARecordedNextEngine) {
    startSystem();
    bool nextDeleted = false;
    std::unique_ptr<TestEngine> next = makeEngine(100);
    next->deleted = &nextDeleted;
    std::unique_ptr<TestEngine> first = makeEngine(100);
    first->onUpdate = [&](TestEngine&, int frame) {
        if (frame == 1) system_->setNextEngine(next.release());
    };
    system_->setNextEngine(first.release());

    RunHarness harness(*system_, 5, u"", 0);
    runMainLoop(*system_);
    EXPECT_EQ(updates(), 5);
    EXPECT_TRUE(nextDeleted);
    EXPECT_EQ(system_->nextEngine(), nullptr);
}

// The captures take the game's route: the pack registry's provider over the framework's files.
TEST_F(RunHarnessTest, CountsFramesAcrossEngineRunsAndCapturesEachRunUnderItsNumber) {
    startSystem();
    mirel::rcptr<LFmPellam> provider;
    provider.Create();
    lfmRegistOverride(provider);
    std::unique_ptr<TestEngine> second = makeEngine(100);
    std::unique_ptr<TestEngine> first = makeEngine(3);
    first->onUpdate = [&](TestEngine&, int frame) {
        if (frame == 1) system_->setNextEngine(second.release());
    };
    system_->setNextEngine(first.release());
    const std::string captures = temp().path() + "/captures";
    std::filesystem::create_directories(captures);

    {
        RunHarness harness(*system_, 5, platform::os::utf8ToUtf16(captures), 0);
        runMainLoop(*system_);
    }
    EXPECT_EQ(updates(), 5);
    std::vector<std::string> written;
    for (const auto& entry : std::filesystem::directory_iterator(captures))
        written.push_back(entry.path().filename().string());
    std::sort(written.begin(), written.end());
    EXPECT_EQ(written, (std::vector<std::string>{"run0-0.bmp", "run0-1.bmp", "run0-2.bmp",
                                                 "run1-0.bmp", "run1-1.bmp"}));
}

}  // namespace
}  // namespace tessera::test
