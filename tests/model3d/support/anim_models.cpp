#include "tests/model3d/support/anim_models.h"

#include <cmath>

#include "foundation/DMathTrig.h"
#include "tools/instance_rig/instance_rig.h"

namespace tessera::test {

using namespace tools::writers;

std::array<float, 4> keyRotation(float x, float y, float z, float degrees) {
    const float length = std::sqrt(x * x + y * y + z * z);
    const float half = degrees * (3.14159265f / 360.0f);
    const float s = mirel::DMathSin(half) / length;
    return {x * s, y * s, z * s, mirel::DMathCos(half)};
}

namespace {

ModelKey key(uint32_t frame, uint32_t flags, ModelVec3 translation, std::array<float, 4> rotation,
             ModelVec3 scale = {1, 1, 1}) {
    return ModelKey{frame, flags, translation, rotation, scale};
}

constexpr uint32_t Curved = 2;
const std::array<float, 4> Still{0, 0, 0, 1};

ModelPartGroupMember member(uint32_t part, uint32_t parentPart, uint32_t parentBone,
                            ModelVec3 pivot) {
    return ModelPartGroupMember{part, "", parentPart, parentBone, pivot, {}};
}

}  // namespace

ModelFile limbModel() {
    ModelFile model;
    ModelPart body;
    body.name = "body";
    body.bones = {ModelBone{"upper",
                            "",
                            {0, 0, 0},
                            {0, 0, 0},
                            0,
                            {ModelBone{"lower", "", {0, 1, 0}, {0, 1, 0}, 0, {}}}}};
    model.parts = {body};
    model.partGroups = {ModelPartGroup{"group", {member(1, 0, 0, {0, 0, 0})}}};
    ModelAnim anim;
    anim.name = "anim";
    anim.endFrame = 30;
    anim.loopFrame = 30;
    anim.partGroup = 1;
    anim.motions = {ModelMotion{1, 0, {ModelKey{}}, {}}, ModelMotion{1, 1, {ModelKey{}}, {}},
                    ModelMotion{1, 2, {ModelKey{}}, {}}};
    model.anims = {anim};
    return model;
}

ModelFile dancerModel() {
    ModelFile model;
    model.name = "dancer";
    ModelPart torso;
    torso.name = "torso";
    torso.bones = {ModelBone{"hip",
                             "",
                             {0, 0, 0},
                             {0, 0, 0},
                             0,
                             {ModelBone{"spine",
                                        "",
                                        {0, 1, 0},
                                        {0, 1, 0},
                                        0,
                                        {ModelBone{"neck", "", {0, 2, 0}, {0, 2, 0}, 0, {}}}}}}};
    ModelPart head;
    head.name = "head";
    model.parts = {torso, head};
    model.partGroups = {
        ModelPartGroup{"group", {member(1, 0, 0, {0, 0.5f, 0}), member(2, 1, 3, {0, 2, 0})}}};

    ModelCollGroup body{
        "body",
        "",
        3,
        1,
        {ModelSphere{1, 1, {0, 0.5f, 0}, 0.6f}, ModelSphere{1, 2, {0, 1.5f, 0}, 0.5f},
         ModelSphere{1, 3, {0, 2.2f, 0}, 0.4f}}};
    ModelCollGroup hit{"hit", "", 4, 1, {ModelSphere{2, 0, {0, 2.5f, 0}, 0.3f}}};
    ModelCollGroup kick{"kick", "", 4, 0, {ModelSphere{1, 3, {0.5f, 2, 0}, 0.3f}}};
    ModelCollGroup cylinder{"cyl", "", 0, 1, {ModelSphere{1, 0, {0, 1, 0}, 1.0f}}};
    model.collGroups = {body, hit, kick, cylinder};

    ModelAnim dance;
    dance.name = "dance";
    dance.endFrame = 40;
    dance.loopFrame = 10;
    dance.partGroup = 1;
    dance.motions = {
        ModelMotion{1,
                    0,
                    {key(0, 0, {0, 0, 0}, Still),
                     key(10, Curved, {0.5f, 0, 0.2f}, keyRotation(0, 1, 0, 30)),
                     key(25, Curved, {-0.3f, 0.1f, 0}, keyRotation(0, 1, 0, -20)),
                     key(40, 0, {0, 0, 0}, Still)},
                    {}},
        ModelMotion{1,
                    1,
                    {key(0, 0, {0, 0, 0}, keyRotation(1, 0, 0, 10)),
                     key(12, Curved, {0, 0.05f, 0}, keyRotation(1, 0, 1, -15)),
                     key(30, 0, {0, 0, 0}, keyRotation(0, 0, 1, 20))},
                    {}},
        ModelMotion{
            1,
            2,
            {key(0, 0, {0, 0, 0}, Still), key(8, Curved, {0, 0, 0}, keyRotation(0, 0, 1, 25)),
             key(20, Curved, {0, 0, 0}, keyRotation(1, 0, 0, -30)),
             key(33, 0, {0, 0, 0}, keyRotation(0, 1, 0, 45))},
            {}},
        ModelMotion{1,
                    3,
                    {key(5, Curved, {0, 0, 0}, keyRotation(0, 1, 0, 60)),
                     key(18, 0, {0, 0, 0}, keyRotation(0, 1, 0, -60), {1.2f, 1.2f, 1.2f})},
                    {}},
        ModelMotion{2,
                    0,
                    {key(0, Curved, {0, 0, 0}, Still),
                     key(20, Curved, {0, 0.1f, 0}, keyRotation(1, 1, 0, 90)),
                     key(35, 0, {0, 0, 0}, keyRotation(1, 1, 0, 170))},
                    {}}};
    model.anims = {dance};
    return model;
}

ModelFile chainModel(uint32_t bones) {
    ModelFile model;
    model.name = "chain";
    ModelPart part;
    part.name = "chain";
    ModelBone* parent = nullptr;
    for (uint32_t i = 0; i < bones; ++i) {
        const float y = 0.5f * static_cast<float>(i);
        ModelBone bone{"b" + std::to_string(i), "", {0, y, 0}, {0, y, 0}, 0, {}};
        if (parent) {
            parent->children = {bone};
            parent = &parent->children[0];
        } else {
            part.bones = {bone};
            parent = &part.bones[0];
        }
    }
    model.parts = {part};
    model.partGroups = {ModelPartGroup{"group", {member(1, 0, 0, {0, 0, 0})}}};
    ModelAnim anim;
    anim.name = "loop";
    anim.endFrame = 60;
    anim.loopFrame = 0;
    anim.partGroup = 1;
    anim.motions = {ModelMotion{1, 0, {ModelKey{}}, {}}};
    for (uint32_t i = 0; i < bones; ++i) {
        ModelMotion motion{1, i + 1, {}, {}};
        for (uint32_t k = 0; k <= 12; ++k) {
            const float angle = static_cast<float>((k * 7 + i * 3) % 11) * 8.0f - 40.0f;
            const float axis = static_cast<float>((k + i) % 3);
            motion.keys.push_back(
                key(k * 5, (k % 2) ? Curved : 0, {0.01f * static_cast<float>(k), 0, 0},
                    keyRotation(axis == 0, axis == 1, axis == 2 ? 1.0f : 0.2f, angle)));
        }
        anim.motions.push_back(motion);
    }
    model.anims = {anim};
    return model;
}

}  // namespace tessera::test

namespace tessera::test {

uint64_t dancerSphereHash(uint32_t frames) {
    mirel::rcptr<L3DObjectInstance> instance =
        tools::rig::makeInstance(loadModel(dancerModel()), {});
    tools::rig::play(*instance, "dance");
    uint64_t hash = 14695981039346656037ull;
    for (uint32_t frame = 0; frame < frames; ++frame) {
        const float f = static_cast<float>(frame);
        L3DWorldBlock& placement = instance->placement;
        placement.position[0] = 0.01f * f;
        placement.position[2] = -0.003f * f;
        const std::array<float, 4> turn = keyRotation(0, 1, 0, 0.7f * f);
        std::copy(turn.begin(), turn.end(), placement.rotation);
        tools::rig::forward(*instance);
        hash = tools::rig::hashSpheres(*instance, hash);
    }
    return hash;
}

}  // namespace tessera::test
