#include "tests/engine/spriterect/rect_engine_fixture.h"

#include <cstdlib>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/texture.h"
#include "render3d/L3DDevice.h"

namespace tessera::test {

using namespace platform::d3d9;

void RectEngine::draw() {
    TestEngine::draw();
    system()->device().device()->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1.0f, 0);
}

void RectEngine::drawSprites() {
    TestEngine::drawSprites();
    layer.draw();
}

void RectEngineTest::SetUp() {
    EngineTest::SetUp();
    prepareFiles();
    startSystem();
    engine_ = std::make_unique<RectEngine>(log_);
    engine_->init(system_.get());
    engine_->setPacer(&pacer_);
    engine_->layer.init(system_.get());
    registerSpriteRectNatives(engine_->vm()->root());
    task_.emplace(*engine_->vm(), engine_->vm()->root());
}

void RectEngineTest::TearDown() {
    task_.reset();
    if (engine_) engine_->layer.release();
    engine_.reset();
    EngineTest::TearDown();
}

void RectEngineTest::shareHandle(const char16_t* name, void* handle) {
    const ScriptObject& root = engine_->vm()->root();
    root.setObject(name, ScriptObject::fromUserPointer(root.vm(), handle));
}

ScriptObject RectEngineTest::run(const char* name) {
    const char* folder = std::getenv("ENGINE_SPRITERECT_FIXTURES");
    const std::string path = std::string(folder ? folder : ".") + "/" + name;
    return task_->runPathAndInit(std::u16string(path.begin(), path.end()).c_str(), engine_.get(),
                                 nullptr);
}

SpriteRect* RectEngineTest::rect(const ScriptObject& result, const char16_t* name) const {
    return engine_->layer.ids().rects.find(spriteRectIdOf(result.getUserPointer(name)));
}

std::u16string RectEngineTest::idText(void* handle) {
    const std::string text = std::to_string(spriteRectIdOf(handle));
    return std::u16string(text.begin(), text.end());
}

void RectEngineTest::drawFrame() {
    engine_->frames = 1;
    engine_->updates = 0;
    engine_->run();
}

SpriteRectImage* RectEngineTest::lockedImage(uint32_t width, uint32_t height,
                                             const std::function<void(uint32_t*, int32_t)>& fill) {
    L3DDevice& device = system_->device();
    EXPECT_EQ(device.alphaTextureFormat(), D3DFMT_A8R8G8B8);
    mirel::rcptr<L3DTexture> texture = device.CreateTexture(nullptr, width, height);
    EXPECT_TRUE(texture);
    if (!texture) return nullptr;
    int32_t pitch = 0;
    auto* pixels = reinterpret_cast<uint32_t*>(texture->Lock(0, 0, width, height, pitch));
    fill(pixels, pitch / 4);
    texture->texture->UnlockRect(0);
    return engine_->layer.createLoadedImage(std::move(texture));
}

}  // namespace tessera::test
