#pragma once
// Models made with the model writer for the model suites, the fuzz seeds and the benchmark.
#include <cstdint>
#include <string>

#include "tools/writers/model_file_writer.h"

namespace tessera::test {

// The pool every rich model refers into: "arm" at 0, "skin" at 4, "tex.dds" at 9.
inline const std::string RichPool = std::string("arm\0skin\0tex.dds", 16);

// A model of `version` with every optional section non-empty: a part "body" with two bones
// (the second a child of the first, each with its weight map), a morph map, an extra texture
// coordinate set (version 16) and its run-time mesh (version 2 and later); a second part
// "arm"; a part group hanging "arm" from bone 2 of "body"; a collision group (version 4 and
// later); an animation that uses all of them; and last the animation "sentinel".
inline tools::writers::ModelFile richModel(uint32_t version) {
    using namespace tools::writers;
    ModelFile model;
    model.version = version;
    model.name = "rich";
    model.pool = RichPool;
    ModelShaderOption option;
    option.kind = 3;
    option.texture1 = modelRef(9, 7);
    option.partName = modelRef(0, 3);
    option.flags = 1;
    option.extraWord = 14;
    model.shaderOptions = {option};
    ModelTexArea area;
    area.areaName = modelRef(4, 4);
    area.textureName = modelRef(9, 7);
    model.texAreas = {area};
    ModelEvent goFrame;
    goFrame.frame = 3;
    goFrame.word = 1;
    model.events = {goFrame};

    ModelPart body;
    body.name = "body";
    body.pool = RichPool;
    body.colours = {0xFF102030, 0xFF405060};
    body.uvs = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}};
    ModelMesh& mesh = body.meshes[0];
    mesh.texture = "skin";
    mesh.corners = {{0, 0, 0, 0}, {1, 0, 1, 1}, {2, 0, 0, 2}};
    mesh.pivot = {0.25f, 0.5f, 0.0f};
    if (version >= 16) mesh.extraUvs = {{1, 2}, {2, 0}, {0, 1}};
    body.weightMaps = {{"w_root", {{0, 0, {1.0f}}, {0, 1, {0.5f}}}},
                       {"w_tip", {{0, 1, {0.5f}}, {0, 2, {1.0f}}}}};
    body.morphMaps = {{"smile", {{0, 2, {0.0f, 2.0f, 0.0f, 0.0f, 0.0f, 1.0f}}}}};
    ModelBone tip{"tip", "w_tip", {0, 1, 0}, {0, 2, 0}, 1, {}};
    body.bones = {ModelBone{"root", "w_root", {0, 0, 0}, {0, 1, 0}, 0, {tip}}};
    body.shaderOptions = {option};
    ModelRuntimeMesh& runtime = body.runtimes[0];
    runtime.maxBlend = 2;
    runtime.vertices[0].bones = {1, 0, 0, 0};
    runtime.vertices[1].weights = {0.5f, 0.5f, 0, 0};
    runtime.vertices[1].bones = {1, 2, 0, 0};
    runtime.vertices[2].bones = {2, 0, 0, 0};
    runtime.usedBones = {1, 2};
    if (version >= 16) runtime.extraUvs = {{1, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    ModelPart arm;
    arm.name = "arm";
    model.parts = {body, arm};

    ModelPartGroup group;
    group.members = {ModelPartGroupMember{1, RichPool, 0, 0, {0, 0, 0}, {option}},
                     ModelPartGroupMember{2, "", 1, 2, {0.5f, 0, 0}, {}}};
    model.partGroups = {group};
    if (version >= 4) {
        ModelCollGroup coll;
        coll.type = 3;
        coll.spheres = {ModelSphere{1, 2, {0, 1, 0}, 0.75f}};
        model.collGroups = {coll};
    }

    ModelAnim walk;
    walk.name = "walk";
    walk.pool = RichPool;
    walk.flags = 3;
    walk.endFrame = 30;
    walk.loopFrame = 10;
    walk.partGroup = 1;
    walk.shaderOptions = {option};
    walk.texAreas = {area};
    walk.events = {goFrame};
    ModelMotion partMotion;
    partMotion.keys = {ModelKey{0}, ModelKey{30, 2, {1, 2, 3}}};
    ModelMotion boneMotion;
    boneMotion.bone = 2;
    boneMotion.morphGroups = {{"face", {{0, 1}, {10, 0}}}};
    walk.motions = {partMotion, boneMotion};
    ModelAnim sentinel;
    sentinel.name = "sentinel";
    sentinel.endFrame = 0x5E47;
    model.anims = {walk, sentinel};
    return model;
}

}  // namespace tessera::test
