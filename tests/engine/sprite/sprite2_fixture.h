#pragma once
// The backend over the software device of a 160 x 120 window: the framework with its files in a
// temporary home, the image module and the sprite library started, a device set and its table,
// the presented frame kept, reports captured (level-0 reports throw FatalReport).
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/sprite/device_set.h"
#include "framework/sprite/sprite.h"
#include "platform/d3d9/call_recorder.h"
#include "render3d/L3DDevice.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {

inline constexpr uint32_t kScreenWidth = 160;
inline constexpr uint32_t kScreenHeight = 120;

class Sprite2Test : public FrameworkFiles {
protected:
    void SetUp() override;
    void TearDown() override;

    // A new device set on the device with the resource scale (the one made by SetUp is
    // destroyed first).
    void remakeDeviceSet(int32_t resourceScale);
    // A sprite context over the table; destroyed by TearDown.
    PEL_SPRITE_CONTEXT* context();

    // Writes an 8-bit RGBA PNG (R, G, B, A bytes per pixel, rows top-down) beside the program.
    void writeImage(const std::string& name, uint32_t width, uint32_t height,
                    const std::vector<uint8_t>& rgba);
    // Mounts a pack holding "sys/font.ttf" (the test font) and starts the font, once per
    // process until a test stops it.
    void startFont();
    // Stops the font; the next startFont reads it again.
    void stopFont();

    // Clears the back buffer to the colour, draws inside a scene (by default the context's
    // renderers, after their update) and presents; the frame's ARGB pixels.
    std::vector<uint32_t> drawFrame(uint32_t clearColour,
                                    const std::function<void()>& draw = nullptr);

    platform::d3d9::CallRecorder& recorder() { return device_->device()->recorder(); }
    // The recorded calls of a method, their arguments in order.
    std::vector<std::string> recorded(const std::string& method) const;
    static bool wasReported(int level, const std::u16string& text);

    Sprite2DeviceSet* set() const { return sprite2Set(table_.user); }
    PEL_SPRITE_BACKEND& table() { return table_; }
    L3DDevice& device() { return *device_; }

    // The bytes of a whole texture's top level, rows packed.
    static std::vector<uint8_t> textureBytes(L3DTexture& texture);

private:
    std::optional<ReportCapture> capture_;  // made after the framework's start-up
    std::unique_ptr<L3DDevice> device_;
    PEL_SPRITE_BACKEND table_{};
    PEL_SPRITE_CONTEXT* context_ = nullptr;
    std::vector<uint32_t> frame_;
};

// A batch on the heap (its vertices are large) with one quad per rectangle.
struct BatchQuad {
    float x, y, width, height;
    float u, v;  // image pixels of the top-left corner; the quad maps width x height of them
    float rgba[4];
};
std::unique_ptr<PEL_SPRITE_BATCH> makeBatch(PelSpriteBackendImage* image, int32_t blend,
                                            int32_t alphaTest, float reference,
                                            const std::vector<BatchQuad>& quads,
                                            int32_t filter = 0);

}  // namespace tessera::test
