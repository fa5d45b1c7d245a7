// Images, renderers, text formats, rects and their queued text.
#include "engine/script/script_native.h"
#include "engine/script/script_vm.h"
#include "engine/sprite_natives/native_support.h"
#include "framework/file/path.h"
#include "framework/sprite/sprite.h"

namespace sprite_natives {
namespace {

constexpr size_t kPathUnits = 128;
constexpr float kDefaultGamma = 1.5f;

PEL_SPRITE_IMAGE* imageArg(HSQUIRRELVM vm, void* id) {
    return lookup(vm, &SpriteHandles::images, id, u"sprite image");
}
PEL_SPRITE_RENDERER* rendererArg(HSQUIRRELVM vm, void* id) {
    return lookup(vm, &SpriteHandles::renderers, id, u"sprite renderer");
}
PEL_SPRITE_TEXT_FORMAT* formatArg(HSQUIRRELVM vm, void* id) {
    return lookup(vm, &SpriteHandles::formats, id, u"sprite text format");
}
PEL_SPRITE_RECT* rectArg(HSQUIRRELVM vm, void* id) {
    return lookup(vm, &SpriteHandles::rects, id, u"sprite rect");
}

// A table {width, height} of integers under the engine's keys.
ScriptObject sizeTable(HSQUIRRELVM vm, uint32_t width, uint32_t height) {
    ScriptObject table = ScriptObject::newTable(vm);
    if (Engine* engine = callingEngine(vm)) {
        table.setIntByKey(engine->key(EngineKey::Width), static_cast<int32_t>(width));
        table.setIntByKey(engine->key(EngineKey::Height), static_cast<int32_t>(height));
    }
    return table;
}

void imageSize(const PEL_SPRITE_IMAGE* image, uint32_t* width, uint32_t* height) {
    const PEL_SPRITE_BACKEND& backend = image->context->backend;
    *width = *height = 0;
    backend.imageSize(width, height, image->handle);
}

void* spriteImageLoad(HSQUIRRELVM vm, const char16_t* path) {
    Engine* engine = callingEngine(vm);
    ScriptTaskContext* context = scriptContext(vm);
    if (!engine || !path) return nullptr;
    char16_t resolved[kPathUnits] = {};
    pelPathResolve(resolved, context->scriptDirectory, kPathUnits, path);
    PEL_SPRITE_IMAGE* image = pelSpriteImageLoad(resolved, engine->spriteContext());
    if (!image) {
        reportCreateFailure("spriteImageLoad",
                            u"Error: [%s] スプライトイメージの読み込みに失敗しました(%ls)",
                            resolved);
        return nullptr;
    }
    return issue(vm, &SpriteHandles::images, image);
}

void* spriteImageCreateText(HSQUIRRELVM vm, int32_t width, int32_t height) {
    Engine* engine = callingEngine(vm);
    PEL_SPRITE_IMAGE* image =
        engine ? pelSpriteImageCreateText(static_cast<uint32_t>(width),
                                          static_cast<uint32_t>(height), engine->spriteContext())
               : nullptr;
    if (!image) {
        reportCreateFailure("spriteImageCreateText",
                            u"Error: [%s] テキストイメージの作成に失敗しました。");
        return nullptr;
    }
    return issue(vm, &SpriteHandles::images, image);
}

void spriteImageRelease(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_IMAGE* image = imageArg(vm, id);
    if (!image) return;
    if (releaseScriptCount(vm, &SpriteHandles::images, image)) pelSpriteImageRelease(image);
}

ScriptObject spriteImageGetSize(HSQUIRRELVM vm, void* id) {
    uint32_t width = 0, height = 0;
    if (PEL_SPRITE_IMAGE* image = imageArg(vm, id)) imageSize(image, &width, &height);
    return sizeTable(vm, width, height);
}

void* spriteRendererCreate(HSQUIRRELVM vm, int32_t width, int32_t height, int32_t levels) {
    Engine* engine = callingEngine(vm);
    PEL_SPRITE_RENDERER* renderer =
        engine
            ? pelSpriteRendererCreate(engine->spriteContext(), static_cast<uint32_t>(width),
                                      static_cast<uint32_t>(height), static_cast<uint32_t>(levels))
            : nullptr;
    if (!renderer) {
        reportCreateFailure("spriteRendererCreate",
                            u"Error: [%s] レンダラーの作成に失敗しました。");
        return nullptr;
    }
    return issue(vm, &SpriteHandles::renderers, renderer);
}

void spriteRendererDestroy(HSQUIRRELVM vm, void* id) {
    if (PEL_SPRITE_RENDERER* renderer = rendererArg(vm, id)) {
        // The renderer takes its rects, formats, sprites and animations with it.
        if (Engine* engine = callingEngine(vm)) {
            SpriteHandles& handles = spriteHandlesOf(engine);
            auto owned = [renderer](auto* record) { return record->renderer == renderer; };
            handles.rects.removeIf(owned);
            handles.formats.removeIf(owned);
            handles.sprites.removeIf(owned);
            handles.animations.removeIf(owned);
            handles.renderers.remove(renderer);
        }
        pelSpriteRendererDestroy(renderer);
    }
}

void spriteRendererSetSpeed(HSQUIRRELVM vm, void* id, float speed) {
    if (PEL_SPRITE_RENDERER* renderer = rendererArg(vm, id)) {
        pelSpriteRendererSetSpeed(renderer, speed);
    }
}

bool spriteRendererIsAllTextExists(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RENDERER* renderer = rendererArg(vm, id);
    return renderer && renderer->pendingTexts.count != 0;
}

void spriteRendererCancelAllTexts(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RENDERER* renderer = rendererArg(vm, id);
    if (!renderer) return;
    while (auto* rect = static_cast<PEL_SPRITE_RECT*>(pelListFirst(&renderer->pendingTexts))) {
        pelSpriteRectCancelText(rect);
    }
}

void spriteRendererFlushAllTexts(HSQUIRRELVM vm, void* id) {
    if (PEL_SPRITE_RENDERER* renderer = rendererArg(vm, id)) pelSpriteRendererFlushTexts(renderer);
}

void* spriteRectTextFormatCreate(HSQUIRRELVM vm, void* rendererId, ScriptObject table) {
    Engine* engine = callingEngine(vm);
    PEL_SPRITE_RENDERER* renderer = rendererArg(vm, rendererId);
    PEL_SPRITE_TEXT_FORMAT* format = nullptr;
    if (engine && renderer) {
        const Options options{*engine, table};
        PEL_SPRITE_TEXT_FORMAT_DESC desc{};
        desc.flag = static_cast<uint32_t>(options.getInt(EngineKey::Flag, 0));
        desc.fontSize = static_cast<uint32_t>(options.getInt(u"fontSize", 0));
        desc.gamma = options.getFloat(u"fontGamma", kDefaultGamma);
        desc.speed = static_cast<float>(options.getInt(EngineKey::Speed, 0));
        desc.red = options.getFloat(EngineKey::ColorRed, 1.0f);
        desc.green = options.getFloat(EngineKey::ColorGreen, 1.0f);
        desc.blue = options.getFloat(EngineKey::ColorBlue, 1.0f);
        desc.drawX = options.getInt(u"drawX", 0);
        desc.drawY = options.getInt(u"drawY", 0);
        desc.marginX = options.getInt(u"marginX", 0);
        desc.marginY = options.getInt(u"marginY", 0);
        format = pelSpriteTextFormatCreate(renderer, desc);
    }
    if (!format) {
        reportCreateFailure("spriteRectTextFormatCreate",
                            u"Error: [%s] テキスト書式の作成に失敗しました");
        return nullptr;
    }
    return issue(vm, &SpriteHandles::formats, format);
}

void spriteRectTextFormatRelease(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_TEXT_FORMAT* format = formatArg(vm, id);
    if (!format) return;
    if (releaseScriptCount(vm, &SpriteHandles::formats, format)) pelSpriteTextFormatRelease(format);
}

void* spriteRectCreate(HSQUIRRELVM vm, void* rendererId, void* imageId, ScriptObject table) {
    Engine* engine = callingEngine(vm);
    PEL_SPRITE_RENDERER* renderer = rendererArg(vm, rendererId);
    PEL_SPRITE_IMAGE* image = imageArg(vm, imageId);
    PEL_SPRITE_RECT* rect = nullptr;
    if (engine && renderer && image) {
        uint32_t width = 0, height = 0;
        imageSize(image, &width, &height);
        PEL_SPRITE_RECT_DESC desc{renderer, 0, 0, width, height, 0, 0};
        if (!table.isNull()) {
            const Options options{*engine, table};
            desc.x = static_cast<uint32_t>(options.getInt(EngineKey::X, 0));
            desc.y = static_cast<uint32_t>(options.getInt(EngineKey::Y, 0));
            desc.width = static_cast<uint32_t>(
                options.getInt(EngineKey::Width, static_cast<int32_t>(width)));
            desc.height = static_cast<uint32_t>(
                options.getInt(EngineKey::Height, static_cast<int32_t>(height)));
            desc.originX = options.getInt(u"originX", 0);
            desc.originY = options.getInt(u"originY", 0);
        }
        rect = pelSpriteRectCreate(image, desc);
    }
    if (!rect) {
        reportCreateFailure("spriteRectCreate", u"Error: [%s] 矩形の作成に失敗しました");
        return nullptr;
    }
    return issue(vm, &SpriteHandles::rects, rect);
}

void spriteRectRelease(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RECT* rect = rectArg(vm, id);
    if (!rect) return;
    if (releaseScriptCount(vm, &SpriteHandles::rects, rect)) pelSpriteRectRelease(rect);
}

void spriteRectDrawText(HSQUIRRELVM vm, void* rectId, void* formatId, const char16_t* text) {
    PEL_SPRITE_RECT* rect = rectArg(vm, rectId);
    if (!rect) return;
    // A null format only cancels what is pending.
    PEL_SPRITE_TEXT_FORMAT* format = formatId ? formatArg(vm, formatId) : nullptr;
    if (!format) {
        pelSpriteRectCancelText(rect);
        return;
    }
    pelSpriteRectDrawText(rect, format, text ? text : u"");
}

bool spriteRectIsTextExist(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RECT* rect = rectArg(vm, id);
    return rect && rect->pendingText;
}

void spriteRectCancelText(HSQUIRRELVM vm, void* id) {
    if (PEL_SPRITE_RECT* rect = rectArg(vm, id)) pelSpriteRectCancelText(rect);
}

void spriteRectFlushText(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RECT* rect = rectArg(vm, id);
    while (rect && rect->pendingText) pelSpriteRectFlushText(rect, 0xFFFFFFFFu);
}

ScriptObject spriteRectGetDrawedTextSize(HSQUIRRELVM vm, void* id) {
    PEL_SPRITE_RECT* rect = rectArg(vm, id);
    return sizeTable(vm, rect ? rect->drawnWidth : 0, rect ? rect->drawnHeight : 0);
}

}  // namespace

void registerResourceNatives(const ScriptObject& root) {
    root.addFunction(u"spriteImageLoad", &spriteImageLoad)
        .addFunction(u"spriteImageCreateText", &spriteImageCreateText)
        .addFunction(u"spriteImageRelease", &spriteImageRelease)
        .addFunction(u"spriteImageGetSize", &spriteImageGetSize)
        .addFunction(u"spriteRendererCreate", &spriteRendererCreate)
        .addFunction(u"spriteRendererDestroy", &spriteRendererDestroy)
        .addFunction(u"spriteRendererSetSpeed", &spriteRendererSetSpeed)
        .addFunction(u"spriteRendererIsAllTextExists", &spriteRendererIsAllTextExists)
        .addFunction(u"spriteRendererCancelAllTexts", &spriteRendererCancelAllTexts)
        .addFunction(u"spriteRendererFlushAllTexts", &spriteRendererFlushAllTexts)
        .addFunction(u"spriteRectTextFormatCreate", &spriteRectTextFormatCreate)
        .addFunction(u"spriteRectTextFormatRelease", &spriteRectTextFormatRelease)
        .addFunction(u"spriteRectCreate", &spriteRectCreate)
        .addFunction(u"spriteRectRelease", &spriteRectRelease)
        .addFunction(u"spriteRectDrawText", &spriteRectDrawText)
        .addFunction(u"spriteRectIsTextExist", &spriteRectIsTextExist)
        .addFunction(u"spriteRectCancelText", &spriteRectCancelText)
        .addFunction(u"spriteRectFlushText", &spriteRectFlushText)
        .addFunction(u"spriteRectGetDrawedTextSize", &spriteRectGetDrawedTextSize);
}

}  // namespace sprite_natives
