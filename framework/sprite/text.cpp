#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "framework/core/wide_string.h"
#include "framework/sprite/internal.h"
#include "framework/sprite/sprite.h"

namespace tessera::sprite {

void unrefTextFormat(PEL_SPRITE_TEXT_FORMAT* format) {
    if (--format->internalCount + format->scriptCount == 0) pelSpriteTextFormatRelease(format);
}

namespace {

constexpr uint32_t kDrawAll = 0xFFFFFFFFu;
constexpr uint32_t kFontFlags = 4;

PEL_SPRITE_FONT* findOrCreateFont(PEL_SPRITE_CONTEXT* context, uint32_t pixelSize) {
    PEL_LIST* const fonts = &context->fonts;
    for (PEL_LIST_LINK* link = fonts->head.next; link != pelListEnd(fonts); link = link->next) {
        auto* font = static_cast<PEL_SPRITE_FONT*>(pelListElement(fonts, link));
        if (font->pixelSize == pixelSize) return font;
    }
    const PEL_SPRITE_BACKEND& backend = context->backend;
    PelSpriteBackendFont* handle = backend.fontCreate(backend.user, pixelSize, kFontFlags);
    if (!handle) return nullptr;
    auto* font = allocate<PEL_SPRITE_FONT>(pools().fonts);
    if (!font) return nullptr;
    *font = {};
    font->pixelSize = pixelSize;
    font->handle = handle;
    pelListAppend(fonts, font);
    return font;
}

void buildGamma(uint8_t table[256], float gamma) {
    const float g = gamma > 0.0f ? gamma : 1.0f;
    for (int i = 0; i < 256; ++i) {
        const float w = std::pow(static_cast<float>(i) / 255.0f, 1.0f / g) * 255.0f + 0.5f;
        table[i] = w < 1.0f ? 0 : w >= 255.0f ? 255 : static_cast<uint8_t>(w);
    }
}

uint32_t clampToU32(int64_t value) {
    return value < 0 ? 0 : value > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

// Pen moves saturate: margins come from scripts and may be anything.
int32_t movePen(int32_t pen, int64_t step) {
    const int64_t moved = pen + step;
    return static_cast<int32_t>(std::clamp<int64_t>(moved, INT32_MIN, INT32_MAX));
}

// Draws one character at the pen; characters outside the rect are skipped.
void drawCharacter(PEL_SPRITE_RECT* rect, PEL_SPRITE_TEXT* text, char16_t unit) {
    const PEL_SPRITE_TEXT_FORMAT& format = *text->format;
    const PEL_SPRITE_BACKEND& backend = rect->image->context->backend;
    const int64_t right = static_cast<int64_t>(rect->x) + rect->width;
    const int64_t bottom = static_cast<int64_t>(rect->y) + rect->height;
    const int64_t x0 =
        std::max<int64_t>(0, std::min<int64_t>(rect->x + int64_t{text->penX}, right));
    const int64_t y0 =
        std::max<int64_t>(0, std::min<int64_t>(rect->y + int64_t{text->penY}, bottom));
    const uint32_t boxWidth = clampToU32(right - x0);
    const uint32_t boxHeight = clampToU32(bottom - y0);
    if (boxWidth == 0 || boxHeight == 0) return;
    PelSpriteBackendFont* const font = format.font->handle;
    backend.glyphRender(font, unit);
    backend.glyphDraw(rect->image->handle, static_cast<uint32_t>(x0), static_cast<uint32_t>(y0),
                      boxWidth, boxHeight, format.color, font, format.gamma);
    uint32_t advance = 0, lineHeight = 0;
    backend.fontMetrics(&advance, &lineHeight, font);
    if (advance == 0) return;
    rect->drawnWidth = std::max(rect->drawnWidth,
                                clampToU32(int64_t{text->penX} - format.drawX + int64_t{advance}));
    rect->drawnHeight = clampToU32(int64_t{text->penY} - format.drawY + int64_t{lineHeight});
    text->penX = movePen(text->penX, int64_t{advance} + format.marginX);
}

void lineFeed(PEL_SPRITE_RECT* rect, PEL_SPRITE_TEXT* text) {
    const PEL_SPRITE_TEXT_FORMAT& format = *text->format;
    uint32_t advance = 0, lineHeight = 0;
    rect->image->context->backend.fontMetrics(&advance, &lineHeight, format.font->handle);
    rect->drawnHeight = clampToU32(int64_t{text->penY} - format.drawY + int64_t{lineHeight});
    text->penX = format.drawX;
    text->penY = movePen(text->penY, int64_t{lineHeight} + format.marginY);
}

}  // namespace
}  // namespace tessera::sprite

using namespace tessera::sprite;

PEL_SPRITE_TEXT_FORMAT* pelSpriteTextFormatCreate(PEL_SPRITE_RENDERER* renderer,
                                                  const PEL_SPRITE_TEXT_FORMAT_DESC& desc) {
    PEL_SPRITE_FONT* font = findOrCreateFont(renderer->context, desc.fontSize);
    if (!font) return nullptr;
    auto* format = allocate<PEL_SPRITE_TEXT_FORMAT>(pools().textFormats);
    if (!format) return nullptr;
    *format = {};
    format->scriptCount = 1;
    format->flag = desc.flag;
    format->font = font;
    buildGamma(format->gamma, desc.gamma);
    format->interval = roundTime(desc.speed * 256.0f);
    format->color[0] = desc.red;
    format->color[1] = desc.green;
    format->color[2] = desc.blue;
    format->color[3] = 0.0f;
    format->drawX = desc.drawX;
    format->drawY = desc.drawY;
    format->marginX = desc.marginX;
    format->marginY = desc.marginY;
    format->renderer = renderer;
    pelListAppend(&renderer->textFormats, format);
    return format;
}

void pelSpriteTextFormatRelease(PEL_SPRITE_TEXT_FORMAT* format) {
    unlinkFrom(&format->renderer->textFormats, format);
    pelMempoolFreeBlock(format, &pools().textFormats);
}

PEL_STATUS pelSpriteRectDrawText(PEL_SPRITE_RECT* rect, PEL_SPRITE_TEXT_FORMAT* format,
                                 const char16_t* text) {
    // The new reference is taken before the old text goes: that text may hold the format's
    // last reference.
    if (format) ++format->internalCount;
    pelSpriteRectCancelText(rect);
    if (!format) return PEL_OK;
    auto* pending = allocate<PEL_SPRITE_TEXT>(pools().texts);
    if (!pending) {
        unrefTextFormat(format);
        return PEL_E_CREATE;
    }
    *pending = {};
    pending->format = format;
    pelListInit(&pending->pages, offsetof(PEL_SPRITE_TEXT_PAGE, link), nullptr, nullptr);
    const char16_t* const source = text ? text : u"";
    const size_t units = pelStrLength(source) + 1;
    for (size_t start = 0; start < units; start += kPelSpriteTextPageUnits) {
        auto* page = allocate<PEL_SPRITE_TEXT_PAGE>(pools().textPages);
        if (!page) break;
        *page = {};
        const size_t count = std::min<size_t>(kPelSpriteTextPageUnits, units - start);
        std::copy(source + start, source + start + count, page->units);
        pelListAppend(&pending->pages, page);
    }
    pending->page = static_cast<PEL_SPRITE_TEXT_PAGE*>(pelListFirst(&pending->pages));
    pending->clear = format->flag & (PEL_SPRITE_TEXT_CLEAR_THEN_WAIT | PEL_SPRITE_TEXT_CLEAR);
    pending->penX = format->drawX;
    pending->penY = format->drawY;
    rect->drawnWidth = 0;
    rect->drawnHeight = 0;
    rect->pendingText = pending;
    pelListAppend(&rect->renderer->pendingTexts, rect);
    return PEL_OK;
}

void pelSpriteRectCancelText(PEL_SPRITE_RECT* rect) {
    PEL_SPRITE_TEXT* const pending = rect->pendingText;
    if (!pending) return;
    rect->pendingText = nullptr;
    unrefTextFormat(pending->format);
    while (auto* page = static_cast<PEL_SPRITE_TEXT_PAGE*>(pelListFirst(&pending->pages))) {
        pelListRemoveFirst(&pending->pages);
        pelMempoolFreeBlock(page, &pools().textPages);
    }
    pelMempoolFreeBlock(pending, &pools().texts);
    unlinkFrom(&rect->renderer->pendingTexts, rect);
}

void pelSpriteRectFlushText(PEL_SPRITE_RECT* rect, uint32_t budget) {
    PEL_SPRITE_TEXT* const text = rect->pendingText;
    if (!text) return;
    const PEL_SPRITE_TEXT_FORMAT& format = *text->format;
    const PEL_SPRITE_BACKEND& backend = rect->image->context->backend;
    PelSpriteBackendImage* const image = rect->image->handle;
    backend.textBegin(image);
    if (text->clear) {
        const bool thenWait = (text->clear & PEL_SPRITE_TEXT_CLEAR_THEN_WAIT) != 0;
        text->clear = 0;
        backend.imageFill(image, rect->x, rect->y, rect->width, rect->height, format.color);
        if (thenWait) {
            backend.textEnd(image);
            return;
        }
    }
    bool done = false;
    // The text can end only on its last page, which holds the terminator.
    while (text->page) {
        const char16_t unit = text->page->units[text->index];
        if (unit == 0) {
            done = true;
            break;
        }
        if (budget != kDrawAll) {
            if (text->wait > budget) {
                text->wait -= budget;
                break;
            }
            budget -= text->wait;
        }
        text->wait = format.interval;
        if (unit == u'\n') {
            lineFeed(rect, text);
        } else {
            drawCharacter(rect, text, unit);
        }
        if (++text->index == kPelSpriteTextPageUnits) {
            text->index = 0;
            PEL_LIST_LINK* const next = text->page->link.next;
            text->page =
                next == pelListEnd(&text->pages)
                    ? nullptr
                    : static_cast<PEL_SPRITE_TEXT_PAGE*>(pelListElement(&text->pages, next));
        }
    }
    backend.textEnd(image);
    if (done || !text->page) pelSpriteRectCancelText(rect);
}

void pelSpriteRendererFlushTexts(PEL_SPRITE_RENDERER* renderer) {
    while (auto* rect = static_cast<PEL_SPRITE_RECT*>(pelListFirst(&renderer->pendingTexts))) {
        pelSpriteRectFlushText(rect, kDrawAll);
    }
}
