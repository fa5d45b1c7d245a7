// animdump FILE.dgo ANIMATION [FRAMES]: plays an animation of a model for reviews and prints,
// per frame, the world position of every node (each part's root, then its bones in pre-order),
// the centre of every collision sphere and the seven bounding spheres. FRAMES defaults to 60.
// Exit status 0 on success; 1 when the file cannot be read or has no such animation; 2 for a
// wrong command line.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "foundation/DFile.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DPartInstance.h"
#include "platform/os/cp932.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tools/instance_rig/instance_rig.h"

namespace {

std::string utf8(const char* cp932) { return platform::os::cp932ToUtf8(cp932 ? cp932 : ""); }

void printNode(const char* name, const L3DAnimState& node) {
    const float* p = node.block.position;
    std::printf("  %s (%.4f, %.4f, %.4f)%s\n", name, p[0], p[1], p[2],
                (node.key.keyFlags & 1) ? " hidden" : "");
}

void printFrame(L3DObjectInstance& instance, uint32_t frame) {
    std::printf("frame %u\n", frame);
    for (auto it = instance.parts._GetFirstNode(); it != instance.parts._GetEndNode();
         it = it.Next()) {
        L3DPartInstance& part = *it.GetRef();
        printNode(("part \"" + utf8(part.part->name.Text()) + "\"").c_str(), part.root);
        part.forEachBone([](L3DBoneInstance& bone) {
            printNode(("bone \"" + utf8(bone.bone->name) + "\"").c_str(), bone.node);
        });
    }
    for (auto it = instance.collGroups._GetFirstNode(); it != instance.collGroups._GetEndNode();
         it = it.Next()) {
        const L3DCollGroupInstance& group = *it.GetRef();
        for (uint32_t i = 0; i < group.sphereCount; ++i) {
            const L3D_COLLGROUPINST_SPHERE& s = group.spheres[i];
            std::printf("  sphere \"%s\" %u%s (%.4f, %.4f, %.4f) r %.4f\n",
                        utf8(group.group->name.Text()).c_str(), i, group.enabled() ? "" : " off",
                        s.centre[0], s.centre[1], s.centre[2], s.radius);
        }
    }
    for (uint32_t k = 0; k < L3DBoundingSphereTable::TypeCount; ++k) {
        const L3DBoundingSphere& b = instance.bounds.current[k];
        if (b.radius > 0.0f)
            std::printf("  bounds %u (%.4f, %.4f, %.4f) r %.4f\n", k, b.centre[0], b.centre[1],
                        b.centre[2], b.radius);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: animdump FILE.dgo ANIMATION [FRAMES]\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long frames = argc == 4 ? std::strtoul(argv[3], &end, 10) : 60;
    if (argc == 4 && (*end != '\0' || frames > 1000000)) {
        std::fprintf(stderr, "animdump: FRAMES must be a number up to 1000000\n");
        return 2;
    }
    l3dDiagMode = 0;  // no message boxes: a read failure ends the dump
    mirel::DFile file;
    if (!file.Open(platform::os::utf8ToCp932(argv[1]).c_str(), mirel::DFile::OpenRead)) {
        std::fprintf(stderr, "animdump: cannot open %s\n", argv[1]);
        return 1;
    }
    try {
        mirel::rcptr<L3DObjectData> model;
        model.Create();
        model->Load(file);
        mirel::rcptr<L3DObjectInstance> instance = tools::rig::makeInstance(model, {});
        if (!tools::rig::play(*instance, platform::os::utf8ToCp932(argv[2]).c_str())) {
            std::fprintf(stderr, "animdump: %s has no animation \"%s\"\n", argv[1], argv[2]);
            return 1;
        }
        for (uint32_t frame = 0; frame < frames; ++frame) {
            tools::rig::forward(*instance);
            printFrame(*instance, frame);
        }
    } catch (const LExceptGame&) {
        std::fprintf(stderr, "animdump: %s cannot be played by this runtime\n", argv[1]);
        return 1;
    }
    return 0;
}
