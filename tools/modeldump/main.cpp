// modeldump FILE.dgo: prints a summary of a model file for reviews: its sections, each part's
// meshes, maps, bones and run-time meshes, its groups and its animations. Exit status 0 on
// success; 1 when the file cannot be opened or read as a model; 2 for a wrong command line.
#include <cstdio>
#include <string>

#include "foundation/DFile.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "platform/os/cp932.h"
#include "render3d/diagnostics/diagnostics.h"

namespace {

std::string utf8(const char* cp932) { return platform::os::cp932ToUtf8(cp932); }

void printPart(const L3DPartData& part) {
    std::printf(
        "part \"%s\": %u colours, %u uvs, %u meshes, %u weight maps, %u morph maps, "
        "%u bones, %u shader options\n",
        utf8(part.name.Text()).c_str(), part.colourCount, part.uvCount, part.meshCount,
        part.weightMapCount, part.morphMapCount, part.flatBoneCount, part.shaderOptions.Count());
    for (uint32_t i = 0; i < part.meshCount; ++i) {
        const L3D_PARTDATA_MESH& mesh = part.meshes[i];
        std::printf(
            "  mesh \"%s\" texture \"%s\": type %u x %u, %u indices, %u corners, "
            "%u positions, %u normals%s, pivot (%g, %g, %g)\n",
            utf8(mesh.materialName).c_str(), utf8(mesh.textureName).c_str(), mesh.primitiveType,
            mesh.primitiveCount, mesh.indexCount, mesh.cornerCount, mesh.positionCount,
            mesh.normalCount, mesh.extraUvs ? ", extra uvs" : "", mesh.pivot[0], mesh.pivot[1],
            mesh.pivot[2]);
    }
    for (uint32_t i = 0; i < part.runtimeCount; ++i) {
        const L3D_PARTDATA_RUNTIME& runtime = part.runtimes[i];
        std::printf(
            "  run-time mesh of mesh %td: %u vertices%s, max blend %u, %u indices, "
            "%u bones\n",
            runtime.sourceMesh - part.meshes.Get(), runtime.vertexCount,
            runtime.vertices3 ? " (three uv sets)" : "", runtime.maxBlendCount,
            runtime.indexByteCount / 2, runtime.usedBoneCount);
    }
}

void printModel(L3DObjectData& data, uint32_t version) {
    std::printf("model \"%s\", version %u: %u shader options, %u texture areas, %u events\n",
                utf8(data.name.Text()).c_str(), version, data.shaderOptions.Count(),
                data.texAreas.Count(), data.events.Count());
    for (auto it = data.parts._GetFirstNode(); it != data.parts._GetEndNode(); it = it.Next())
        printPart(*it.GetRef());
    for (auto it = data.partGroups._GetFirstNode(); it != data.partGroups._GetEndNode();
         it = it.Next())
        std::printf("part group \"%s\": %u members\n", utf8(it.GetRef()->name.Text()).c_str(),
                    it.GetRef()->members.Count());
    for (auto it = data.collGroups._GetFirstNode(); it != data.collGroups._GetEndNode();
         it = it.Next())
        std::printf("collision group \"%s\": type %u, flags 0x%x, %u spheres\n",
                    utf8(it.GetRef()->name.Text()).c_str(), it.GetRef()->type, it.GetRef()->flags,
                    it.GetRef()->spheres.Count());
    for (auto it = data.anims._GetFirstNode(); it != data.anims._GetEndNode(); it = it.Next()) {
        const L3DAnimData& anim = *it.GetRef();
        std::printf("animation \"%s\": frames %u (loop %u), flags 0x%x, %u motions, %u events\n",
                    utf8(anim.name.Text()).c_str(), anim.endFrame, anim.loopFrame, anim.flags,
                    anim.motions.Count(), anim.events.Count());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: modeldump FILE.dgo\n");
        return 2;
    }
    l3dDiagMode = 0;  // no message boxes: a read failure ends the dump
    mirel::DFile file;
    if (!file.Open(platform::os::utf8ToCp932(argv[1]).c_str(), mirel::DFile::OpenRead)) {
        std::fprintf(stderr, "modeldump: cannot open %s\n", argv[1]);
        return 1;
    }
    try {
        lfmReadU32(file);
        const uint32_t version = lfmReadU32(file);
        file.Seek(0, mirel::DDataOverride::SeekBegin);
        L3DObjectData data;
        data.Load(file);
        printModel(data, version);
    } catch (const LExceptGame&) {
        std::fprintf(stderr, "modeldump: %s is not a model this runtime reads\n", argv[1]);
        return 1;
    }
    return 0;
}
