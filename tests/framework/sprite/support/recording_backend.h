#pragma once
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "framework/sprite/backend.h"

namespace tessera::test {

// A sprite backend that logs every slot call with its arguments and answers with fixed sizes:
// the screen, every loaded image, an advance and a line height for every glyph. One unit can be
// made to fail in glyph render; image loads and font creation can be made to fail.
class RecordingBackend {
public:
    struct Call {
        int slot;
        std::string args;
    };
    struct Glyph {
        char16_t unit;
        uint32_t x, y, width, height;
    };
    struct Fill {
        uint32_t x, y, width, height;
        float rgba[4];
    };

    uint32_t screenWidth = 640, screenHeight = 480;
    uint32_t imageWidth = 256, imageHeight = 256;  // of every loaded image
    uint32_t advance = 10, lineHeight = 20;
    char16_t failingGlyph = 0;  // 0: none fails
    bool failImageLoad = false;
    bool failFontCreate = false;

    std::vector<Call> calls;
    // The batches of every slot-4 call, copied as they were handed over.
    std::vector<std::vector<PEL_SPRITE_BATCH>> draws;
    std::vector<Glyph> glyphs;
    std::vector<Fill> fills;

    RecordingBackend();
    RecordingBackend(const RecordingBackend&) = delete;
    RecordingBackend& operator=(const RecordingBackend&) = delete;

    const PEL_SPRITE_BACKEND& table() const { return table_; }

    std::vector<int> slots() const;
    int count(int slot) const;
    void clear();
    // The number a handle was given (1, 2, ... in creation order), as it appears in the log.
    static int imageId(const PelSpriteBackendImage* image);
    static bool imageReleased(const PelSpriteBackendImage* image);

private:
    struct Image {
        RecordingBackend* owner;
        int id;
        uint32_t width, height;
        bool released;
    };
    struct Font {
        RecordingBackend* owner;
        uint32_t size;
    };

    void log(int slot, std::string args);
    Image* newImage(uint32_t width, uint32_t height);
    static Image* image(PelSpriteBackendImage* handle);
    static Font* font(PelSpriteBackendFont* handle);

    PEL_SPRITE_BACKEND table_{};
    std::deque<Image> images_;
    std::deque<Font> fonts_;
    char16_t lastGlyph_ = 0;
    bool lastGlyphFailed_ = false;
};

}  // namespace tessera::test
