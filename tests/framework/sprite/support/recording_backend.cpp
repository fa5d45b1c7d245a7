#include "tests/framework/sprite/support/recording_backend.h"

#include <cstdio>

namespace tessera::test {
namespace {

std::string narrow(const char16_t* text) {
    std::string out;
    for (; text && *text; ++text) out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}

std::string join(std::initializer_list<long long> values) {
    std::string out;
    for (long long value : values) {
        if (!out.empty()) out += ' ';
        out += std::to_string(value);
    }
    return out;
}

RecordingBackend* self(void* user) { return static_cast<RecordingBackend*>(user); }

}  // namespace

RecordingBackend::Image* RecordingBackend::image(PelSpriteBackendImage* handle) {
    return reinterpret_cast<Image*>(handle);
}

RecordingBackend::Font* RecordingBackend::font(PelSpriteBackendFont* handle) {
    return reinterpret_cast<Font*>(handle);
}

int RecordingBackend::imageId(const PelSpriteBackendImage* image) {
    return reinterpret_cast<const Image*>(image)->id;
}

bool RecordingBackend::imageReleased(const PelSpriteBackendImage* image) {
    return reinterpret_cast<const Image*>(image)->released;
}

RecordingBackend::Image* RecordingBackend::newImage(uint32_t width, uint32_t height) {
    images_.push_back({this, static_cast<int>(images_.size()) + 1, width, height, false});
    return &images_.back();
}

void RecordingBackend::log(int slot, std::string args) { calls.push_back({slot, std::move(args)}); }

std::vector<int> RecordingBackend::slots() const {
    std::vector<int> out;
    for (const Call& call : calls) out.push_back(call.slot);
    return out;
}

int RecordingBackend::count(int slot) const {
    int n = 0;
    for (const Call& call : calls) n += call.slot == slot;
    return n;
}

void RecordingBackend::clear() {
    calls.clear();
    draws.clear();
    glyphs.clear();
    fills.clear();
}

RecordingBackend::RecordingBackend() {
    table_.user = this;
    table_.screenSize = [](uint32_t* width, uint32_t* height, void* user) {
        self(user)->log(1, "");
        *width = self(user)->screenWidth;
        *height = self(user)->screenHeight;
    };
    table_.drawBegin = [](void* user) { self(user)->log(2, ""); };
    table_.drawEnd = [](void* user) { self(user)->log(3, ""); };
    table_.drawBatches = [](void* user, PEL_SPRITE_BATCH* batches, uint32_t count) {
        self(user)->log(4, std::to_string(count));
        self(user)->draws.emplace_back(batches, batches + count);
    };
    table_.imageLoad = [](void* user, uint32_t where, const char16_t* name) {
        RecordingBackend* backend = self(user);
        backend->log(5, std::to_string(where) + " " + narrow(name));
        if (backend->failImageLoad) return static_cast<PelSpriteBackendImage*>(nullptr);
        return reinterpret_cast<PelSpriteBackendImage*>(
            backend->newImage(backend->imageWidth, backend->imageHeight));
    };
    table_.imageCreate = [](void* user, uint32_t width, uint32_t height) {
        self(user)->log(6, join({width, height}));
        return reinterpret_cast<PelSpriteBackendImage*>(self(user)->newImage(width, height));
    };
    table_.imageRelease = [](PelSpriteBackendImage* handle) {
        Image* released = image(handle);
        released->released = true;
        released->owner->log(7, "#" + std::to_string(released->id));
    };
    table_.imageIsWritable = [](PelSpriteBackendImage* handle) {
        image(handle)->owner->log(8, "");
        return 0;
    };
    table_.imageSize = [](uint32_t* width, uint32_t* height, PelSpriteBackendImage* handle) {
        Image* sized = image(handle);
        sized->owner->log(9, "#" + std::to_string(sized->id));
        *width = sized->width;
        *height = sized->height;
    };
    table_.textBegin = [](PelSpriteBackendImage* handle) {
        image(handle)->owner->log(10, "#" + std::to_string(image(handle)->id));
    };
    table_.textEnd = [](PelSpriteBackendImage* handle) {
        image(handle)->owner->log(11, "#" + std::to_string(image(handle)->id));
    };
    table_.imageFill = [](PelSpriteBackendImage* handle, uint32_t x, uint32_t y, uint32_t width,
                          uint32_t height, const float rgba[4]) {
        RecordingBackend* backend = image(handle)->owner;
        backend->log(12, join({x, y, width, height}));
        backend->fills.push_back({x, y, width, height, {rgba[0], rgba[1], rgba[2], rgba[3]}});
        return PEL_OK;
    };
    table_.wipeLoad = [](void* user, uint32_t, const char16_t*) {
        self(user)->log(13, "");
        return static_cast<PelSpriteBackendWipe*>(nullptr);
    };
    table_.wipeRelease = [](PelSpriteBackendWipe*) {};
    table_.wipeSet = [](PelSpriteBackendWipe*, int32_t, float) {};
    table_.imageSetSize = [](PelSpriteBackendImage* handle, uint32_t, uint32_t) {
        image(handle)->owner->log(16, "");
    };
    table_.fontCreate = [](void* user, uint32_t size, uint32_t flags) {
        RecordingBackend* backend = self(user);
        backend->log(17, join({size, flags}));
        if (backend->failFontCreate) return static_cast<PelSpriteBackendFont*>(nullptr);
        backend->fonts_.push_back({backend, size});
        return reinterpret_cast<PelSpriteBackendFont*>(&backend->fonts_.back());
    };
    table_.fontRelease = [](PelSpriteBackendFont* handle) {
        font(handle)->owner->log(18, std::to_string(font(handle)->size));
    };
    table_.glyphRender = [](PelSpriteBackendFont* handle, char16_t unit) {
        RecordingBackend* backend = font(handle)->owner;
        backend->log(19, std::to_string(static_cast<int>(unit)));
        backend->lastGlyph_ = unit;
        backend->lastGlyphFailed_ = unit == backend->failingGlyph;
        return backend->lastGlyphFailed_ ? PEL_E_NOTFOUND : PEL_OK;
    };
    table_.glyphDraw = [](PelSpriteBackendImage* handle, uint32_t x, uint32_t y, uint32_t width,
                          uint32_t height, const float*, PelSpriteBackendFont*, const uint8_t*) {
        RecordingBackend* backend = image(handle)->owner;
        backend->log(20, join({x, y, width, height}));
        backend->glyphs.push_back({backend->lastGlyph_, x, y, width, height});
        return PEL_OK;
    };
    table_.fontMetrics = [](uint32_t* advance, uint32_t* lineHeight, PelSpriteBackendFont* handle) {
        RecordingBackend* backend = font(handle)->owner;
        backend->log(21, "");
        *advance = backend->lastGlyphFailed_ ? 0 : backend->advance;
        *lineHeight = backend->lineHeight;
    };
}

}  // namespace tessera::test
