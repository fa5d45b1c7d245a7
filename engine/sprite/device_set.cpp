#include "engine/sprite/device_set.h"

#include <cstring>

#include "engine/system/system.h"
#include "framework/core/report.h"
#include "render3d/L3DDevice.h"

namespace {

constexpr const char* kDestroyTag = "sprite2DestroyDeviceSet";

// Slots 3, 10 and 11: the device needs nothing at the end of a pass or around text.
void deviceEnd(void*) {}
void surfaceTextBegin(PelSpriteBackendImage*) {}
void surfaceTextEnd(PelSpriteBackendImage*) {}

void sprite2FillTable(PEL_SPRITE_BACKEND* table, Sprite2DeviceSet* set) {
    *table = {};
    table->user = set;
    table->screenSize = deviceGetScreenSize;
    table->drawBegin = deviceBegin;
    table->drawEnd = deviceEnd;
    table->drawBatches = deviceRender;
    table->imageLoad = surfaceLoadImage;
    table->imageCreate = surfaceCreateFont;
    table->imageRelease = surfaceRelease;
    table->imageIsWritable = surfaceIsWritable;
    table->imageSize = surfaceGetSize;
    table->textBegin = surfaceTextBegin;
    table->textEnd = surfaceTextEnd;
    table->imageFill = surfaceFill;
    table->wipeLoad = wipeLoad;
    table->wipeRelease = wipeRelease;
    table->wipeSet = wipeSet;
    table->imageSetSize = surfaceSetSize;
    table->fontCreate = fontCreate;
    table->fontRelease = fontRelease;
    table->glyphRender = fontRender;
    table->glyphDraw = fontDraw;
    table->fontMetrics = fontGetMetrics;
}

}  // namespace

void sprite2CreateDeviceSet(PEL_SPRITE_BACKEND* table, const Sprite2Target& target) {
    auto* set = new Sprite2DeviceSet{};
    set->target = target;
    pelListInit(&set->surfaces, offsetof(Sprite2Surface, link), nullptr, nullptr);
    pelListInit(&set->wipeSources, offsetof(Sprite2WipeSource, link), nullptr, nullptr);
    pelHashInit(&set->wipeCache, 128, nullptr);
    pelListInit(&set->fonts, offsetof(Sprite2Font, link), nullptr, nullptr);
    for (Sprite2Vertex& vertex : set->vertices) {
        vertex.z = 0.0f;
        vertex.rhw = 1.0f;
    }
    sprite2FillTable(table, set);
}

void sprite2CreateDeviceSet(PEL_SPRITE_BACKEND* table, System* system) {
    sprite2CreateDeviceSet(table, Sprite2Target{&system->device(), system->displayWidth(),
                                                system->displayHeight(), system->resourceScale()});
}

void sprite2DestroyDeviceSet(PEL_SPRITE_BACKEND* table) {
    Sprite2DeviceSet* set = sprite2Set(table->user);
    if (!set) return;
    while (auto* surface = static_cast<Sprite2Surface*>(pelListFirst(&set->surfaces))) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] surface force destroy(%s)", kDestroyTag,
                  surface->texture ? surface->texture->name : "");
        surfaceRelease(reinterpret_cast<PelSpriteBackendImage*>(surface));
    }
    while (auto* source = static_cast<Sprite2WipeSource*>(pelListFirst(&set->wipeSources))) {
        // The last wipe of a source takes the source with it.
        auto* wipe = static_cast<Sprite2Wipe*>(pelListFirst(&source->wipes));
        if (!wipe) {
            wipeSourceDestroy(set, source);
            continue;
        }
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] wipe force destroy(%ls)", kDestroyTag,
                  source->name);
        wipeRelease(reinterpret_cast<PelSpriteBackendWipe*>(wipe));
    }
    while (auto* font = static_cast<Sprite2Font*>(pelListFirst(&set->fonts))) {
        pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] font force destroy", kDestroyTag);
        fontRelease(reinterpret_cast<PelSpriteBackendFont*>(font));
    }
    pelHashDestroy(&set->wipeCache);
    delete set;
    table->user = nullptr;
}

void deviceGetScreenSize(uint32_t* width, uint32_t* height, void* user) {
    const Sprite2DeviceSet* set = sprite2Set(user);
    *width = set->target.displayWidth;
    *height = set->target.displayHeight;
}
