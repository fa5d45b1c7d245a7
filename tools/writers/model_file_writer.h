#pragma once
// Whole model files ("dgo"): parts with their meshes, maps, bones and run-time meshes, part
// groups, collision groups and animations, around the shared sections of model_writer.h.
// Defaults give a small valid record of each kind; tests change what they look at. The
// writer writes what it is given: counts that disagree with their tables are written as given
// where a field exists for them (the extra-set counts), so that bad files can be made.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/writers/model_writer.h"

namespace tools::writers {

using ModelVec3 = std::array<float, 3>;

// A source mesh: one triangle by default.
struct ModelMesh {
    std::string material = "mat";
    uint32_t flags = 0;
    std::string texture;
    uint32_t primitiveType = 4;
    uint32_t primitiveCount = 1;
    std::vector<uint32_t> indices{0, 1, 2};
    // Position, normal, colour and texture-coordinate index of each corner.
    std::vector<std::array<uint32_t, 4>> corners{{0, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}};
    // Version 16: the second and third texture-coordinate index of each corner; the count is
    // written as extraCount when set, else as the table's size.
    std::vector<std::array<uint32_t, 2>> extraUvs;
    std::optional<uint32_t> extraCount;
    std::vector<ModelVec3> positions{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    std::vector<ModelVec3> normals{{0, 0, 1}};
    ModelVec3 pivot{};  // version 8 and later
};

struct ModelVertexMapEntry {
    uint32_t mesh = 0;
    uint32_t corner = 0;
    std::array<float, 6> values{};  // a weight first, or a target position and normal
};

struct ModelVertexMap {
    std::string name;
    std::vector<ModelVertexMapEntry> entries;
};

struct ModelBone {
    std::string name;
    std::string weightMap;
    ModelVec3 point1{};
    ModelVec3 point2{};
    uint32_t flags = 0;  // version 15 and later
    std::vector<ModelBone> children;
};

// A vertex of a run-time mesh (56 bytes).
struct ModelVertex {
    ModelVec3 position{};
    std::array<float, 4> weights{1, 0, 0, 0};
    std::array<uint8_t, 4> bones{};
    ModelVec3 normal{0, 0, 1};
    uint32_t colour = 0xFFFFFFFF;
    std::array<float, 2> uv{};
};

// A run-time mesh (version 2 and later): the default mesh's triangle.
struct ModelRuntimeMesh {
    uint32_t meshIndex = 0;
    std::vector<ModelVertex> vertices{ModelVertex{{0, 0, 0}}, ModelVertex{{1, 0, 0}},
                                      ModelVertex{{0, 1, 0}}};
    uint32_t maxBlend = 0;
    // Version 16: the second and third pairs of each vertex; the count is written as
    // threeSetCount when set, else as the table's size.
    std::vector<std::array<float, 4>> extraUvs;
    std::optional<uint32_t> threeSetCount;
    std::vector<uint16_t> indices{0, 1, 2};
    uint32_t primitiveType = 4;
    uint32_t primitiveCount = 1;
    std::vector<uint32_t> usedBones;
};

struct ModelPart {
    std::string name = "part";
    std::string pool;
    std::vector<uint32_t> colours{0xFFFFFFFF};
    std::vector<std::array<float, 2>> uvs{{0, 0}};
    std::vector<ModelMesh> meshes{ModelMesh{}};
    std::vector<ModelVertexMap> weightMaps;
    std::vector<ModelVertexMap> morphMaps;
    std::vector<ModelBone> bones;
    std::vector<ModelShaderOption> shaderOptions;
    std::vector<ModelRuntimeMesh> runtimes{ModelRuntimeMesh{}};  // version 2 and later
};

struct ModelPartGroupMember {
    uint32_t part = 1;
    std::string pool;
    uint32_t parentPart = 0;
    uint32_t parentBone = 0;
    ModelVec3 pivot{};
    std::vector<ModelShaderOption> shaderOptions;
};

struct ModelPartGroup {
    std::string name = "group";
    std::vector<ModelPartGroupMember> members;
};

struct ModelSphere {
    uint32_t part = 1;
    uint32_t bone = 0;
    ModelVec3 centre{};
    float radius = 1.0f;  // versions 5 and 6 write twelve zero bytes instead
};

struct ModelCollGroup {
    std::string name = "coll";
    std::string name2;
    uint32_t type = 0;
    uint32_t flags = 0;
    std::vector<ModelSphere> spheres;
};

struct ModelKey {
    uint32_t frame = 0;
    uint32_t flags = 0;
    ModelVec3 translation{};
    std::array<float, 4> rotation{0, 0, 0, 1};
    ModelVec3 scale{1, 1, 1};
};

struct ModelMorphKey {
    uint32_t frame = 0;
    uint32_t morphMap = 0;
};

struct ModelMorphGroup {
    std::string name;
    std::vector<ModelMorphKey> keys;
};

struct ModelMotion {
    uint32_t part = 1;
    uint32_t bone = 0;
    std::vector<ModelKey> keys{ModelKey{}};
    std::vector<ModelMorphGroup> morphGroups;
};

struct ModelAnim {
    std::string name = "anim";
    std::string pool;
    uint32_t flags = 0;
    uint32_t endFrame = 0;
    uint32_t loopFrame = 0;
    uint32_t partGroup = 0;
    std::vector<ModelShaderOption> shaderOptions;
    std::vector<ModelTexArea> texAreas;
    std::vector<ModelEvent> events;
    std::vector<ModelMotion> motions;
};

inline constexpr uint32_t ModelFileMagic = 0x4F44334C;  // "L3DO"

struct ModelFile {
    uint32_t magic = ModelFileMagic;
    uint32_t version = 16;
    std::string name = "model";
    std::string pool;
    uint32_t reserved = 0;  // version 0
    std::vector<ModelShaderOption> shaderOptions;
    std::vector<ModelTexArea> texAreas;
    std::vector<ModelEvent> events;
    std::vector<ModelPart> parts;
    std::vector<ModelPartGroup> partGroups;
    std::vector<ModelCollGroup> collGroups;  // version 4 and later
    // Versions 6 and below: the dropped sections with one entry of every variant (else empty).
    bool fullOldSections = true;
    std::vector<ModelAnim> anims;
};

// The scrambled bytes of the file, as they lie at `start` of a file or archive member.
std::string writeModelFile(const ModelFile& model, uint32_t start = 0);

}  // namespace tools::writers
