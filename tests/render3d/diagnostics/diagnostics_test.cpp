#include "render3d/diagnostics/diagnostics.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/window/message_box.h"
#include "tests/foundation/support/debug_capture.h"

namespace {

using tessera::test::DebugCapture;

struct Box {
    std::string text;
    std::string caption;
    uint32_t style;
};

// Records the message boxes and the log; restores the diagnostics' settings afterwards.
class Diagnostics : public testing::Test {
protected:
    void SetUp() override {
        savedMode_ = l3dDiagMode.load();
        savedThreshold_ = l3dLogThreshold.load();
        platform::window::setMessageBoxObserver(
            [this](std::string_view text, std::string_view caption, uint32_t style) {
                std::lock_guard lock(boxesLock_);
                boxes_.push_back({std::string(text), std::string(caption), style});
            });
    }
    void TearDown() override {
        l3dTermDiag();
        platform::window::setMessageBoxObserver(nullptr);
        l3dDiagMode = savedMode_;
        l3dLogThreshold = savedThreshold_;
    }

    std::vector<Box> boxes() {
        std::lock_guard lock(boxesLock_);
        return boxes_;
    }

    DebugCapture log_;

private:
    uint32_t savedMode_ = 0;
    int32_t savedThreshold_ = 0;
    std::mutex boxesLock_;
    std::vector<Box> boxes_;
};

TEST_F(Diagnostics, LogWritesOnlyLevelsUpToTheThreshold) {
    l3dLogThreshold = 0;
    l3dLog(1, "hidden %d", 1);
    l3dLog(0, "shown %d", 2);
    l3dLogThreshold = 2;
    l3dLog(2, "level %s", "two");
    l3dLog(3, "level three");
    EXPECT_EQ(log_.text(), "shown 2\nlevel two\n");
}

TEST_F(Diagnostics, DeferredWarningsAppearOneBoxEachInTheOrderRaised) {
    l3dDiagMode = l3dDiagDefer;
    l3dLogThreshold = 0;
    l3dWarning("first %d", 1);
    l3dWarning("second");
    EXPECT_TRUE(boxes().empty());
    EXPECT_EQ(log_.text(), "first 1\nsecond\n");  // logged at level 0 whatever the threshold

    l3dShowDeferredWarnings();
    const std::vector<Box> shown = boxes();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "first 1");
    EXPECT_EQ(shown[1].text, "second");
    EXPECT_EQ(shown[0].caption, "Code:QN");
    EXPECT_EQ(shown[0].style, platform::window::kMbIconWarning);

    l3dShowDeferredWarnings();
    EXPECT_EQ(boxes().size(), 2u);
}

TEST_F(Diagnostics, ModeOneShowsAtOnceAndKeepsNothing) {
    l3dDiagMode = l3dDiagShowAtOnce;
    l3dWarning("now");
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "now");
    l3dShowDeferredWarnings();
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(Diagnostics, ErrorReportsThenThrowsTheGameException) {
    l3dDiagMode = l3dDiagDefer;
    EXPECT_THROW(l3dError("fatal %s", "here"), LExceptGame);
    EXPECT_EQ(log_.text(), "fatal here\n");
    l3dShowDeferredWarnings();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, "fatal here");
    EXPECT_THROW(l3dThrowGameExcept(), LExceptGame);
    EXPECT_EQ(log_.text(), "fatal here\n");
}

TEST_F(Diagnostics, TextsAreCutAt2071Characters) {
    l3dDiagMode = l3dDiagDefer;
    const std::string longText(3000, 'x');
    l3dWarning("%s", longText.c_str());
    l3dShowDeferredWarnings();
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes()[0].text, std::string(2071, 'x'));
}

TEST_F(Diagnostics, TermForgetsKeptWarnings) {
    l3dDiagMode = l3dDiagDefer;
    l3dWarning("dropped");
    l3dTermDiag();
    l3dShowDeferredWarnings();
    EXPECT_TRUE(boxes().empty());
}

TEST_F(Diagnostics, WarningsFromSeveralThreadsAreAllKeptWhole) {
    l3dDiagMode = l3dDiagDefer;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            for (int i = 0; i < 50; ++i) l3dWarning("thread %d warning %d", t, i);
        });
    }
    for (std::thread& thread : threads) thread.join();
    l3dShowDeferredWarnings();
    const std::vector<Box> shown = boxes();
    ASSERT_EQ(shown.size(), 200u);
    for (const Box& box : shown) EXPECT_EQ(box.text.rfind("thread ", 0), 0u) << box.text;
}

}  // namespace
