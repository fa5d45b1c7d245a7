#include "tools/sceneshot/scene_shot.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "effects/L3DEffectManager.h"
#include "foundation/pack/pack_registry.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "platform/d3d9/adapter_profile.h"
#include "platform/d3d9/direct3d9.h"
#include "platform/d3d9/memory_presenter.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/adapters.h"
#include "render3d/scene/model_instances.h"
#include "render3d/window_client_size.h"
#include "tools/console/directory_pack.h"

using namespace platform::d3d9;
using mirel::rcptr;

namespace sceneshot {

namespace {

// The seed Create reads in place of the calendar clock.
uint32_t fixedSeed = 0;
uint32_t seedSource() { return fixedSeed; }

struct Vec {
    float x, y, z;
};
Vec sub(const float a[3], const float b[3]) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
Vec cross(Vec a, Vec b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
float dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec normalised(Vec v) {
    const float length = std::sqrt(dot(v, v));
    return length > 0.0f ? Vec{v.x / length, v.y / length, v.z / length} : Vec{0, 0, 1};
}

// A left-handed view from the eye toward the target, y up.
LMat lookAt(const float eye[3], const float target[3]) {
    const Vec z = normalised(sub(target, eye));
    Vec x = normalised(cross({0, 1, 0}, z));
    const Vec y = cross(z, x);
    const Vec e{eye[0], eye[1], eye[2]};
    LMat m = LMat::Identity();
    const Vec axes[3] = {x, y, z};
    for (int c = 0; c < 3; ++c) {
        m.m[0][c] = axes[c].x;
        m.m[1][c] = axes[c].y;
        m.m[2][c] = axes[c].z;
        m.m[3][c] = -dot(axes[c], e);
    }
    return m;
}

// A left-handed perspective projection, depth 0 at `near` and 1 at `far`.
LMat perspective(float fovDegrees, float aspect, float near, float far) {
    const float yScale = 1.0f / std::tan(fovDegrees * 3.14159265f / 360.0f);
    LMat m{};
    m.m[0][0] = yScale / aspect;
    m.m[1][1] = yScale;
    m.m[2][2] = far / (far - near);
    m.m[2][3] = 1.0f;
    m.m[3][2] = -near * far / (far - near);
    return m;
}

}  // namespace

struct SceneShot::State {
    Options options;
    Frame presented;
    std::unique_ptr<L3DDevice> device;
    rcptr<tools::console::DirectoryPack> pack;
    std::unique_ptr<L3DRenderer> renderer;
    rcptr<L3DObjectData> model;
    rcptr<L3DObjectInstance> instance;
    rcptr<L3DAnimInstance> anim;
    std::vector<L3DPartDraw*> parts;
};

SceneShot::SceneShot(const Options& options, mirel::DFile& shaders)
    : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.options = options;
    l3dSetClientSizeQuery(
        [width = options.width, height = options.height](HWND, uint32_t& w, uint32_t& h) {
            w = width;
            h = height;
            return true;
        });
    Direct3DConfig config;
    config.adapters = {softwareAdapterProfile()};
    config.rasterThreads = 1;
    config.makePresenter = [&s](HWND) {
        return std::make_unique<MemoryPresenter>([&s](const PresentedFrame& f) {
            s.presented = {f.width, f.height, {}};
            for (UINT y = 0; y < f.height; ++y) {
                const auto* row = reinterpret_cast<const uint32_t*>(
                    reinterpret_cast<const uint8_t*>(f.pixels) + y * f.pitch);
                s.presented.argb.insert(s.presented.argb.end(), row, row + f.width);
            }
        });
    };
    auto* direct3d = new IDirect3D9(std::move(config));
    l3dInit(direct3d);
    direct3d->Release();
    s.device = std::make_unique<L3DDevice>();
    s.device->Create(0, reinterpret_cast<HWND>(0x1000), 0, 0, 0, 0,
                     L3DDevice::OptionPreferWindow | L3DDevice::OptionCheckMipmap);

    s.pack.Create();
    s.pack->SetDirectory(options.directory);
    lfmRegistOverride(s.pack);
    const uint32_t pack = lfmRegistPack("");

    fixedSeed = options.seed;
    const L3DRenderer::TimeSource savedTime = L3DRenderer::timeSource;
    L3DRenderer::timeSource = seedSource;
    s.renderer = std::make_unique<L3DRenderer>();
    s.renderer->Create(rcptr<L3DDevice>::NonOwning(s.device.get()), {}, shaders);
    L3DRenderer::timeSource = savedTime;
    L3DEffectManager& effects = *s.renderer->effectManager;
    if (!options.definition.empty()) effects.SetProp(pack, options.definition.c_str());

    const std::string path = options.model + ".dgo";
    mirel::DFile file;
    lfmOpenPackData(pack, file, path.c_str());
    s.model.Create();
    s.model->Load(file);
    file.Close();
    s.instance = l3dCreateModelInstance(*s.renderer, s.model, path.c_str(), pack);
    if (!options.animation.empty()) {
        s.anim = s.instance->CreateAnim(options.animation.c_str());
        s.instance->SetCurrentAnim(s.anim, 1);
    }
    if (options.playRoot >= 0) {
        const float origin[3] = {0, 0, 0}, turn[4] = {0, 0, 0, 1}, unit[3] = {1, 1, 1};
        effects.PlayAt(nullptr, nullptr, effects.FindData(s.instance->context.resource),
                       static_cast<uint32_t>(options.playRoot), L3DEffectEndless, origin, turn,
                       unit);
    }
    for (auto it = s.instance->parts._GetFirstNode(); it != s.instance->parts._GetEndNode();
         it = it.Next())
        s.parts.push_back(&it.GetRef()->draw);

    s.renderer->SetViewProjection(
        lookAt(options.eye, options.target),
        perspective(options.fovDegrees,
                    static_cast<float>(options.width) / static_cast<float>(options.height), 0.1f,
                    100.0f));
    s.renderer->SetLightDir(options.light);
}

SceneShot::~SceneShot() {
    State& s = *state_;
    s.anim.Reset();
    s.instance.Reset();
    s.renderer.reset();
    s.model.Reset();
    s.device.reset();
    lfmRegistOverride({});
    lfmReleasePacks();
    l3dTerm();
    l3dReleaseDirect3D();
    l3dSetClientSizeQuery(nullptr);
}

Frame SceneShot::next() {
    State& s = *state_;
    s.instance->ForwardAnimFrame();
    s.renderer->effectManager->Task();
    IDirect3DDevice9* d = s.device->device();
    d->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, s.options.background, 1.0f, 0);
    d->BeginScene();
    const float white[4] = {1, 1, 1, 1};
    s.renderer->DrawObjectInstance(s.parts, white, white, 0);
    s.renderer->effectManager->Draw(0);
    s.renderer->DrawZsd();
    d->EndScene();
    s.presented = {};
    s.device->Present();
    return s.presented;
}

bool parseVector(const std::string& text, float out[3]) {
    char tail = 0;
    return std::sscanf(text.c_str(), "%f,%f,%f%c", &out[0], &out[1], &out[2], &tail) == 3;
}

}  // namespace sceneshot
