// An engine's life around the frame loop: start without frames, seeds, cached keys, the
// subresources and the post effect's place in a frame, the quit request, the sounds stopped
// before the first frame, the floating-point mode of every frame (on every raster thread) and
// the engine-switching main loop.
#include <gtest/gtest.h>

#include <xmmintrin.h>
#include <cstdlib>

#include "engine/main_loop.h"
#include "engine/script/bin_buffer.h"
#include "engine/script/script_vm.h"
#include "foundation/pack/pack_registry.h"
#include "framework/msw/window.h"
#include "platform/d3d9/device.h"
#include "platform/os/float_mode.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/LExceptGame.h"
#include "sound/LSeManager.h"
#include "tests/engine/engine_fixture.h"
#include "tools/shasm/shader_assembler.h"
#include "tools/writers/riff_writer.h"

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

// What the start-up played is stopped before the first frame, on the renderer of the run.
TEST_F(EngineLifeTest, StartUpSoundsStopBeforeTheFirstFrame) {
    writeBesideExecutable("se/group.prp", "@se0 name = boom\r\n");
    writeBesideExecutable("se/boom.wav",
                          tools::writers::pcmWave(1, 22050, 16, std::string(22050 * 2, '\0')));
    startSystem();
    ASSERT_TRUE(system_->renderer() && system_->renderer()->seManager);
    mirel::LSeManager& effects = *system_->renderer()->seManager;
    auto engine = makeEngine(1);
    engine->onStart = [&] {
        effects.Play(effects.LoadGroup(lfmRegistPack(""), "se/group", nullptr, 0), 0, nullptr,
                     nullptr);
        EXPECT_NE(effects._GetPlayingHead(), nullptr);
    };
    engine->onUpdate = [&](TestEngine&, int) { EXPECT_EQ(effects._GetPlayingHead(), nullptr); };
    runEngine(std::move(engine));
    EXPECT_EQ(log_.text(), "U D r P");
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

// A pixel shader that scales a constant up to a visible colour: a denormal constant flushes to
// black in the game float mode, and stays dark grey where denormals are kept.
constexpr const char* kScaledConstant = R"(ps_2_0
def c1, 1e38, 1e38, 1e38, 1
mul r0, c0, c1
mov oC0, r0
)";

// The tile workers draw in the frame's float mode: a frame with a denormal input comes out the
// same from one raster thread and from eight, whichever thread draws a tile.
TEST_F(EngineLifeTest, RasterThreadsDrawADenormalFrameAlike) {
    const tools::shasm::AssembleResult shader = tools::shasm::assembleShader(kScaledConstant);
    ASSERT_TRUE(shader.error.empty()) << shader.error;
    const uint32_t saved = platform::os::floatMode();
    config_.video.mode.width = 320;  // 20 tiles
    config_.video.mode.height = 240;
    std::vector<std::vector<uint32_t>> frames;
    for (const unsigned threads : {1u, 8u}) {
        SCOPED_TRACE(threads);
        rasterThreads_ = threads;
        // The workers start in the default mode (denormals kept); the frame sets the game mode.
        platform::os::setFloatMode(0x1F80);
        startSystem();
        IDirect3DDevice9* d3d = system_->device().device();
        auto engine = makeEngine(1);
        engine->onDraw = [&] {
            IDirect3DPixelShader9* pixels = nullptr;
            ASSERT_EQ(d3d->CreatePixelShader(shader.tokens.data(),
                                             static_cast<UINT>(shader.tokens.size()), &pixels),
                      D3D_OK);
            const float constant[4] = {1e-39f, 2e-39f, 4e-39f, 1};
            d3d->SetPixelShader(pixels);
            d3d->SetPixelShaderConstantF(0, constant, 1);
            d3d->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
            d3d->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
            d3d->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
            struct Vertex {
                float x, y, z, rhw;
                uint32_t colour;
            };
            const Vertex quad[4] = {{0, 0, 0.5f, 1, ~0u},
                                    {320, 0, 0.5f, 1, ~0u},
                                    {0, 240, 0.5f, 1, ~0u},
                                    {320, 240, 0.5f, 1, ~0u}};
            d3d->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
            d3d->SetPixelShader(nullptr);
            pixels->Release();
        };
        runEngine(std::move(engine));
        const IDirect3DSurface9* back = system_->device().backBuffer();
        frames.emplace_back(back->texels(), back->texels() + back->width() * back->height());
        stopSystem();
    }
    platform::os::setFloatMode(saved);
    ASSERT_EQ(frames[0].size(), 320u * 240u);
    EXPECT_EQ(frames[0], std::vector<uint32_t>(320 * 240, 0xFF000000));
    EXPECT_EQ(frames[1], frames[0]);
}

// Each engine runs on a renderer of its own: the System rebuilds it after every engine.
TEST_F(EngineLifeTest, MainLoopRunsTheRecordedEnginesInTurn) {
    startSystem();
    std::vector<std::string> runs;
    bool firstDeleted = false, secondDeleted = false;
    auto second = std::make_unique<TestEngine>(log_);
    second->deleted = &secondDeleted;
    TestEngine* secondRaw = second.release();
    secondRaw->init(system_.get());
    secondRaw->setPacer(&pacer_);
    std::vector<mirel::rcptr<L3DRenderer>> renderers;  // held, so that none is reused
    secondRaw->onUpdate = [&](TestEngine& engine, int) {
        runs.push_back("second");
        renderers.push_back(system_->renderer());
        EXPECT_EQ(system_->currentEngine(), &engine);
        EXPECT_TRUE(firstDeleted);
    };
    auto first = makeEngine(1);
    first->deleted = &firstDeleted;
    first->onUpdate = [&](TestEngine&, int) {
        runs.push_back("first");
        renderers.push_back(system_->renderer());
        system_->setNextEngine(secondRaw);
    };
    system_->setNextEngine(first.release());
    runMainLoop(*system_);
    EXPECT_EQ(runs, (std::vector<std::string>{"first", "second"}));
    renderers.push_back(system_->renderer());
    ASSERT_EQ(renderers.size(), 3u);
    EXPECT_NE(renderers[0].Get(), renderers[1].Get());
    EXPECT_NE(renderers[1].Get(), renderers[2].Get());
    renderers.clear();
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
