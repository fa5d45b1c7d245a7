#pragma once
// A locked rectangle of a texture's top level, unlocked when the guard goes; and an open
// framework file closed the same way. Fatal reports unwind through both.
#include <cstdint>
#include <memory>

#include "framework/file/file.h"
#include "render3d/L3DTexture.h"

class Sprite2TextureLock {
public:
    Sprite2TextureLock(L3DTexture& texture, uint32_t x, uint32_t y, uint32_t width, uint32_t height)
        : texture_(texture), rows_(texture.Lock(x, y, width, height, pitch_)) {}
    ~Sprite2TextureLock() { texture_.texture->UnlockRect(0); }
    Sprite2TextureLock(const Sprite2TextureLock&) = delete;
    Sprite2TextureLock& operator=(const Sprite2TextureLock&) = delete;

    uint8_t* rows() const { return rows_; }
    int32_t pitch() const { return pitch_; }

private:
    L3DTexture& texture_;
    int32_t pitch_ = 0;
    uint8_t* rows_;
};

struct Sprite2FileCloser {
    void operator()(PEL_FILE* file) const { pelFileClose(file); }
};
using Sprite2File = std::unique_ptr<PEL_FILE, Sprite2FileCloser>;
