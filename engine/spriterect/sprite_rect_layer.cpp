#include "engine/spriterect/sprite_rect_layer.h"

#include <algorithm>
#include <cstring>

#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/d3dx9_math.h"
#include "platform/d3d9/texture.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/LMat.h"

using namespace platform::d3d9;

namespace {

constexpr SpriteRectBlendStates kBlendStates[] = {
    {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, true},
    {D3DBLEND_SRCALPHA, D3DBLEND_ONE, true},
    {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, false},
    {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, false},
};

void applyBlend(L3DDevice& device, int32_t kind) {
    const SpriteRectBlendStates* states = spriteRectBlendStates(kind);
    if (!states) return;
    device.SetStateRender(D3DRS_SRCBLEND, states->source);
    device.SetStateRender(D3DRS_DESTBLEND, states->destination);
    device.SetStateRender(D3DRS_ALPHATESTENABLE, states->alphaTest ? 1 : 0);
    if (states->alphaTest) {
        device.SetStateRender(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device.SetStateRender(D3DRS_ALPHAREF, 0);
    }
}

class DeviceSink : public SpriteRectDrawSink {
public:
    explicit DeviceSink(L3DDevice& device) : device_(device) {}
    void setBlend(int32_t kind) override { applyBlend(device_, kind); }
    void drawBatch(L3DTexture* texture, const L3D_RENDERER_VERTEX* vertices, uint32_t vertexCount,
                   const uint16_t* indices, uint32_t indexCount) override {
        device_.SetStateTexture(0, texture ? texture->texture : nullptr);
        device_.ApplyStates();
        device_.DrawIndexedUP(sizeof(L3D_RENDERER_VERTEX), D3DPT_TRIANGLELIST, vertexCount,
                              indexCount / 3, indices, vertices);
    }

private:
    L3DDevice& device_;
};

}  // namespace

const SpriteRectBlendStates* spriteRectBlendStates(int32_t kind) {
    if (kind < 0 || kind > 3) return nullptr;
    return &kBlendStates[kind];
}

LMat spriteRectProjection(uint32_t width, uint32_t height) {
    D3DXMATRIX ortho;
    D3DXMatrixOrthoOffCenterRH(&ortho, 0.0f, static_cast<float>(width), static_cast<float>(height),
                               0.0f, -1.0f, 1.0f);
    LMat out;
    static_assert(sizeof(ortho) == sizeof(out.m));
    std::memcpy(out.m, &ortho, sizeof(out.m));
    return out;
}

SpriteRectLayer::SpriteRectLayer() = default;

SpriteRectLayer::~SpriteRectLayer() { release(); }

void SpriteRectLayer::init(System* system) {
    SpriteRectTarget target;
    target.device = &system->device();
    target.renderer = system->renderer().Get();
    target.screenWidth = system->displayWidth();
    target.screenHeight = system->displayHeight();
    target.resourceScale = system->resourceScale();
    init(target);
    system_ = system;
}

void SpriteRectLayer::init(const SpriteRectTarget& target) {
    system_ = nullptr;
    target_ = target;
    batch_ = std::make_unique<SpriteRectBatch>();
}

void SpriteRectLayer::release() {
    if (!batch_) return;
    batch_.reset();
    while (renderers_) releaseRenderer(renderers_);
    while (fonts_) releaseFont(fonts_);
    while (images_) releaseImage(images_);
}

SpriteRectImage* SpriteRectLayer::createImage(const char16_t* directory, const char16_t* name) {
    mirel::rcptr<L3DTexture> texture;
    if (system_) Da3dObject::loadTexture(directory, name, texture, *system_, 0);
    return createLoadedImage(std::move(texture));
}

SpriteRectImage* SpriteRectLayer::createLoadedImage(mirel::rcptr<L3DTexture> texture) {
    auto* image = new SpriteRectImage;
    image->layer = this;
    if (texture) {
        const auto scale = static_cast<uint32_t>(target_.resourceScale);
        image->width = texture->width * scale;
        image->height = texture->height * scale;
    }
    image->texture = std::move(texture);
    image->id = ids_.images.insert(image);
    spriteRectListAppend(images_, image);
    return image;
}

SpriteRectImage* SpriteRectLayer::createDynamicImage(uint32_t width, uint32_t height) {
    auto* image = new SpriteRectImage;
    image->layer = this;
    image->dynamic = 1;
    image->texture = target_.device->CreateTexture(nullptr, width, height);
    if (image->texture) {
        image->width = image->texture->width;
        image->height = image->texture->height;
    }
    image->id = ids_.images.insert(image);
    spriteRectListAppend(images_, image);
    return image;
}

SpriteRectRenderer* SpriteRectLayer::createRenderer(uint32_t width, uint32_t height,
                                                    uint32_t levels) {
    auto* renderer = new SpriteRectRenderer;
    renderer->layer = this;
    spriteRectRendererInit(*renderer, width, height, levels, target_.screenWidth,
                           target_.screenHeight);
    renderer->id = ids_.renderers.insert(renderer);
    spriteRectListAppend(renderers_, renderer);
    return renderer;
}

SpriteRectFont* SpriteRectLayer::createFont(int32_t pixelSize) {
    const bool is32 = !(target_.device && target_.device->alphaTextureFormat() == D3DFMT_A4R4G4B4);
    std::unique_ptr<SpriteGlyphFont> glyphs = fontCreate(pixelSize, is32);
    if (!glyphs) return nullptr;
    auto* font = new SpriteRectFont;
    font->layer = this;
    font->glyphs = std::move(glyphs);
    font->id = ids_.fonts.insert(font);
    spriteRectListAppend(fonts_, font);
    return font;
}

void SpriteRectLayer::releaseFont(SpriteRectFont* font) {
    ids_.fonts.remove(font->id);
    spriteRectListRemove(fonts_, font);
    delete font;
}

SpriteRect* SpriteRectLayer::createRect(SpriteRectRenderer* renderer, SpriteRectImage* image) {
    SpriteRect* rect = spriteRectCreate(*renderer, image);
    if (rect) rect->id = ids_.rects.insert(rect);
    return rect;
}

void SpriteRectLayer::releaseRect(SpriteRect* rect) {
    ids_.rects.remove(rect->id);
    spriteRectRelease(rect);
}

SpriteRectTextSize SpriteRectLayer::drawText(SpriteRectImage* image, SpriteRectFont* font,
                                             std::u16string_view text) {
    SpriteGlyphFont& glyphs = *font->glyphs;
    L3DTexture* texture = image->texture.Get();
    if (!texture) return {0, 0};
    const auto width = static_cast<int32_t>(texture->width);
    const auto height = static_cast<int32_t>(texture->height);
    // A texture that cannot be locked is the 3D library's fatal report.
    int32_t pitch = 0;
    uint8_t* rows = texture->Lock(0, 0, texture->width, texture->height, pitch);
    if (!rows) return {0, 0};
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = rows + static_cast<ptrdiff_t>(y) * pitch;
        if (glyphs.is32) {
            std::fill_n(reinterpret_cast<uint32_t*>(row), width, 0x00FFFFFFu);
        } else {
            std::fill_n(reinterpret_cast<uint16_t*>(row), width, uint16_t{0x0FFF});
        }
    }
    const SpriteRectTextSize size =
        spriteRectDrawTextPixels(glyphs, rows, width, height, pitch, text);
    texture->texture->UnlockRect(0);
    return size;
}

void SpriteRectLayer::releaseImage(SpriteRectImage* image) {
    ids_.images.remove(image->id);
    spriteRectListRemove(images_, image);
    // Rects still showing the image keep it; the last of them frees it.
    if (image->rectCount) {
        image->released = true;
    } else {
        delete image;
    }
}

void SpriteRectLayer::releaseRenderer(SpriteRectRenderer* renderer) {
    ids_.renderers.remove(renderer->id);
    spriteRectForEach(*renderer, [this](SpriteRect* rect) { ids_.rects.remove(rect->id); });
    spriteRectListRemove(renderers_, renderer);
    spriteRectRendererRelease(*renderer);
    delete renderer;
}

void SpriteRectLayer::draw() {
    L3DDevice& device = *target_.device;
    device.ResetStates();
    device.SetStateRender(D3DRS_ZENABLE, 0);
    device.SetStateTexStage(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device.SetStateRender(D3DRS_ALPHABLENDENABLE, 1);
    applyBlend(device, 0);
    batch_->blend = 0;
    for (SpriteRectRenderer* r = renderers_; r; r = r->next) drawRenderer(*r);
}

void SpriteRectLayer::drawRenderer(SpriteRectRenderer& renderer) {
    const LMat projection = spriteRectProjection(renderer.width, renderer.height);
    const LMat identity = LMat::Identity();
    if (target_.renderer) target_.renderer->BeginObject(identity, identity, projection);
    DeviceSink sink(*target_.device);
    spriteRectDrawRects(renderer, *batch_, sink);
}
