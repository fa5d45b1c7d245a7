#pragma once
// A test engine with its sprite context and the layered sprite natives registered, and a script
// task on its VM that runs the compiled fixtures of scripts/.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "engine/script/script_vm.h"
#include "engine/sprite_natives/native_support.h"
#include "engine/sprite_natives/sprite_natives.h"
#include "framework/sprite/sprite.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {

// The compiled fixture of scripts/<name>.nut, without its ".cnut".
std::u16string spriteNativesFixture(const char* name);

class SpriteNativesTest : public EngineTest {
protected:
    // The System's window is width x height.
    explicit SpriteNativesTest(uint32_t width = 160, uint32_t height = 120)
        : width_(width), height_(height) {}
    void SetUp() override;
    void TearDown() override;

    // Runs the script's top level and "init"; what "init" returned.
    ScriptObject run(const char* name) { return runPath(spriteNativesFixture(name)); }
    ScriptObject runPath(const std::u16string& path);
    SpriteHandles& handles() { return spriteHandlesOf(engine_.get()); }
    // The sprite whose id the result holds under the name, or null.
    PEL_SPRITE* sprite(const ScriptObject& result, const char16_t* name);
    // A global of the scripts: the record's id in its table.
    template <typename T>
    void share(const char16_t* name, SpriteIds<T> SpriteHandles::*table, T* record) {
        engine_->vm()->root().setObject(
            name,
            ScriptObject::fromUserPointer(
                engine_->vm()->vm(), sprite_natives::pointerOf((handles().*table).insert(record))));
    }
    // Packs the sprite suite's test font as "sys/font.ttf" and starts the sprite backend's font.
    void startFont();

    std::unique_ptr<TestEngine> engine_;
    std::optional<ScriptTask> task_;

private:
    uint32_t width_;
    uint32_t height_;
    bool fontStarted_ = false;
};

}  // namespace tessera::test
