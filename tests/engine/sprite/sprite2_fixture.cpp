#include "tests/engine/sprite/sprite2_fixture.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

#include "framework/image/image.h"
#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/memory_presenter.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/window_client_size.h"
#include "tests/foundation/support/image_fixtures.h"
#include "tests/platform/d3d9/support/presented_frames.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {

using namespace platform::d3d9;

namespace {

bool fontStarted = false;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

void Sprite2Test::SetUp() {
    FrameworkFiles::SetUp();
    capture_.emplace();
    pelImageInitialize();
    pelSpriteInitialize();
    l3dDiagMode = l3dDiagDefer;
    l3dSetClientSizeQuery([](HWND, uint32_t& width, uint32_t& height) {
        width = kScreenWidth;
        height = kScreenHeight;
        return true;
    });
    Direct3DConfig config;
    config.adapters = {softwareAdapterProfile()};
    config.rasterThreads = 1;
    config.makePresenter = [this](HWND) {
        return std::make_unique<MemoryPresenter>(
            [this](const PresentedFrame& frame) { frame_ = copyPresentedFrame(frame).argb; });
    };
    IDirect3D9* direct3d = new IDirect3D9(std::move(config));
    l3dInit(direct3d);
    direct3d->Release();
    device_ = std::make_unique<L3DDevice>();
    device_->Create(0, reinterpret_cast<HWND>(0x1000), 0, 0, 0, 0, L3DDevice::OptionPreferWindow);
    remakeDeviceSet(1);
    ReportCapture::entries().clear();
}

void Sprite2Test::TearDown() {
    if (context_) pelSpriteDestroyContext(context_);
    sprite2DestroyDeviceSet(&table_);
    device_.reset();
    l3dTerm();
    l3dReleaseDirect3D();
    l3dSetClientSizeQuery(nullptr);
    l3dTermDiag();
    pelSpriteFinalize();
    capture_.reset();
    FrameworkFiles::TearDown();
}

void Sprite2Test::remakeDeviceSet(int32_t resourceScale) {
    if (context_) pelSpriteDestroyContext(context_);
    context_ = nullptr;
    sprite2DestroyDeviceSet(&table_);
    sprite2CreateDeviceSet(&table_, {device_.get(), kScreenWidth, kScreenHeight, resourceScale});
}

PEL_SPRITE_CONTEXT* Sprite2Test::context() {
    if (!context_) context_ = pelSpriteCreateContext(&table_);
    return context_;
}

void Sprite2Test::writeImage(const std::string& name, uint32_t width, uint32_t height,
                             const std::vector<uint8_t>& rgba) {
    PngSpec spec;
    spec.width = static_cast<int>(width);
    spec.height = static_cast<int>(height);
    spec.colorType = 6;
    spec.samples.assign(rgba.begin(), rgba.end());
    writeBesideExecutable(name, pngFile(spec));
}

void Sprite2Test::startFont() {
    if (fontStarted) return;
    const char* path = std::getenv("SPRITE2_FONT");
    ASSERT_NE(path, nullptr);
    const std::string pack = executableFolder() + "/font.dat";
    ASSERT_TRUE(tools::writers::writeApfc(pack, {{u"sys/font.ttf", readFile(path)}}));
    ASSERT_EQ(pelFileMountArchive(u"font.dat"), PEL_OK);
    sprite2Init();
    fontStarted = true;
}

void Sprite2Test::stopFont() {
    sprite2Shutdown();
    fontStarted = false;
}

std::vector<uint32_t> Sprite2Test::drawFrame(uint32_t clearColour,
                                             const std::function<void()>& draw) {
    IDirect3DDevice9* d3d = device_->device();
    d3d->Clear(0, nullptr, D3DCLEAR_TARGET, clearColour, 1.0f, 0);
    d3d->BeginScene();
    if (draw) {
        draw();
    } else if (context_) {
        pelSpriteUpdate(context_);
        pelSpriteDraw(context_);
    }
    d3d->EndScene();
    frame_.clear();
    EXPECT_TRUE(device_->Present());
    return frame_;
}

std::vector<std::string> Sprite2Test::recorded(const std::string& method) const {
    std::vector<std::string> out;
    for (const RecordedCall& call : device_->device()->recorder().calls())
        if (call.method == method) out.push_back(call.arguments);
    return out;
}

bool Sprite2Test::wasReported(int level, const std::u16string& text) {
    for (const ReportCapture::Entry& entry : ReportCapture::entries())
        if (entry.level == level && entry.text == text) return true;
    return false;
}

std::vector<uint8_t> Sprite2Test::textureBytes(L3DTexture& texture) {
    const uint32_t bytesPerPixel = texture.pixelKind == 5 ? 2 : 4;
    std::vector<uint8_t> out(size_t{texture.width} * texture.height * bytesPerPixel);
    int32_t pitch = 0;
    const uint8_t* rows = texture.Lock(0, 0, texture.width, texture.height, pitch);
    for (uint32_t y = 0; y < texture.height; ++y)
        std::memcpy(&out[size_t{y} * texture.width * bytesPerPixel], rows + size_t{y} * pitch,
                    size_t{texture.width} * bytesPerPixel);
    texture.texture->UnlockRect(0);
    return out;
}

std::unique_ptr<PEL_SPRITE_BATCH> makeBatch(PelSpriteBackendImage* image, int32_t blend,
                                            int32_t alphaTest, float reference,
                                            const std::vector<BatchQuad>& quads, int32_t filter) {
    auto batch = std::make_unique<PEL_SPRITE_BATCH>();
    *batch = {};
    batch->image = image;
    batch->filter = filter;
    batch->blend = blend;
    batch->alphaTest = alphaTest;
    batch->alphaReference = reference;
    for (const BatchQuad& quad : quads) {
        const float corners[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
        for (const auto& corner : corners) {
            PEL_SPRITE_VERTEX& vertex = batch->vertices[batch->vertexCount++];
            vertex.x = quad.x + corner[0] * quad.width;
            vertex.y = quad.y + corner[1] * quad.height;
            vertex.u = quad.u + corner[0] * quad.width;
            vertex.v = quad.v + corner[1] * quad.height;
            vertex.red = quad.rgba[0];
            vertex.green = quad.rgba[1];
            vertex.blue = quad.rgba[2];
            vertex.alpha = quad.rgba[3];
        }
    }
    return batch;
}

}  // namespace tessera::test
