#include "tests/effects/fuzz_effect_files.h"

#include <cstring>
#include <string>

#include "foundation/pack/pack_registry.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/render3d/fuzz_device.h"

namespace tessera::test {

namespace {

class FuzzProvider : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override { return std::strcmp(name, "fuzz.dat") == 0; }
    void Open(mirel::DFile& file, const char* path, uint32_t) override {
        if (std::strcmp(path, "fuzz.dat") != 0) l3dError("no file \"%s\"", path);
        attachMemory(file, bytes, path);
    }
    std::string bytes;
};

FuzzProvider& provider() {
    static FuzzProvider* made = [] {
        mirel::rcptr<FuzzProvider> handle;
        handle.Create();
        lfmRegistOverride(handle);
        return handle.Get();  // the registry keeps its reference for the process
    }();
    return *made;
}

}  // namespace

uint32_t serveFuzzFile(const uint8_t* data, size_t size) {
    provider().bytes.assign(reinterpret_cast<const char*>(data), size);
    return lfmRegistPack("");
}

L3DEffectManager& fuzzManager() {
    static L3DRenderer* renderer = [] {
        auto* made = new L3DRenderer;
        made->device = mirel::rcptr<L3DDevice>::NonOwning(&fuzzDevice());
        return made;
    }();
    // Kept for the process, like the renderer: destroying it at exit would reach the pack
    // registry after its own teardown.
    static L3DEffectManager* manager = new L3DEffectManager;
    manager->Release();
    manager->Init(mirel::rcptr<L3DRenderer>::NonOwning(renderer));
    return *manager;
}

}  // namespace tessera::test
