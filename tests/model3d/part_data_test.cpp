// Parts: run-time meshes compiled for old files, bone numbering, pivots, the extra-set counts
// and the index checks that keep every table read inside its bounds.
#include <string>
#include <utility>
#include <vector>

#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_builders.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_file_writer.h"

namespace {

using namespace tools::writers;
using tessera::test::richModel;

size_t occurrences(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

class PartData : public ModelReaderTest {
protected:
    L3DPartData& loadPart(const ModelFile& model) {
        open(writeModelFile(model));
        data_.Load(file_);
        return *data_.GetPartDataFromNumber(1);
    }
    std::string failure(const ModelFile& model) {
        open(writeModelFile(model));
        const size_t before = log_.text().size();
        L3DObjectData data;
        EXPECT_THROW(data.Load(file_), LExceptGame);
        return log_.text().substr(before);
    }

    L3DObjectData data_;
};

// A version 1 model of one part: `bones` root bones, bone k weighting through map "wk", and a
// mesh of `corners` corners.
ModelFile weightedModel(uint32_t bones, uint32_t corners) {
    ModelFile model;
    model.version = 1;
    ModelPart part;
    ModelMesh& mesh = part.meshes[0];
    mesh.corners.assign(corners, {0, 0, 0, 0});
    mesh.positions = {{0, 0, 0}};
    for (uint32_t k = 0; k < bones; ++k) {
        const std::string map = "w" + std::to_string(k);
        part.bones.push_back(ModelBone{"b" + std::to_string(k), map, {}, {}, 0, {}});
        part.weightMaps.push_back({map, {}});
    }
    model.parts = {part};
    return model;
}

TEST_F(PartData, CompiledWeightsKeepFourSlotsAndSumToOne) {
    struct Row {
        const char* name;
        std::vector<std::pair<uint32_t, float>> entries;  // (bone, weight) of corner 0
        std::vector<float> weights;
        uint32_t boneBytes;
        uint32_t maxBlend;
        size_t blendWarnings;
    };
    const Row rows[] = {
        {"three weights, one too small",
         {{0, 0.5f}, {1, 0.3f}, {2, 0.0005f}},
         {0.625f, 0.375f},
         0x0201,
         2,
         0},
        {"no weights", {}, {1.0f}, 0, 0, 0},
        {"five bones",
         {{0, 0.2f}, {1, 0.2f}, {2, 0.2f}, {3, 0.2f}, {4, 0.2f}},
         {0.25f, 0.25f, 0.25f, 0.25f},
         0x05030201,
         4,
         1},
        {"one bone twice", {{0, 0.5f}, {0, 0.5f}}, {0.5f, 0.5f}, 0x0101, 2, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModelFile model = weightedModel(5, 3);
        for (const auto& [bone, weight] : row.entries)
            model.parts[0].weightMaps[bone].entries.push_back({0, 0, {weight}});
        L3DObjectData data;
        open(writeModelFile(model));
        data.Load(file_);
        L3DPartData& part = *data.GetPartDataFromNumber(1);
        const std::string before = log_.text();
        part.CompileRuntime();

        ASSERT_EQ(part.runtimeCount, 1u);
        const L3D_PARTDATA_RUNTIME& runtime = part.runtimes[0];
        EXPECT_EQ(runtime.vertexCount, 3u);
        EXPECT_EQ(runtime.maxBlendCount, row.maxBlend);
        const L3D_RENDERER_VERTEX& vertex = runtime.vertices[0];
        for (size_t slot = 0; slot < 4; ++slot)
            EXPECT_FLOAT_EQ(vertex.weights[slot],
                            slot < row.weights.size() ? row.weights[slot] : 0.0f);
        EXPECT_EQ(vertex.boneIndices, row.boneBytes);
        const std::string log = log_.text().substr(before.size());
        EXPECT_EQ(occurrences(log, sjis("最大頂点ブレンド数が多すぎます")), row.blendWarnings);
        EXPECT_EQ(occurrences(log, sjis("最大ボーン数が多すぎます")), 0u);
    }
}

TEST_F(PartData, CompiledMeshesCopyTheCornersTablesAndIndices) {
    ModelFile model = richModel(1);
    L3DPartData& part = loadPart(model);
    EXPECT_EQ(part.runtimeCount, 0u);
    part.CompileRuntime();
    ASSERT_EQ(part.runtimeCount, 1u);
    const L3D_PARTDATA_RUNTIME& runtime = part.runtimes[0];
    EXPECT_EQ(runtime.sourceMesh, &part.meshes[0]);
    const L3D_RENDERER_VERTEX& vertex = runtime.vertices[1];
    EXPECT_EQ(vertex.x, 1.0f);
    EXPECT_EQ(vertex.nz, 1.0f);
    EXPECT_EQ(vertex.color, 0xFF405060u);
    EXPECT_EQ(vertex.u, 1.0f);
    // Corner 1: half root, half tip; the used-bone list names both.
    EXPECT_EQ(vertex.boneIndices, 0x0201u);
    ASSERT_EQ(runtime.usedBoneCount, 2u);
    EXPECT_EQ(runtime.usedBones[1], 2u);
    EXPECT_EQ(runtime.indexByteCount, 6u);
    EXPECT_EQ(runtime.indices[2], 2u);
    EXPECT_EQ(runtime.primitiveCount, 1u);
    EXPECT_FALSE(runtime.vertices3);
    EXPECT_NE(log_.text().find("[L3DPartData::CompileRuntime] Part \"body\": MaxBlend(2), "
                               "MaxBone(2)"),
              std::string::npos);
}

TEST_F(PartData, MoreThan255BonesInAMeshWarn) {
    for (uint32_t bones : {255u, 256u}) {
        SCOPED_TRACE(bones);
        ModelFile model = weightedModel(bones, bones);
        for (uint32_t k = 0; k < bones; ++k)
            model.parts[0].weightMaps[k].entries.push_back({0, k, {1.0f}});
        L3DObjectData data;
        open(writeModelFile(model));
        data.Load(file_);
        const std::string before = log_.text();
        data.GetPartDataFromNumber(1)->CompileRuntime();
        EXPECT_EQ(occurrences(log_.text().substr(before.size()), sjis("最大ボーン数が多すぎます")),
                  bones == 256 ? 1u : 0u);
    }
}

// Corner indices past 65535 are cut to 16 bits as before, but now with a warning.
TEST_F(PartData, CompiledIndicesPast65535Warn) {
    ModelFile model = weightedModel(0, 65537);
    model.parts[0].meshes[0].indices = {0, 65535, 65536};
    L3DPartData& part = loadPart(model);
    part.CompileRuntime();
    EXPECT_EQ(part.runtimes[0].indices[1], 65535u);
    EXPECT_EQ(part.runtimes[0].indices[2], 0u);
    EXPECT_NE(log_.text().find("index past 65535 cut to 16 bits"), std::string::npos);
}

TEST_F(PartData, BonesAreNumberedInPreOrder) {
    ModelFile model = richModel(16);
    ModelBone a1{"a1", "", {}, {}, 0, {}};
    ModelBone a{"a", "", {}, {}, 0, {a1}};
    ModelBone b{"b", "", {}, {}, 0, {}};
    model.parts[1].bones = {ModelBone{"r", "", {}, {}, 0, {a, b}}};
    open(writeModelFile(model));
    data_.Load(file_);
    L3DPartData& part = *data_.GetPartDataFromNumber(2);
    ASSERT_EQ(part.flatBoneCount, 4u);
    const char* expected[] = {"r", "a", "a1", "b"};
    for (uint32_t n = 1; n <= 4; ++n) {
        EXPECT_STREQ(data_.GetPartBoneDataFromNumber(&part, n)->name, expected[n - 1]);
        EXPECT_STREQ(part.flatBones[n - 1]->name, expected[n - 1]);
    }
    EXPECT_STREQ(part.FindBone("A1")->name, "a1");
    EXPECT_FALSE(part.FindBone(""));
    EXPECT_FALSE(part.FindBone("a2"));
}

TEST_F(PartData, MapLookUps) {
    L3DPartData& part = loadPart(richModel(16));
    EXPECT_FALSE(part.GetMmapDataFromNumber(0));
    EXPECT_STREQ(part.GetMmapDataFromNumber(1)->name, "smile");
    EXPECT_THROW(part.GetMmapDataFromNumber(2), LExceptGame);
    EXPECT_STREQ(part.GetBoneWeightMap(part.rootBones[0])->name, "w_root");
    EXPECT_STREQ(part.FindWeightMap("W_TIP")->name, "w_tip");
    EXPECT_FALSE(part.FindWeightMap(""));
}

TEST_F(PartData, PivotsOfOldFilesNeedTriangleLists) {
    ModelFile model = richModel(7);
    model.parts[1].meshes[0].primitiveType = 5;
    EXPECT_EQ(failure(model), sjis("[L3DPartData::CalcMatPivot] この形式に対応していない\n"));
    model.version = 8;
    EXPECT_EQ(loadPart(model).meshes[0].primitiveType, 4u);
    EXPECT_EQ(data_.GetPartDataFromNumber(2)->meshes[0].primitiveType, 5u);

    L3D_PARTDATA_MESH empty{};
    empty.primitiveType = 4;
    float pivot[3] = {9, 9, 9};
    L3DPartData::CalcMatPivot(empty, pivot);
    EXPECT_EQ(pivot[0], 0.0f);
}

TEST_F(PartData, ExtraSetCountsMustMatch) {
    ModelFile model = richModel(16);
    model.parts[0].meshes[0].extraCount = 2;
    EXPECT_EQ(failure(model), sjis("[L3DPartData::_Load] 頂点の追加情報の数がおかしい(2/3)\n"));
    model = richModel(16);
    model.parts[0].runtimes[0].threeSetCount = 2;
    model.parts[0].runtimes[0].extraUvs.resize(2);
    EXPECT_EQ(failure(model),
              sjis("[L3DPartData::_Load] パックされた頂点の追加情報の数がおかしい(2/3)\n"));
    // Zero means no extra set.
    model = richModel(16);
    model.parts[0].meshes[0].extraUvs.clear();
    model.parts[0].runtimes[0].extraUvs.clear();
    L3DPartData& part = loadPart(model);
    EXPECT_FALSE(part.meshes[0].extraUvs);
    EXPECT_FALSE(part.runtimes[0].vertices3);
}

TEST_F(PartData, IndicesPastTheirTablesFailAsShortReads) {
    struct Case {
        const char* name;
        void (*change)(ModelPart&);
    };
    const Case cases[] = {
        {"run-time mesh index", [](ModelPart& p) { p.runtimes[0].meshIndex = 1; }},
        {"corner index", [](ModelPart& p) { p.meshes[0].indices[2] = 3; }},
        {"position index", [](ModelPart& p) { p.meshes[0].corners[0][0] = 3; }},
        {"normal index", [](ModelPart& p) { p.meshes[0].corners[0][1] = 1; }},
        {"colour index", [](ModelPart& p) { p.meshes[0].corners[0][2] = 2; }},
        {"texture-coordinate index", [](ModelPart& p) { p.meshes[0].corners[0][3] = 3; }},
        {"extra set index", [](ModelPart& p) { p.meshes[0].extraUvs[1][1] = 3; }},
        {"primitive count", [](ModelPart& p) { p.meshes[0].primitiveCount = 2; }},
        {"map entry mesh", [](ModelPart& p) { p.weightMaps[0].entries[0].mesh = 1; }},
        {"map entry corner", [](ModelPart& p) { p.morphMaps[0].entries[0].corner = 3; }},
        {"16-bit index", [](ModelPart& p) { p.runtimes[0].indices[0] = 3; }},
        {"run-time primitive count", [](ModelPart& p) { p.runtimes[0].primitiveCount = 2; }},
        {"vertex count", [](ModelPart& p) { p.runtimes[0].vertices.pop_back(); }},
        {"bone byte", [](ModelPart& p) { p.runtimes[0].vertices[2].bones[1] = 3; }},
        {"used bone past the bones", [](ModelPart& p) { p.runtimes[0].usedBones[0] = 3; }},
        {"used bone 0", [](ModelPart& p) { p.runtimes[0].usedBones[0] = 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelFile model = richModel(16);
        c.change(model.parts[0]);
        if (model.parts[0].runtimes[0].vertices.size() == 2)
            model.parts[0].runtimes[0].extraUvs.pop_back();
        EXPECT_EQ(failure(model), readFailedText());
    }
}

}  // namespace
