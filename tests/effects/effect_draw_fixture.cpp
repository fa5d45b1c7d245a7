#include "tests/effects/effect_draw_fixture.h"

#include <cmath>
#include <filesystem>

#include "foundation/DFile.h"
#include "tests/platform/d3d9/support/presented_frames.h"
#include "tests/render3d/support/built_shader_archive.h"
#include "tools/writers/png_writer.h"

namespace tessera::test {

void EffectDrawTest::SetUp() {
    EffectTest::SetUp();
    presenter_ = [this](HWND) { return lastFramePresenter(frame_); };
}

void EffectDrawTest::createRenderer(const LMat& view, const LMat& projection) {
    useDevice();
    std::filesystem::create_directories(dir_.file("sys"));
    dir_.write("sys/renderer.csa", builtShaderArchive());
    mirel::DFile file;
    ASSERT_TRUE(file.Open(dir_.file("sys/renderer.csa").c_str(), mirel::DFile::OpenRead));
    renderer_._CreateCore(renderer_.device, {}, file);
    renderer_.SetViewProjection(view, projection);
}

void EffectDrawTest::setPropTextured(const tools::writers::EffectDefinition& definition,
                                     uint32_t size, const std::vector<uint32_t>& pixels) {
    writeFile("effect/effdef.dat", tools::writers::effectDefinitionFile(definition));
    // The texture loader takes alpha from a grey image beside the colour image.
    std::vector<uint32_t> alpha;
    for (uint32_t pixel : pixels) alpha.push_back(0xFF000000u | (pixel >> 24) * 0x010101u);
    for (size_t i = 0; i < definition.imageOptions.size(); ++i) {
        const std::string name = dir_.file("effect/effdef" + std::to_string(i));
        ASSERT_TRUE(tools::writers::writePng(name + ".png", size, size, pixels));
        ASSERT_TRUE(tools::writers::writePng(name + "_a.png", size, size, alpha));
    }
    manager_.SetProp(pack_, "effect/effdef");
}

L3D_EFFECT_WORKROOT* EffectDrawTest::playInstance(const LMat& world) {
    if (!data_) data_ = loadData(oneRoot({{1000, 0, {}}}));
    const float position[3] = {0, 0, 0}, rotation[4] = {0, 0, 0, 1}, scale[3] = {1, 1, 1};
    manager_.PlayAt(nullptr, nullptr, data_, 0, L3DEffectEndless, position, rotation, scale);
    L3D_EFFECT_WORKROOT* instance = manager_.active;
    instance->world = world;
    instance->rootPart.world = world;
    return instance;
}

L3D_EFFECT_WORKPART* EffectDrawTest::addPart(L3D_EFFECT_WORKROOT* instance, int32_t image,
                                             int32_t model, const LMat& world) {
    L3D_EFFECT_WORKPART* work = manager_._AllocPart(instance, &instance->root->rootPart, 0);
    work->image = image;
    work->model = model;
    work->imageMode = 1;
    work->world = world;
    for (float& channel : work->finalColour) channel = 1.0f;
    L3D_EFFECT_WORKPART** link = &instance->drawList;
    L3D_EFFECT_WORKPART* previous = nullptr;
    while (*link) {
        previous = *link;
        link = &previous->nextDraw;
    }
    *link = work;
    work->previousDraw = previous;
    return work;
}

std::vector<std::pair<uint32_t, uint32_t>> EffectDrawTest::recordedDraws() const {
    std::vector<std::pair<uint32_t, uint32_t>> draws;
    for (const RecordedCall& call : device_->device()->recorder().calls()) {
        if (call.method != "DrawIndexedPrimitiveUP") continue;
        // (type, min index, vertices, primitives, indices, format, vertex data, stride)
        unsigned type = 0, minIndex = 0, vertices = 0, primitives = 0;
        std::sscanf(call.arguments.c_str(), "%u, %u, %u, %u", &type, &minIndex, &vertices,
                    &primitives);
        draws.emplace_back(vertices, primitives);
    }
    return draws;
}

Frame EffectDrawTest::presentWith(void (*draw)(void*), void* context, uint32_t clearColour) {
    IDirect3DDevice9* d = device_->device();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clearColour, 1.0f, 0);
    d->BeginScene();
    draw(context);
    d->EndScene();
    frame_ = {};
    EXPECT_TRUE(device_->Present());
    return frame_;
}

LMat placement(float scale, float degreesX, float degreesY, float x, float y, float z) {
    constexpr float kRadians = 3.14159265f / 180.0f;
    const float ax = degreesX * kRadians, ay = degreesY * kRadians;
    LMat rx = LMat::Identity(), ry = LMat::Identity();
    rx.m[1][1] = std::cos(ax);
    rx.m[1][2] = std::sin(ax);
    rx.m[2][1] = -std::sin(ax);
    rx.m[2][2] = std::cos(ax);
    ry.m[0][0] = std::cos(ay);
    ry.m[0][2] = -std::sin(ay);
    ry.m[2][0] = std::sin(ay);
    ry.m[2][2] = std::cos(ay);
    LMat m;
    LMat::Scaling(m, scale, scale, scale);
    m = m * rx * ry;
    m.m[3][0] = x;
    m.m[3][1] = y;
    m.m[3][2] = z;
    return m;
}

}  // namespace tessera::test
