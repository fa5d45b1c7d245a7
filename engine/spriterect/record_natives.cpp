// Images, fonts and renderers: their sizes, text drawn into images, and their release.
#include "engine/script/script_native.h"
#include "engine/spriterect/rect_native_support.h"

namespace sprite_rect_natives {
namespace {

void spriteDestroyImage(HSQUIRRELVM vm, void* handle) {
    if (SpriteRectImage* image = imageArg(vm, handle)) image->layer->releaseImage(image);
}

ScriptObject spriteGetImageSize(HSQUIRRELVM vm, void* handle) {
    const SpriteRectImage* image = imageArg(vm, handle);
    return image ? sizeTable(vm, static_cast<int32_t>(image->width),
                             static_cast<int32_t>(image->height))
                 : sizeTable(vm, 0, 0);
}

ScriptObject spriteDrawImageText(HSQUIRRELVM vm, void* imageHandle, void* fontHandle,
                                 const char16_t* text) {
    SpriteRectImage* image = imageArg(vm, imageHandle);
    SpriteRectFont* font = fontArg(vm, fontHandle);
    if (!image || !font) return sizeTable(vm, 0, 0);
    const SpriteRectTextSize size = image->layer->drawText(image, font, text ? text : u"");
    return sizeTable(vm, size.width, size.height);
}

void spriteDestroyFont(HSQUIRRELVM vm, void* handle) {
    if (SpriteRectFont* font = fontArg(vm, handle)) font->layer->releaseFont(font);
}

void spriteDestroyRenderer(HSQUIRRELVM vm, void* handle) {
    if (SpriteRectRenderer* renderer = rendererArg(vm, handle)) {
        renderer->layer->releaseRenderer(renderer);
    }
}

ScriptObject spriteGetRendererSize(HSQUIRRELVM vm, void* handle) {
    const SpriteRectRenderer* renderer = rendererArg(vm, handle);
    return renderer ? sizeTable(vm, static_cast<int32_t>(renderer->width),
                                static_cast<int32_t>(renderer->height))
                    : sizeTable(vm, 0, 0);
}

}  // namespace

void registerRecordNatives(const ScriptObject& root) {
    root.addFunction(u"spriteDestroyImage", &spriteDestroyImage)
        .addFunction(u"spriteGetImageSize", &spriteGetImageSize)
        .addFunction(u"spriteDrawImageText", &spriteDrawImageText)
        .addFunction(u"spriteDestroyFont", &spriteDestroyFont)
        .addFunction(u"spriteDestroyRenderer", &spriteDestroyRenderer)
        .addFunction(u"spriteGetRendererSize", &spriteGetRendererSize);
}

}  // namespace sprite_rect_natives
