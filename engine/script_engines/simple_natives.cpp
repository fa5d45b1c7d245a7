// The bootstrap context: the shared natives, the older sprite layer's natives with the four
// that create its images, fonts and renderers, and the byte-buffer natives.
#include <algorithm>

#include "engine/script/bin_buffer.h"
#include "engine/script/script_native.h"
#include "engine/script_engines/shared_natives.h"
#include "engine/script_engines/simple_engine.h"
#include "engine/spriterect/sprite_rect_layer.h"

namespace simple {
namespace {

// The most draw levels a renderer gets: each is a slot the renderer allocates up front.
constexpr int32_t kMaxRendererLevels = 4096;

// Sizes and counts from scripts: negative ones are 0.
uint32_t nonNegative(int32_t value) { return static_cast<uint32_t>(std::max(value, 0)); }

// The texture of that name (resolved against the script root) as an image; a missing texture
// gives an image of logical size 1 x 1.
void* spriteCreateImage(HSQUIRRELVM vm, const char16_t* path) {
    SpriteRectLayer* layer = spriteRectLayerOf(vm);
    const ScriptedEngine* engine = callingScriptedEngine(vm);
    if (!layer || !engine) return nullptr;
    return spriteRectHandle(layer->createImage(engine->scriptRoot(), path ? path : u""));
}

void* spriteCreateDynamicImage(HSQUIRRELVM vm, int32_t width, int32_t height) {
    SpriteRectLayer* layer = spriteRectLayerOf(vm);
    if (!layer) return nullptr;
    return spriteRectHandle(layer->createDynamicImage(nonNegative(width), nonNegative(height)));
}

void* spriteCreateFont(HSQUIRRELVM vm, int32_t pixelSize) {
    SpriteRectLayer* layer = spriteRectLayerOf(vm);
    return layer ? spriteRectHandle(layer->createFont(pixelSize)) : nullptr;
}

// A level count above kMaxRendererLevels is cut to it, with a message.
void* spriteCreateRenderer(HSQUIRRELVM vm, int32_t width, int32_t height, int32_t levels) {
    SpriteRectLayer* layer = spriteRectLayerOf(vm);
    if (!layer) return nullptr;
    if (levels > kMaxRendererLevels) {
        scriptReportError(PEL_REPORT_MESSAGE, u"renderer levels out of range(%d)", levels);
        levels = kMaxRendererLevels;
    }
    return spriteRectHandle(
        layer->createRenderer(nonNegative(width), nonNegative(height), nonNegative(levels)));
}

}  // namespace

void registerNatives(const ScriptObject& table) {
    registerSharedNatives(table);
    table.addFunction(u"spriteCreateImage", &spriteCreateImage)
        .addFunction(u"spriteCreateDynamicImage", &spriteCreateDynamicImage)
        .addFunction(u"spriteCreateFont", &spriteCreateFont)
        .addFunction(u"spriteCreateRenderer", &spriteCreateRenderer);
    registerSpriteRectNatives(table);
    registerBinaryNatives(table);
}

}  // namespace simple
