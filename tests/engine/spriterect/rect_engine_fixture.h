#pragma once
// An engine with the older sprite layer over the engine fixture's headless System, the natives
// registered in its VM and a task to run the suite's compiled scripts. Records made here reach
// the scripts as root-table slots holding their handles.
#include <memory>
#include <optional>
#include <string>

#include "engine/script/script_vm.h"
#include "engine/spriterect/sprite_rect_layer.h"
#include "engine/spriterect/sprite_rect_natives.h"
#include "tests/engine/engine_fixture.h"

namespace tessera::test {

// Its 3D pass clears the screen to the background; its 2D pass draws the layer.
class RectEngine : public TestEngine, public SpriteRectHost {
public:
    using TestEngine::TestEngine;
    SpriteRectLayer* spriteRectLayer() override { return &layer; }
    void draw() override;
    void drawSprites() override;

    SpriteRectLayer layer;
    uint32_t background = 0xFF102040;
};

class RectEngineTest : public EngineTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Writes the files the System should find in its default pack (beside the executable),
    // before it starts.
    virtual void prepareFiles() {}

    SpriteRectLayer& layer() { return engine_->layer; }
    // Puts the record's handle into the root table under the name.
    template <typename Record>
    void share(const char16_t* name, const Record* record) {
        shareHandle(name, spriteRectHandle(record));
    }
    void shareHandle(const char16_t* name, void* handle);
    // Runs the compiled fixture and its init; init's result.
    ScriptObject run(const char* name);
    // Resumes the script's "work": what it suspended with, null once it returned.
    ScriptObject resume() { return task_->update(); }
    // The rect a slot of a script result names.
    SpriteRect* rect(const ScriptObject& result, const char16_t* name) const;
    // A loaded image over a new texture filled by colourOf(x, y) (ARGB).
    template <typename Colour>
    SpriteRectImage* loadedImage(uint32_t width, uint32_t height, Colour colourOf);
    // The id a handle holds, as report texts print it.
    static std::u16string idText(void* handle);
    // Draws one frame through the engine's loop; the presented frame is presented_.
    void drawFrame();

    std::unique_ptr<RectEngine> engine_;
    std::optional<ScriptTask> task_;

private:
    // A texture whose pixels the caller writes through the locked rows (pitch in pixels).
    SpriteRectImage* lockedImage(uint32_t width, uint32_t height,
                                 const std::function<void(uint32_t*, int32_t)>& fill);
};

template <typename Colour>
SpriteRectImage* RectEngineTest::loadedImage(uint32_t width, uint32_t height, Colour colourOf) {
    return lockedImage(width, height, [&](uint32_t* pixels, int32_t pitch) {
        for (uint32_t y = 0; y < height; ++y)
            for (uint32_t x = 0; x < width; ++x) pixels[y * pitch + x] = colourOf(x, y);
    });
}

}  // namespace tessera::test
