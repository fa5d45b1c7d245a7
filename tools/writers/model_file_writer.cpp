#include "tools/writers/model_file_writer.h"

namespace tools::writers {

namespace {

template <size_t N>
void floats(ScrambledFieldWriter& out, const std::array<float, N>& values) {
    for (float value : values) out.f32(value);
}

uint32_t count(size_t n) { return static_cast<uint32_t>(n); }

void writeMesh(ScrambledFieldWriter& out, uint32_t version, const ModelMesh& mesh) {
    out.string(mesh.material);
    out.u32(mesh.flags);
    out.string(mesh.texture);
    out.u32(mesh.primitiveType);
    out.u32(mesh.primitiveCount);
    out.u32(count(mesh.indices.size()));
    for (uint32_t index : mesh.indices) out.u32(index);
    out.u32(count(mesh.corners.size()));
    for (const auto& corner : mesh.corners)
        for (uint32_t field : corner) out.u32(field);
    if (version >= 16) {
        out.u32(mesh.extraCount.value_or(count(mesh.extraUvs.size())));
        for (const auto& extra : mesh.extraUvs) {
            out.u32(extra[0]);
            out.u32(extra[1]);
        }
    }
    out.u32(count(mesh.positions.size()));
    for (const ModelVec3& position : mesh.positions) floats(out, position);
    out.u32(count(mesh.normals.size()));
    for (const ModelVec3& normal : mesh.normals) floats(out, normal);
    if (version >= 8) floats(out, mesh.pivot);
}

void writeVertexMaps(ScrambledFieldWriter& out, const std::vector<ModelVertexMap>& maps) {
    out.u32(count(maps.size()));
    for (const ModelVertexMap& map : maps) {
        out.string(map.name);
        out.u32(count(map.entries.size()));
        for (const ModelVertexMapEntry& entry : map.entries) {
            out.u32(entry.mesh);
            out.u32(entry.corner);
            floats(out, entry.values);
        }
    }
}

void writeBones(ScrambledFieldWriter& out, uint32_t version, const std::vector<ModelBone>& bones) {
    out.u32(count(bones.size()));
    for (const ModelBone& bone : bones) {
        out.string(bone.name);
        out.string(bone.weightMap);
        floats(out, bone.point1);
        floats(out, bone.point2);
        if (version >= 15) out.u32(bone.flags);
        writeBones(out, version, bone.children);
    }
}

void writeVertex(ScrambledFieldWriter& out, const ModelVertex& vertex) {
    floats(out, vertex.position);
    floats(out, vertex.weights);
    for (uint8_t bone : vertex.bones) out.u8(bone);
    floats(out, vertex.normal);
    out.u32(vertex.colour);
    floats(out, vertex.uv);
}

void writeRuntime(ScrambledFieldWriter& out, uint32_t version, const ModelRuntimeMesh& mesh) {
    out.u32(mesh.meshIndex);
    out.u32(count(mesh.vertices.size()));
    for (const ModelVertex& vertex : mesh.vertices) writeVertex(out, vertex);
    out.u32(mesh.maxBlend);
    if (version >= 16) {
        out.u32(mesh.threeSetCount.value_or(count(mesh.extraUvs.size())));
        // Each 72-byte vertex repeats the 56-byte one, then its two extra pairs.
        for (size_t i = 0; i < mesh.extraUvs.size(); ++i) {
            writeVertex(out, i < mesh.vertices.size() ? mesh.vertices[i] : ModelVertex{});
            floats(out, mesh.extraUvs[i]);
        }
    }
    out.u32(count(2 * mesh.indices.size()));
    std::string indexBytes(2 * mesh.indices.size(), '\0');
    for (size_t i = 0; i < mesh.indices.size(); ++i) {
        indexBytes[2 * i] = static_cast<char>(mesh.indices[i] & 0xFF);
        indexBytes[2 * i + 1] = static_cast<char>(mesh.indices[i] >> 8);
    }
    out.bytes(indexBytes);
    out.u32(mesh.primitiveType);
    out.u32(mesh.primitiveCount);
    out.u32(count(mesh.usedBones.size()));
    for (uint32_t bone : mesh.usedBones) out.u32(bone);
}

void writePart(ScrambledFieldWriter& out, uint32_t version, const ModelPart& part) {
    out.string(part.name);
    out.string(part.pool);
    out.u32(count(part.colours.size()));
    for (uint32_t colour : part.colours) out.u32(colour);
    out.u32(count(part.uvs.size()));
    for (const auto& uv : part.uvs) floats(out, uv);
    out.u32(count(part.meshes.size()));
    for (const ModelMesh& mesh : part.meshes) writeMesh(out, version, mesh);
    writeVertexMaps(out, part.weightMaps);
    writeVertexMaps(out, part.morphMaps);
    writeBones(out, version, part.bones);
    writeModelShaderOptions(out, version, part.shaderOptions);
    if (version >= 2) {
        out.u32(count(part.runtimes.size()));
        for (const ModelRuntimeMesh& mesh : part.runtimes) writeRuntime(out, version, mesh);
    }
}

void writePartGroup(ScrambledFieldWriter& out, uint32_t version, const ModelPartGroup& group) {
    out.string(group.name);
    out.u32(count(group.members.size()));
    for (const ModelPartGroupMember& member : group.members) {
        out.u32(member.part);
        out.string(member.pool);
        out.u32(member.parentPart);
        out.u32(member.parentBone);
        floats(out, member.pivot);
        writeModelShaderOptions(out, version, member.shaderOptions);
    }
}

void writeCollGroup(ScrambledFieldWriter& out, uint32_t version, const ModelCollGroup& group) {
    out.string(group.name);
    out.string(group.name2);
    out.u32(group.type);
    out.u32(group.flags);
    out.u32(count(group.spheres.size()));
    for (const ModelSphere& sphere : group.spheres) {
        out.u32(sphere.part);
        out.u32(sphere.bone);
        floats(out, sphere.centre);
        if (version == 5 || version == 6)
            out.bytes(std::string(12, '\0'));
        else
            out.f32(sphere.radius);
    }
}

void writeAnim(ScrambledFieldWriter& out, uint32_t version, const ModelAnim& anim) {
    out.string(anim.name);
    out.string(anim.pool);
    out.u32(anim.flags);
    out.u32(anim.endFrame);
    out.u32(anim.loopFrame);
    out.u32(anim.partGroup);
    writeModelShaderOptions(out, version, anim.shaderOptions);
    writeModelTexAreas(out, anim.texAreas);
    writeModelEvents(out, version, anim.events);
    out.u32(count(anim.motions.size()));
    for (const ModelMotion& motion : anim.motions) {
        out.u32(motion.part);
        out.u32(motion.bone);
        out.u32(count(motion.keys.size()));
        for (const ModelKey& key : motion.keys) {
            out.u32(key.frame);
            out.u32(key.flags);
            floats(out, key.translation);
            floats(out, key.rotation);
            floats(out, key.scale);
        }
        out.u32(count(motion.morphGroups.size()));
        for (const ModelMorphGroup& group : motion.morphGroups) {
            out.string(group.name);
            out.u32(count(group.keys.size()));
            for (const ModelMorphKey& key : group.keys) {
                out.u32(key.frame);
                out.u32(key.morphMap);
            }
        }
    }
}

// The dropped sections of older files with no entries.
void writeEmptyOldSections(ScrambledFieldWriter& out, uint32_t version) {
    if (version <= 3) out.u32(0);
    if (version == 6) out.u32(0);
    if (version <= 6) out.u32(0);
}

}  // namespace

std::string writeModelFile(const ModelFile& model, uint32_t start) {
    ScrambledFieldWriter out(start);
    const uint32_t version = model.version;
    out.u32(model.magic);
    out.u32(version);
    out.string(model.name);
    out.string(model.pool);
    if (version == 0) out.u32(model.reserved);
    writeModelShaderOptions(out, version, model.shaderOptions);
    writeModelTexAreas(out, model.texAreas);
    writeModelEvents(out, version, model.events);
    out.u32(count(model.parts.size()));
    for (const ModelPart& part : model.parts) writePart(out, version, part);
    out.u32(count(model.partGroups.size()));
    for (const ModelPartGroup& group : model.partGroups) writePartGroup(out, version, group);
    if (version >= 4) {
        out.u32(count(model.collGroups.size()));
        for (const ModelCollGroup& group : model.collGroups) writeCollGroup(out, version, group);
    }
    if (model.fullOldSections)
        writeModelOldSections(out, version);
    else
        writeEmptyOldSections(out, version);
    out.u32(count(model.anims.size()));
    for (const ModelAnim& anim : model.anims) writeAnim(out, version, anim);
    return out.data();
}

}  // namespace tools::writers
