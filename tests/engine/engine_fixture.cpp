#include "tests/engine/engine_fixture.h"

#include <chrono>

#include "foundation/pack/pack_registry.h"
#include "framework/image/image.h"
#include "framework/msw/msw.h"
#include "framework/sprite/sprite.h"
#include "framework/timer/timer.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/memory_presenter.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/window_client_size.h"
#include "tests/platform/d3d9/support/presented_frames.h"

namespace tessera::test {

using namespace platform::d3d9;

std::string EventLog::text() const {
    std::string joined;
    for (const std::string& entry : entries) {
        if (!joined.empty()) joined += ' ';
        joined += entry;
    }
    return joined;
}

bool ScriptedPacer::step() {
    const bool skip = next_ < steps.size() && steps[next_];
    ++next_;
    log_.add(skip ? "s1" : "s0");
    return skip;
}

bool LoggingNet::nextFrame() {
    const bool behindNow = FakeNet::nextFrame();
    log_.add(behindNow ? "n1" : "n0");
    return behindNow;
}

void MainThreadClock::sleep(uint32_t milliseconds) {
    if (std::this_thread::get_id() == mainThread_)
        clock_.sleep(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds ? milliseconds : 1));
}

TestEngine::~TestEngine() {
    if (deleted) *deleted = true;
}

void TestEngine::start() {
    Engine::start();
    if (onStart) onStart();
    if (exitInStart) requestExit();
}

void TestEngine::update() {
    ++updates;
    log_.add("U");
    if (onUpdate) onUpdate(*this, updates);
    Engine::update();
    if (updates >= frames) requestExit();
}

void TestEngine::draw() {
    log_.add("D");
    if (onDraw) onDraw();
}

void TestEngine::drawSprites() {
    if (logSprites) log_.add("S");
    Engine::drawSprites();
}

void EngineTest::SetUp() {
    FrameworkFiles::SetUp();
    // The renderer's shader set is read beside the program through the foundation's packs.
    ASSERT_TRUE(application_.Init(nullptr, 10));
    mirel::DApplication::SetCurrent(&application_);
    lfmReleasePacks();
    platform::os::setClock(&clock_);
    pelMswInitialize();
    capture_.emplace();
    pelImageInitialize();
    pelSpriteInitialize();
    pelTimerInitialize();
    writeBesideExecutable("sys/renderer.csa", builtShaderArchive());
    // The screen post effects read their shaders beside the program too.
    for (const BuiltFile& shader : builtPostEffectShaders())
        writeBesideExecutable(shader.path, shader.bytes);
    config_.video.mode.width = 160;
    config_.video.mode.height = 120;
    // The headless window's client area: the configured window size.
    l3dSetClientSizeQuery([this](HWND, uint32_t& width, uint32_t& height) {
        width = config_.video.mode.width;
        height = config_.video.mode.height;
        return true;
    });
}

void EngineTest::TearDown() {
    stopSystem();
    l3dSetClientSizeQuery(nullptr);
    pelTimerFinalize();
    pelSpriteFinalize();
    capture_.reset();
    pelMswFinalize();
    lfmReleasePacks();
    mirel::DApplication::SetCurrent(nullptr);
    platform::os::setClock(nullptr);
    FrameworkFiles::TearDown();
}

System& EngineTest::startSystem(int32_t displayKind, bool withSession) {
    AdapterProfile profile = softwareAdapterProfile(0);
    failures_ = profile.failures;
    Direct3DConfig config;
    config.adapters = {profile};
    config.rasterThreads = rasterThreads_;
    config.makePresenter = [this](HWND) {
        return std::make_unique<MemoryPresenter>([this](const PresentedFrame& frame) {
            log_.add("P");
            presented_ = copyPresentedFrame(frame);
            if (onPresent_) onPresent_();
        });
    };
    IDirect3D9* direct3d = new IDirect3D9(std::move(config));
    l3dInit(direct3d);
    direct3d->Release();

    config_.video.mode.kind = displayKind;
    if (displayKind != 2) {
        config_.video.mode.width = 640;
        config_.video.mode.height = 480;
    }
    std::unique_ptr<Net> net;
    if (withSession) {
        auto logging = std::make_unique<LoggingNet>(log_);
        net_ = logging.get();
        net = std::move(logging);
    }
    system_ = std::make_unique<System>();
    system_->init(config_, std::move(net));
    log_.entries.clear();
    return *system_;
}

void EngineTest::stopSystem() {
    system_.reset();
    net_ = nullptr;
    l3dTerm();
    l3dReleaseDirect3D();
}

std::unique_ptr<TestEngine> EngineTest::makeEngine(int frames) {
    auto engine = std::make_unique<TestEngine>(log_);
    engine->init(system_.get());
    engine->frames = frames;
    engine->setPacer(&pacer_);
    return engine;
}

void EngineTest::runEngine(std::unique_ptr<TestEngine> engine) {
    engine->run();
    engine.reset();
}

bool EngineTest::reported(int level, const std::u16string& text) const {
    for (const auto& entry : ReportCapture::entries())
        if (entry.level == level && entry.text == text) return true;
    return false;
}

}  // namespace tessera::test
