#pragma once
// The older 2D layer of an engine: images, renderers of flat quads sorted into draw levels, and
// their batched drawing under an orthographic projection with the 3D renderer's vertex format.
#include <cstdint>
#include <memory>
#include <string_view>

#include "engine/script/handle_table.h"
#include "engine/spriterect/glyph_font.h"
#include "engine/spriterect/rect_batch.h"
#include "engine/spriterect/sprite_rect.h"
#include "engine/spriterect/text_pixels.h"
#include "render3d/LMat.h"

class L3DDevice;
class L3DRenderer;
class System;

// What the layer uses of the system: the device, the renderer of the run, the configured
// display size (for the half-pixel offsets) and the integer resource scale.
struct SpriteRectTarget {
    L3DDevice* device = nullptr;
    L3DRenderer* renderer = nullptr;
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    int32_t resourceScale = 1;
};

// The render states of a blend kind (0 to 3).
struct SpriteRectBlendStates {
    uint32_t source;
    uint32_t destination;
    bool alphaTest;  // greater than reference 0
};
// The states of the kind, or null for a kind outside 0 to 3 (which changes nothing).
const SpriteRectBlendStates* spriteRectBlendStates(int32_t kind);

// The projection of a renderer's coordinate space: x 0..width left to right, y 0..height top to
// bottom, depth -1..1 to 0..1, row-major for row vectors.
LMat spriteRectProjection(uint32_t width, uint32_t height);

struct SpriteRectFont {
    SpriteRectLayer* layer = nullptr;
    SpriteRectFont* prev = nullptr;
    SpriteRectFont* next = nullptr;
    std::unique_ptr<SpriteGlyphFont> glyphs;
    uint32_t id = 0;  // the scripts' handle, 0 for none
};

// The ids through which scripts hold the layer's records, one table per kind so that an id of
// one kind never finds a record of another. The layer issues an id with every record it makes
// and retires it when the record goes.
struct SpriteRectIds {
    HandleTable<SpriteRectImage> images;
    HandleTable<SpriteRectFont> fonts;
    HandleTable<SpriteRectRenderer> renderers;
    HandleTable<SpriteRect> rects;
};

class SpriteRectLayer {
public:
    SpriteRectLayer();
    ~SpriteRectLayer();
    SpriteRectLayer(const SpriteRectLayer&) = delete;
    SpriteRectLayer& operator=(const SpriteRectLayer&) = delete;

    void init(System* system);
    void init(const SpriteRectTarget& target);
    void release();
    bool initialised() const { return batch_ != nullptr; }

    // A loaded image of the texture the name, resolved against the directory, names in the
    // default pack (through the System's renderer); without one the image measures 1 by 1.
    SpriteRectImage* createImage(const char16_t* directory, const char16_t* name);
    // A loaded image over a texture; its logical size is the texture's times the resource scale.
    SpriteRectImage* createLoadedImage(mirel::rcptr<L3DTexture> texture);
    // A writable image over a new unnamed texture of the size.
    SpriteRectImage* createDynamicImage(uint32_t width, uint32_t height);
    SpriteRectRenderer* createRenderer(uint32_t width, uint32_t height, uint32_t levels);
    // A glyph font of the pixel size writing the pixels of the device's textures with alpha
    // (16-bit when they are A4R4G4B4); null after a font failure.
    SpriteRectFont* createFont(int32_t pixelSize);
    void releaseImage(SpriteRectImage* image);
    void releaseFont(SpriteRectFont* font);
    void releaseRenderer(SpriteRectRenderer* renderer);

    // A new rect of the renderer showing the image, in level 0.
    SpriteRect* createRect(SpriteRectRenderer* renderer, SpriteRectImage* image);
    void releaseRect(SpriteRect* rect);

    // Clears the image to transparent white and draws the text into it from the top-left.
    SpriteRectTextSize drawText(SpriteRectImage* image, SpriteRectFont* font,
                                std::u16string_view text);

    // Draws every renderer in creation order; called inside the engine's 2D pass.
    void draw();

    SpriteRectImage* firstImage() const { return images_; }
    SpriteRectRenderer* firstRenderer() const { return renderers_; }
    SpriteRectFont* firstFont() const { return fonts_; }
    const SpriteRectTarget& target() const { return target_; }
    const SpriteRectIds& ids() const { return ids_; }

private:
    void drawRenderer(SpriteRectRenderer& renderer);

    System* system_ = nullptr;  // what loads textures by name; none for a bare target
    SpriteRectTarget target_;
    SpriteRectImage* images_ = nullptr;
    SpriteRectFont* fonts_ = nullptr;
    SpriteRectRenderer* renderers_ = nullptr;
    std::unique_ptr<SpriteRectBatch> batch_;
    SpriteRectIds ids_;
};

// Appends to / removes from an intrusive list of records with prev and next.
template <typename T>
void spriteRectListAppend(T*& head, T* item) {
    T** slot = &head;
    T* last = nullptr;
    while (*slot) {
        last = *slot;
        slot = &(*slot)->next;
    }
    item->prev = last;
    item->next = nullptr;
    *slot = item;
}
template <typename T>
void spriteRectListRemove(T*& head, T* item) {
    (item->prev ? item->prev->next : head) = item->next;
    if (item->next) item->next->prev = item->prev;
    item->prev = item->next = nullptr;
}
