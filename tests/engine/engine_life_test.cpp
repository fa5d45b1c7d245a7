// An engine's life around the frame loop: start without frames, seeds, cached keys, the
// subresources and the post effect's place in a frame, the quit request, the floating-point
// mode of every frame and the engine-switching main loop.
#include <gtest/gtest.h>

#include <xmmintrin.h>
#include <cstdlib>

#include "engine/main_loop.h"
#include "engine/script/bin_buffer.h"
#include "engine/script/script_vm.h"
#include "framework/msw/window.h"
#include "platform/d3d9/device.h"
#include "platform/os/float_mode.h"
#include "render3d/diagnostics/LExceptGame.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {
namespace {

using namespace platform::d3d9;

// A post effect that logs its calls; when told, it checks on destruction that the engine's byte
// buffers are already gone and its sprite context still there.
class LoggingPostEffect : public EnginePostEffect {
public:
    LoggingPostEffect(EventLog& log, bool setupResult) : log_(log), setupResult_(setupResult) {}
    ~LoggingPostEffect() override {
        log_.add("fx:delete");
        if (owner) {
            EXPECT_EQ(owner->binManager(), nullptr);
            EXPECT_NE(owner->spriteContext(), nullptr);
        }
    }
    bool setup(System*) override {
        log_.add("fx:setup");
        return setupResult_;
    }
    void animate() override { log_.add("fx:animate"); }
    void beginFrame() override { log_.add("fx:begin"); }
    void render() override { log_.add("fx:render"); }
    Engine* owner = nullptr;

private:
    EventLog& log_;
    bool setupResult_;
};

class EngineLifeTest : public EngineTest {
protected:
    void TearDown() override {
        Engine::setPostEffectFactory(nullptr);
        EngineTest::TearDown();
    }
    // Every engine made from here on gets a logging post effect whose set-up answers so.
    void usePostEffects(bool setupResult) {
        Engine::setPostEffectFactory([this, setupResult] {
            auto effect = std::make_unique<LoggingPostEffect>(log_, setupResult);
            lastEffect_ = effect.get();
            return effect;
        });
    }
    std::vector<std::string> recorded(const std::string& method) {
        std::vector<std::string> found;
        for (const RecordedCall& call : system_->device().device()->recorder().calls())
            if (call.method == method) found.push_back(call.arguments);
        return found;
    }
    LoggingPostEffect* lastEffect_ = nullptr;
};

TEST_F(EngineLifeTest, ExitDuringStartRunsNoFrameAndStillFinishesTheRound) {
    for (const bool withSession : {false, true}) {
        SCOPED_TRACE(withSession ? "with a session" : "offline");
        startSystem(2, withSession);
        if (net_) net_->readyAfter = 3;
        auto engine = makeEngine(5);
        engine->exitInStart = true;
        runEngine(std::move(engine));
        EXPECT_EQ(log_.text(), withSession ? "ready n0 n0 n0 round" : "");
        if (net_) {
            EXPECT_EQ(net_->starts, 1);
        }
        stopSystem();
    }
}

TEST_F(EngineLifeTest, SeedsComeFromTheSessionOrTheCalendar) {
    clock_.setCalendarSeconds(0x1'2345'6789);
    for (const bool withSession : {false, true}) {
        SCOPED_TRACE(withSession ? "with a session" : "offline");
        startSystem(2, withSession);
        auto engine = makeEngine(1);
        engine->run();
        const uint32_t expected = withSession ? net_->seed : 0x23456789u;
        EXPECT_EQ(engine->seed(), expected);
        PEL_RAND* same = pelRandCreate(expected);
        PEL_RAND* local = pelRandCreate(0x23456789u);
        EXPECT_EQ(pelRandNext(engine->seededRandom()), pelRandNext(same));
        EXPECT_EQ(pelRandNext(engine->localRandom()), pelRandNext(local));
        std::free(same);
        std::free(local);
        engine.reset();
        stopSystem();
    }
}

TEST_F(EngineLifeTest, InitInternsTheSeventeenKeysInOrder) {
    startSystem();
    auto engine = makeEngine(1);
    const char16_t* names[] = {u"x",     u"y",         u"z",        u"width", u"height",
                               u"flag",  u"speed",     u"colorRed", u"red",   u"colorGreen",
                               u"green", u"colorBlue", u"blue",     u"alpha", u"base",
                               u"level", u"show"};
    for (uint32_t i = 0; i < kEngineKeyCount; ++i)
        EXPECT_EQ(std::u16string(engine->key(static_cast<EngineKey>(i)).asString()), names[i]);
    EXPECT_EQ(engine->system(), system_.get());
    EXPECT_TRUE(engine->taskEnable());
    EXPECT_EQ(engine->capturePrefix(), nullptr);
    EXPECT_EQ(engine->binManager(), nullptr);
}

TEST_F(EngineLifeTest, SubresourcesAreMadeOnceAndReleasedInOrder) {
    usePostEffects(true);
    startSystem();
    auto engine = makeEngine(1);
    engine->setupSubresources();
    PEL_SPRITE_CONTEXT* context = engine->spriteContext();
    EnginePostEffect* effect = engine->postEffect();
    BinManager* binaries = engine->binManager();
    ASSERT_NE(context, nullptr);
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(binaries, nullptr);
    binaries->createBuffer();
    engine->setupSubresources();
    EXPECT_EQ(engine->spriteContext(), context);
    EXPECT_EQ(engine->postEffect(), effect);
    EXPECT_EQ(engine->binManager(), binaries);
    EXPECT_EQ(binaries->count(), 1u);

    lastEffect_->owner = engine.get();
    engine->releaseSubresources();
    EXPECT_EQ(log_.text(), "fx:setup fx:delete");
    EXPECT_EQ(engine->spriteContext(), nullptr);
    EXPECT_EQ(engine->postEffect(), nullptr);
    // Released once: nothing is left for the destructor.
    log_.entries.clear();
    engine.reset();
    EXPECT_EQ(log_.text(), "");
}

TEST_F(EngineLifeTest, PostEffectWrapsTheSceneOrTheDepthBufferIsCleared) {
    for (const bool setupResult : {true, false}) {
        SCOPED_TRACE(setupResult ? "post effect set up" : "set-up failed");
        usePostEffects(setupResult);
        startSystem();
        system_->device().device()->recorder().setEnabled(true);
        auto engine = makeEngine(1);
        engine->logSprites = true;
        Engine* raw = engine.get();
        engine->onStart = [&] { EXPECT_EQ(raw->postEffect() != nullptr, setupResult); };
        runEngine(std::move(engine));
        if (setupResult) {
            EXPECT_EQ(log_.text(), "fx:setup U fx:animate fx:begin D fx:render S r P fx:delete");
            EXPECT_TRUE(recorded("Clear").empty());
        } else {
            EXPECT_EQ(log_.text(), "fx:setup fx:delete U D S r P");
            // Depth only, to 1.0 with stencil 0.
            EXPECT_EQ(recorded("Clear"), std::vector<std::string>{"0, null, 2, 0, 1, 0"});
        }
        stopSystem();
    }
}

TEST_F(EngineLifeTest, QuitRequestEndsTheProgramBeforeTheUpdate) {
    startSystem();
    system_->window()->closeRequested = 1;
    auto engine = makeEngine(3);
    EXPECT_THROW(engine->run(), LExceptGame);
    EXPECT_EQ(engine->updates, 0);
}

TEST_F(EngineLifeTest, EveryFrameStartsInTheGameFloatMode) {
    startSystem();
    const uint32_t saved = platform::os::floatMode();
    platform::os::setFloatMode(0x1F80);  // the default: denormals kept
    auto engine = makeEngine(3);
    std::vector<bool> flushed;
    engine->onUpdate = [&](TestEngine&, int) {
        volatile float denormal = 1e-39f;
        volatile float product = denormal * 1.0f;
        flushed.push_back(product == 0.0f);
        EXPECT_EQ(platform::os::floatMode() & platform::os::kFloatRoundingMask, 0u);
        // Undone here; the next frame's start must set it again.
        platform::os::setFloatMode(0x1F80);
    };
    runEngine(std::move(engine));
    platform::os::setFloatMode(saved);
    EXPECT_EQ(flushed, std::vector<bool>(3, true));
}

TEST_F(EngineLifeTest, MainLoopRunsTheRecordedEnginesInTurn) {
    startSystem();
    std::vector<std::string> runs;
    bool firstDeleted = false, secondDeleted = false;
    auto second = std::make_unique<TestEngine>(log_);
    second->deleted = &secondDeleted;
    TestEngine* secondRaw = second.release();
    secondRaw->init(system_.get());
    secondRaw->setPacer(&pacer_);
    secondRaw->onUpdate = [&](TestEngine& engine, int) {
        runs.push_back("second");
        EXPECT_EQ(system_->currentEngine(), &engine);
        EXPECT_TRUE(firstDeleted);
    };
    auto first = makeEngine(1);
    first->deleted = &firstDeleted;
    first->onUpdate = [&](TestEngine&, int) {
        runs.push_back("first");
        system_->setNextEngine(secondRaw);
    };
    system_->setNextEngine(first.release());
    runMainLoop(*system_);
    EXPECT_EQ(runs, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(secondDeleted);
    EXPECT_EQ(system_->currentEngine(), nullptr);
    EXPECT_EQ(system_->nextEngine(), nullptr);
}

TEST_F(EngineLifeTest, SystemDeletesARecordedEngineThatNeverRan) {
    startSystem();
    bool deleted = false;
    auto engine = makeEngine(1);
    engine->deleted = &deleted;
    engine->setupSubresources();
    system_->setNextEngine(engine.release());
    system_.reset();
    EXPECT_TRUE(deleted);
}

}  // namespace
}  // namespace tessera::test
