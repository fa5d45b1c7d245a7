#include "tests/engine/sprite_natives/sprite_natives_fixture.h"

#include <cstdlib>

#include "engine/sprite/sprite2.h"
#include "engine/sprite_natives/native_support.h"
#include "framework/file/file.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {

std::u16string spriteNativesFixture(const char* name) {
    const char* folder = std::getenv("ENGINE_SPRITE_NATIVES_FIXTURES");
    std::string path = std::string(folder ? folder : ".") + "/" + name;
    return std::u16string(path.begin(), path.end());
}

void SpriteNativesTest::SetUp() {
    EngineTest::SetUp();
    config_.video.mode.width = width_;
    config_.video.mode.height = height_;
    startSystem();
    engine_ = makeEngine(1);
    engine_->setupSubresources();
    registerSpriteNatives(engine_->vm()->root());
    task_.emplace(*engine_->vm(), engine_->vm()->root());
}

void SpriteNativesTest::TearDown() {
    task_.reset();
    engine_.reset();
    if (fontStarted_) sprite2Shutdown();
    EngineTest::TearDown();
}

ScriptObject SpriteNativesTest::runPath(const std::u16string& path) {
    return task_->runPathAndInit(path.c_str(), engine_.get(), nullptr);
}

PEL_SPRITE* SpriteNativesTest::sprite(const ScriptObject& result, const char16_t* name) {
    return handles().sprites.find(sprite_natives::idOf(result.getUserPointer(name)));
}

void SpriteNativesTest::startFont() {
    const char* font = std::getenv("SPRITE_NATIVES_FONT");
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(tools::writers::writeApfc(executableFolder() + "/font.dat",
                                          {{u"sys/font.ttf", readFileBytes(font)}}));
    ASSERT_EQ(pelFileMountArchive(u"font.dat"), PEL_OK);
    sprite2Init();
    fontStarted_ = true;
}

}  // namespace tessera::test
