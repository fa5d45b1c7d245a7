// Plays arbitrary animation records: the input's 32-bit words are the record (word 0 the rect
// count, then the tracks), attached to a drawn sprite under a parent and run for 64 updates and
// draws. Records whose tracks leave their words are refused at creation; codes outside the
// tables end the run through the fatal report, as the engine's exit hook ends the game. Nothing
// may read outside the record or hang.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "framework/core/core.h"
#include "framework/core/report.h"
#include "framework/sprite/sprite.h"
#include "tests/framework/sprite/support/recording_backend.h"

namespace {

struct Fatal {};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool started = [] {
        pelInitialize();
        pelSpriteInitialize();
        pelReportSetSink([](int32_t, const char16_t*) {});
        pelReportSetExitHook([](int32_t level) {
            if (level == PEL_REPORT_ERROR) throw Fatal{};
        });
        return true;
    }();
    (void)started;

    std::vector<uint32_t> words(size / 4);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);
    const uint32_t flags = size % 4 == 1 ? uint32_t{PEL_SPRITE_ANIMATION_HOLD} : 0u;

    tessera::test::RecordingBackend backend;
    PEL_SPRITE_CONTEXT* context = pelSpriteCreateContext(&backend.table());
    PEL_SPRITE_RENDERER* renderer = pelSpriteRendererCreate(context, 320, 240, 4);
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(u"fuzz.png", context);
    PEL_SPRITE_RECT* rects[2] = {
        pelSpriteRectCreate(image, {renderer, 0, 0, 16, 16, 8, 8}),
        pelSpriteRectCreate(image, {renderer, 16, 0, 32, 8, 0, 0}),
    };
    std::vector<PEL_SPRITE_RECT*> table;
    if (!words.empty() && words[0] < words.size()) {
        for (uint32_t i = 0; i < words[0]; ++i) table.push_back(rects[i % 2]);
    }
    PEL_SPRITE_ANIMATION* animation = pelSpriteAnimationCreate(
        renderer, flags, words.data(), uint32_t(words.size()), table.data());
    if (animation) {
        PEL_SPRITE* parent = pelSpriteCreate(renderer);
        PEL_SPRITE* sprite = pelSpriteCreate(renderer);
        pelSpriteSetRect(sprite, rects[0]);
        pelSpriteSetParent(sprite, parent);
        pelSpriteSetAnimation(sprite, animation);
        pelSpriteSetAnimation(parent, animation);
        --animation->scriptCount;
        if (--sprite->scriptCount + sprite->internalCount == 0) pelSpriteRelease(sprite);
        try {
            for (int update = 0; update < 64; ++update) {
                pelSpriteRendererUpdate(renderer);
                pelSpriteRendererDraw(renderer);
            }
        } catch (const Fatal&) {
        }
    }
    pelSpriteDestroyContext(context);
    return 0;
}
