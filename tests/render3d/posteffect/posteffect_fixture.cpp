#include "tests/render3d/posteffect/posteffect_fixture.h"

#include <cstring>

#include "tests/render3d/support/built_posteffect_shaders.h"

namespace tessera::test {

mirel::rcptr<L3DTexture> TestPostEffectHost::loadTexture(const char16_t* name) {
    asked_.push_back(name);
    auto it = textures_.find(name);
    return it == textures_.end() ? mirel::rcptr<L3DTexture>() : it->second;
}

mirel::rcptr<L3DObjectData> TestPostEffectHost::loadModel(const char16_t* directory,
                                                          const char16_t* name) {
    auto it = models_.find(std::u16string(directory) + name);
    return it == models_.end() ? mirel::rcptr<L3DObjectData>() : it->second;
}

void PostEffectTest::SetUp() {
    Render3dTest::SetUp();
    for (const BuiltFile& shader : builtPostEffectShaders()) dir_.write(shader.path, shader.bytes);
}

void PostEffectTest::TearDown() {
    effect_.reset();
    host_.textures_.clear();
    host_.models_.clear();
    host_.renderer_.reset();
    Render3dTest::TearDown();
}

void PostEffectTest::start(uint32_t width, uint32_t height, AdapterProfile profile,
                           uint32_t multiSampleIndex) {
    clientWidth_ = width;
    clientHeight_ = height;
    L3DDevice& device = createWindowed(std::move(profile), multiSampleIndex);
    host_.device_ = &device;
    host_.mode_ = {width, height, false};
    effect_ = std::make_unique<PostEffect>();
    ASSERT_TRUE(effect_->setup(&host_));
    // The frame loop draws between BeginScene and EndScene.
    ASSERT_EQ(device.device()->BeginScene(), D3D_OK);
    names_ = {{nullptr, "back"}};
    const char* sizes[4] = {"Q4", "Q8", "Q16", "Q32"};
    for (uint32_t shift = 2; shift <= 5; ++shift)
        for (uint32_t i = 0; i < 4; ++i)
            names_[effect_->pyramid(shift, i).Get()] =
                std::string(sizes[shift - 2]) + "[" + std::to_string(i) + "]";
    effect_->setPassTrace([this](const char* pass, const L3DTexture* target) {
        // A and B by their current roles (requests exchange them).
        std::string name = "?";
        if (target == effect_->textureA().Get())
            name = "A";
        else if (target == effect_->textureB().Get())
            name = "B";
        else if (auto it = names_.find(target); it != names_.end())
            name = it->second;
        passes_.push_back(std::string(pass) + ">" + name);
    });
}

namespace {

uint32_t nextRandom(uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state;
}

}  // namespace

mirel::rcptr<L3DTexture> PostEffectTest::patternTexture(uint32_t width, uint32_t height,
                                                        uint32_t seed, bool opaque) {
    mirel::rcptr<L3DTexture> texture =
        device_->CreateTexture(("pattern" + std::to_string(seed)).c_str(), width, height);
    int32_t pitch = 0;
    uint8_t* bits = texture->Lock(0, 0, width, height, pitch);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t value = nextRandom(seed) | (opaque ? 0xFF000000 : 0);
            std::memcpy(bits + y * pitch + x * 4, &value, 4);
        }
    texture->texture->UnlockRect(0);
    return texture;
}

mirel::rcptr<L3DTexture> PostEffectTest::addNoise(const std::u16string& name, uint32_t width,
                                                  uint32_t height, uint32_t seed) {
    mirel::rcptr<L3DTexture> texture = patternTexture(width, height, seed);
    host_.textures_[u"sys/posteffect/" + name] = texture;
    return texture;
}

void PostEffectTest::drawScene() {
    IDirect3DDevice9* d3d = device_->device();
    d3d->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00102040, 1.0f, 0);
    const D3DRECT white = {60, 40, 100, 80};
    const D3DRECT red = {10, 10, 30, 110};
    const D3DRECT green = {130, 10, 150, 110};
    const D3DRECT grey = {20, 90, 60, 115};
    d3d->Clear(1, &white, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
    d3d->Clear(1, &red, D3DCLEAR_TARGET, 0x40E02010, 1.0f, 0);
    d3d->Clear(1, &green, D3DCLEAR_TARGET, 0x0020C040, 1.0f, 0);
    d3d->Clear(1, &grey, D3DCLEAR_TARGET, 0x80A0A0A0, 1.0f, 0);
}

void PostEffectTest::frame() {
    effect_->beginFrame();
    drawScene();
    effect_->render();
}

std::vector<std::string> PostEffectTest::takePasses() {
    std::vector<std::string> out;
    out.swap(passes_);
    return out;
}

std::vector<uint32_t> PostEffectTest::backBufferPixels() const {
    const IDirect3DSurface9* back = device_->backBuffer();
    return {back->texels(), back->texels() + back->width() * back->height()};
}

uint32_t PostEffectTest::texel(const L3DTexture& texture, uint32_t x, uint32_t y) {
    const IDirect3DSurface9& surface = texture.texture->level(0);
    return surface.texels()[y * surface.width() + x];
}

}  // namespace tessera::test
