// effectdump DIR DEFINITION [DATA...]: loads the effect definition file DIR/DEFINITION.dat (its
// textures DIR/DEFINITION<i> with the runtime's image extensions) and each effect data file
// DIR/DATA.dat as the runtime does, on a headless software device, and prints what was loaded.
// Exit status 0 on success; 1 when a file is refused (the reason on standard error); 2 for a
// wrong command line.
#include <bit>
#include <cstdio>
#include <string>

#include "effects/L3DEffectManager.h"
#include "foundation/pack/pack_registry.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DRenderer.h"
#include "render3d/adapters.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tools/console/console_log.h"
#include "tools/console/directory_pack.h"

namespace {

void printDefinition(const L3DEffectManager& manager) {
    std::printf("definition \"%s\": %u images, %u image definitions, %u models\n", manager.name,
                manager.imageCount, manager.imageDefCount, manager.modelCount);
    for (uint32_t i = 0; i < manager.imageDefCount; ++i) {
        const L3D_EFFECT_IMAGEDEF& d = manager.imageDefs[i];
        std::printf(
            "  image definition %u: image %u, rect (%g %g %g %g), pivot (%g %g), colour (%g %g "
            "%g %g), blend %u\n",
            i, d.image, d.left, d.top, d.right, d.bottom, d.pivotX, d.pivotY, d.colour[0],
            d.colour[1], d.colour[2], d.colour[3], d.blend);
    }
    for (uint32_t m = 0; m < manager.modelCount; ++m) {
        const L3DEffectManagerItemB& model = manager.models[m];
        std::printf("  model %u: %u vertices, %u indices\n", m, model.vertexCount,
                    model.indexCount);
        for (uint32_t v = 0; v < model.vertexCount; ++v) {
            const L3D_EFFECT_MODELVERTEX& x = model.vertices[v];
            std::printf("    vertex %u: (%g %g %g) colour (%g %g %g %g) st (%g %g)\n", v,
                        x.position[0], x.position[1], x.position[2], x.colour[0], x.colour[1],
                        x.colour[2], x.colour[3], x.s, x.t);
        }
        std::printf("    indices:");
        for (uint32_t i = 0; i < model.indexCount; ++i) std::printf(" %u", model.indices[i]);
        std::printf("\n");
    }
}

void printPart(const char* label, const L3D_EFFECT_PART& part) {
    std::printf("    %s: flags 0x%x, %u events\n", label, part.flags, part.eventCount);
    for (uint32_t e = 0; e < part.eventCount; ++e) {
        const L3D_EFFECT_EVENT& event = part.events[e];
        std::printf("      time %d kind %u:", event.time, event.kind);
        // Words as stored; a kind reads each as an integer or a float.
        for (int w = 0; w < 9; ++w)
            std::printf(" %d(%g)", static_cast<int32_t>(event.p[w]),
                        std::bit_cast<float>(event.p[w]));
        std::printf("\n");
    }
}

void printData(const L3D_EFFECT_DATA& data) {
    std::printf("data \"%s\": %u roots\n", data.name, data.rootCount);
    for (uint32_t r = 0; r < data.rootCount; ++r) {
        const L3D_EFFECT_ROOT& root = data.roots[r];
        std::printf("  root %u: flags 0x%x, %u parts\n", r, root.flags, root.partCount);
        printPart("root part", root.rootPart);
        for (uint32_t p = 0; p < root.partCount; ++p)
            printPart(("part " + std::to_string(p)).c_str(), root.parts[p]);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: effectdump DIR DEFINITION [DATA...]\n");
        return 2;
    }
    const tools::console::StandardErrorLog log;
    l3dDiagMode = 0;      // reports go to the log only
    l3dLogThreshold = 0;  // and only the reports
    platform::d3d9::Direct3DConfig config;
    config.adapters = {platform::d3d9::softwareAdapterProfile()};
    config.rasterThreads = 1;
    auto* direct3d = new platform::d3d9::IDirect3D9(std::move(config));
    l3dInit(direct3d);
    direct3d->Release();
    int status = 0;
    {
        L3DDevice device;
        device.Create(0, nullptr, 0, 0, 0, 0, L3DDevice::OptionCheckMipmap);
        mirel::rcptr<tools::console::DirectoryPack> pack;
        pack.Create();
        pack->SetDirectory(argv[1]);
        lfmRegistOverride(pack);
        L3DRenderer renderer;
        renderer.device = mirel::rcptr<L3DDevice>::NonOwning(&device);
        L3DEffectManager manager;
        manager.Init(mirel::rcptr<L3DRenderer>::NonOwning(&renderer));
        try {
            manager.SetProp(lfmRegistPack(""), argv[2]);
            printDefinition(manager);
            for (int i = 3; i < argc; ++i) {
                L3D_RENDERER_NNID* nnid = renderer.names.AddNnid(argv[i]);
                printData(*manager.LoadData(nnid, lfmRegistPack(""), argv[i]));
            }
        } catch (const LExceptGame&) {
            status = 1;
        }
        manager.Release();
        renderer.device.Reset();
        lfmReleasePacks();
    }
    l3dTerm();
    l3dReleaseDirect3D();
    return status;
}
