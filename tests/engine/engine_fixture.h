#pragma once
// Engines over a headless System: the software device with a memory presenter (which keeps the
// last frame), the manual clock under the timer, reports captured (level-0 reports throw
// FatalReport), and one log into which the test engine, the scripted pacer, the session and the
// presenter write what happened, in order.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/config/config.h"
#include "engine/engine.h"
#include "engine/system/system.h"
#include "foundation/DApplication.h"
#include "platform/d3d9/adapter_profile.h"
#include "platform/os/clock.h"
#include "tests/engine/system/fake_net.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tests/render3d/support/built_posteffect_shaders.h"
#include "tests/render3d/support/built_shader_archive.h"
#include "tests/support/golden_image.h"

namespace tessera::test {

struct EventLog {
    std::vector<std::string> entries;
    void add(std::string entry) { entries.push_back(std::move(entry)); }
    // The entries joined by spaces.
    std::string text() const;
};

// A pacer whose steps answer from a script (false once it runs out) and which logs every call:
// "s0"/"s1" a step and its answer, "w" a wait, "r" a reset, "q" a query of the remaining time,
// "m" the lateness allowance.
class ScriptedPacer : public FramePacer {
public:
    explicit ScriptedPacer(EventLog& log) : log_(log) {}
    bool step() override;
    void wait() override { log_.add("w"); }
    void reset() override { log_.add("r"); }
    uint64_t remaining() override {
        log_.add("q");
        return remainingTicks;
    }
    void setLateAllowance(uint64_t ticks) override {
        log_.add("m");
        allowance = ticks;
    }

    std::vector<bool> steps;
    uint64_t remainingTicks = 0;
    uint64_t allowance = 0;

private:
    EventLog& log_;
    size_t next_ = 0;
};

// The fake session logging "n0"/"n1" for nextFrame and its answer, "ready" and "round"; it
// reports ready once it has delivered `readyAfter` frames.
class LoggingNet : public FakeNet {
public:
    explicit LoggingNet(EventLog& log) : log_(log) {}
    bool nextFrame() override;
    void setReady() override {
        FakeNet::setReady();
        log_.add("ready");
    }
    bool isReady() override { return frames >= readyAfter; }
    void resetRound() override {
        FakeNet::resetRound();
        log_.add("round");
    }
    int readyAfter = 0;

private:
    EventLog& log_;
};

// An engine that logs "U" for each update and "D" for each 3D scene (and "S" for each sprite
// pass when asked), calls the hooks on every update with the frame number (from 1) and on every
// 3D scene, and asks to exit after `frames` updates.
class TestEngine : public Engine {
public:
    explicit TestEngine(EventLog& log) : log_(log) {}
    ~TestEngine() override;
    void start() override;
    void update() override;
    void draw() override;
    void drawSprites() override;

    int frames = 1;
    int updates = 0;
    bool exitInStart = false;
    bool logSprites = false;
    std::function<void(TestEngine&, int frame)> onUpdate;
    std::function<void()> onStart;
    std::function<void()> onDraw;
    bool* deleted = nullptr;  // set on destruction

private:
    EventLog& log_;
};

// The manual clock of the main thread: only its sleeps (and the test) move the time. Other
// threads, such as the null sound sink's, sleep for real without moving it, so that the time a
// test measures is the frame loop's own.
class MainThreadClock final : public platform::os::Clock {
public:
    uint32_t milliseconds() override { return clock_.milliseconds(); }
    uint64_t counter() override { return clock_.counter(); }
    uint64_t counterFrequency() override { return clock_.counterFrequency(); }
    void sleep(uint32_t milliseconds) override;
    int64_t calendarSeconds() override { return clock_.calendarSeconds(); }
    void setCalendarSeconds(int64_t seconds) { clock_.setCalendarSeconds(seconds); }
    void advanceTicks(uint64_t ticks) { clock_.advanceTicks(ticks); }

private:
    platform::os::ManualClock clock_;
    const std::thread::id mainThread_ = std::this_thread::get_id();
};

class EngineTest : public FrameworkFiles {
protected:
    void SetUp() override;
    void TearDown() override;

    // The System over a window (display kind 2) or a full-screen mode (kind 0, presenting at
    // the vertical blank), with an optional logging session.
    System& startSystem(int32_t displayKind = 2, bool withSession = false);
    // Ends the System and the 3D library, so that another startSystem may follow.
    void stopSystem();
    // A test engine bound to the System (init done), its pacer the scripted one.
    std::unique_ptr<TestEngine> makeEngine(int frames);
    // Runs the engine's frame loop and deletes the engine.
    void runEngine(std::unique_ptr<TestEngine> engine);

    platform::d3d9::InjectedFailures& failures() { return *failures_; }
    bool reported(int level, const std::u16string& text) const;

    EventLog log_;
    Frame presented_;  // the last frame the memory presenter received
    // Called after every present, once presented_ holds the frame.
    std::function<void()> onPresent_;
    ScriptedPacer pacer_{log_};
    LoggingNet* net_ = nullptr;  // owned by the System
    MainThreadClock clock_;
    Config config_;
    std::unique_ptr<System> system_;
    unsigned rasterThreads_ = 1;

private:
    mirel::DApplication application_;
    std::optional<ReportCapture> capture_;
    std::shared_ptr<platform::d3d9::InjectedFailures> failures_;
};

}  // namespace tessera::test
