// Whole model files: every version with every optional section, the bad inputs the loader
// refuses, and the look-ups of a loaded model.
#include <string>

#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_builders.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_file_writer.h"

namespace {

using namespace tools::writers;
using tessera::test::richModel;

class ObjectData : public ModelReaderTest {
protected:
    L3DObjectData& load(const ModelFile& model) {
        open(writeModelFile(model));
        data_.Load(file_);
        return data_;
    }
    // The fatal text of loading the model.
    std::string failure(const ModelFile& model) {
        open(writeModelFile(model));
        const size_t before = log_.text().size();
        L3DObjectData data;
        EXPECT_THROW(data.Load(file_), LExceptGame);
        return log_.text().substr(before);
    }
    template <class T>
    static T& nth(mirel::DList<T>& list, uint32_t index) {
        auto it = list._GetFirstNode();
        for (uint32_t i = 0; i < index; ++i) it = it.Next();
        return *it.GetRef();
    }
    static std::string text(const L3D_NAMEREF& ref) {
        return ref.text ? std::string(ref.text, ref.length) : "<none>";
    }

    L3DObjectData data_;
};

TEST_F(ObjectData, EveryVersionReadsEverySectionUpToTheSentinel) {
    for (uint32_t version : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 13u, 14u, 15u, 16u}) {
        SCOPED_TRACE(version);
        L3DObjectData data;
        open(writeModelFile(richModel(version)));
        data.Load(file_);
        ASSERT_EQ(data.anims.Count(), 2u);
        EXPECT_STREQ(nth(data.anims, 1).name.Text(), "sentinel");
        EXPECT_EQ(nth(data.anims, 1).endFrame, 0x5E47u);
        EXPECT_STREQ(data.name.Text(), "rich");
        EXPECT_EQ(text(nth(data.texAreas, 0).areaName), "skin");
        EXPECT_EQ(nth(data.shaderOptions, 0).addressFlag, version >= 14 ? 14u : 0u);

        L3DPartData& body = nth(data.parts, 0);
        EXPECT_STREQ(body.name.Text(), "body");
        EXPECT_EQ(body.colours[1], 0xFF405060u);
        const L3D_PARTDATA_MESH& mesh = body.meshes[0];
        EXPECT_STREQ(mesh.textureName, "skin");
        // Files of version 7 and older store no pivot: the box centre of the triangle.
        EXPECT_EQ(mesh.pivot[0], version >= 8 ? 0.25f : 0.5f);
        EXPECT_EQ(mesh.flags, version >= 8 ? 0u : L3D_PARTDATA_MESH::FlagPivotComputed);
        EXPECT_EQ(bool(mesh.extraUvs), version >= 16);
        EXPECT_EQ(body.rootBones[0].children[0].flags, version >= 15 ? 1u : 0u);
        EXPECT_EQ(body.runtimeCount, version >= 2 ? 1u : 0u);
        if (version >= 2) {
            EXPECT_EQ(body.flatBoneCount, 2u);
            EXPECT_EQ(body.runtimes[0].sourceMesh, &mesh);
            EXPECT_EQ(body.runtimes[0].vertices[1].boneIndices, 0x0201u);
            EXPECT_EQ(bool(body.runtimes[0].vertices3), version >= 16);
        }

        L3DPartGroupData& group = nth(data.partGroups, 0);
        EXPECT_EQ(group.owner, &data);
        L3DPartInfoData& hung = nth(group.members, 1);
        EXPECT_STREQ(hung.part->name.Text(), "arm");
        EXPECT_EQ(hung.parentPart.Get(), &body);
        EXPECT_STREQ(hung.parentBone->name, "tip");
        EXPECT_EQ(data.collGroups.Count(), version >= 4 ? 1u : 0u);
        if (version >= 4) {
            L3D_COLLDATA_SPHERE& sphere = nth(nth(data.collGroups, 0).spheres, 0);
            EXPECT_STREQ(sphere.bone->name, "tip");
            EXPECT_EQ(sphere.radius, version == 5 || version == 6 ? 0.0f : 0.75f);
        }

        L3DAnimData& walk = nth(data.anims, 0);
        EXPECT_EQ(walk.flags, 1u);  // bit 1 cleared
        EXPECT_EQ(walk.partGroup.Get(), &group);
        EXPECT_EQ(walk.motions.Count(), 2u);
        L3D_ANIMDATA_MOT& boneMotion = *walk.GetMotion(&body, body.rootBones[0].children.Get());
        L3D_ANIMDATA_MORPHGROUP& face = nth(boneMotion.morphGroups, 0);
        EXPECT_STREQ(nth(face.morphs, 0).morphMap->name, "smile");
        EXPECT_FALSE(nth(face.morphs, 1).morphMap);
        L3D_ANIMDATA_KEY& last = nth(walk.GetMotion(&body, nullptr)->keys, 1);
        EXPECT_EQ(last.frame, 30u);
        EXPECT_EQ(last.translation[2], 3.0f);
        EXPECT_EQ(last.rotation[3], 1.0f);
    }
}

TEST_F(ObjectData, BadInputsStopWithTheirTexts) {
    struct Case {
        const char* name;
        void (*change)(ModelFile&);
        std::string text;
    };
    const Case cases[] = {
        {"magic", [](ModelFile& m) { m.magic = 0x4F44334D; },
         "[L3DObjectData::Load] ファイルの形式がおかしい"},
        {"version 17", [](ModelFile& m) { m.version = 17; },
         "[L3DObjectData::Load] サポートしていないバージョン(17)"},
        {"shader kind 7", [](ModelFile& m) { m.parts[0].shaderOptions[0].kind = 7; },
         "[L3DObjectData::_LoadShader] 未対応のシェーダタイプ(7)"},
        {"NAME of 263 bytes", [](ModelFile& m) { m.parts[0].meshes[0].material.assign(263, 'm'); },
         "ファイル \"model.dgo\" を読み込めませんでした。"},
        {"REF past its pool", [](ModelFile& m) { m.texAreas[0].areaName = modelRef(14, 3); },
         "ファイル \"model.dgo\" を読み込めませんでした。"},
        {"part number past the parts", [](ModelFile& m) { m.partGroups[0].members[0].part = 3; },
         "[L3DObjectData::GetPartDataFromNumber] 指定された番号のパーツは存在しない"},
        {"bone number past the bones",
         [](ModelFile& m) { m.partGroups[0].members[1].parentBone = 3; },
         "[L3DObjectData::GetPartBoneDataFromNumber] 指定された番号のボーンは存在しない"},
        {"part group number past the groups", [](ModelFile& m) { m.anims[0].partGroup = 2; },
         "[L3DObjectData::GetPartGroupDataFromNumber] "
         "指定された番号のパーツグループは存在しない"},
        {"morph map number past the maps",
         [](ModelFile& m) { m.anims[0].motions[1].morphGroups[0].keys[0].morphMap = 2; },
         "[L3DPartData::GetMmapDataFromNumber] 指定された番号のモーフマップが見つからない"},
        {"collision type 7", [](ModelFile& m) { m.collGroups[0].type = 7; },
         "[L3DCollGroupData::_SetFlagsFromType] 認識できない種類(7)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ModelFile model = richModel(16);
        c.change(model);
        EXPECT_EQ(failure(model), sjis(c.text) + "\n");
    }
}

// The REF rules: P = 0 is no name whatever B and N say; a pool keeps the bytes after an
// inner NUL; a reference may end exactly at the pool's end.
TEST_F(ObjectData, ReferencesResolveInsideTheWholePool) {
    ModelFile model = richModel(16);
    model.texAreas[0].areaName = {0, 0x1000, 99};
    model.texAreas[0].partName = modelRef(9, 7);
    model.texAreas[0].materialName = modelRef(16, 0);
    L3DObjectData& data = load(model);
    const L3D_OBJDATA_TEXAREA& area = nth(data.texAreas, 0);
    EXPECT_EQ(area.areaName.text, nullptr);
    EXPECT_EQ(area.areaName.length, 0u);
    EXPECT_EQ(text(area.partName), "tex.dds");
    EXPECT_EQ(data.pool.Length(), 3u);  // the text ends at the first NUL, the pool does not
    EXPECT_EQ(area.materialName.length, 0u);
}

TEST_F(ObjectData, LookUpsByNumberAddressAndName) {
    ModelFile model = richModel(16);
    ModelPart arm2 = model.parts[1];
    arm2.name = "arm2";
    model.parts.push_back(arm2);
    L3DObjectData& data = load(model);

    EXPECT_FALSE(data.GetPartDataFromNumber(0));
    EXPECT_STREQ(data.GetPartDataFromNumber(3)->name.Text(), "arm2");
    EXPECT_THROW(data.GetPartDataFromNumber(4), LExceptGame);
    EXPECT_FALSE(data.GetPartGroupDataFromNumber(0));
    EXPECT_EQ(data.GetPartGroupDataFromNumber(1).Get(), &nth(data.partGroups, 0));
    EXPECT_THROW(data.GetPartGroupDataFromNumber(2), LExceptGame);

    L3DPartData* body = data.GetPartDataFromNumber(1).Get();
    EXPECT_FALSE(data.GetPartBoneDataFromNumber(body, 0));
    EXPECT_FALSE(data.GetPartBoneDataFromNumber(nullptr, 1));
    EXPECT_STREQ(data.GetPartBoneDataFromNumber(body, 2)->name, "tip");
    EXPECT_THROW(data.GetPartBoneDataFromNumber(body, 3), LExceptGame);

    EXPECT_EQ(data.FindPartData("ARM").Get(), &nth(data.parts, 1));
    EXPECT_EQ(data.FindPartData("Arm2").Get(), &nth(data.parts, 2));
    EXPECT_FALSE(data.FindPartData("ar"));

    EXPECT_EQ(data.GetValidPartData(body).Get(), body);
    L3DPartData stranger;
    EXPECT_THROW(data.GetValidPartData(&stranger), LExceptGame);
    EXPECT_EQ(data.GetValidAnimData(&nth(data.anims, 1)).Get(), &nth(data.anims, 1));
    L3DAnimData otherAnim;
    EXPECT_THROW(data.GetValidAnimData(&otherAnim), LExceptGame);
    EXPECT_EQ(log_.text(),
              sjis("[L3DObjectData::GetPartDataFromNumber] 指定された番号のパーツは存在しない\n"
                   "[L3DObjectData::GetPartGroupDataFromNumber] "
                   "指定された番号のパーツグループは存在しない\n"
                   "[L3DObjectData::GetPartBoneDataFromNumber] 指定された番号のボーンは存在しない\n"
                   "[L3DObjectData::GetValidPartData] 有効なパーツが見つかりませんでした\n"
                   "[L3DObjectData::GetValidAnimData] 有効なアニメが見つかりませんでした\n"));
}

// Versions 0 and 13/14 differ by one word each: misreading it loses the sentinel.
TEST_F(ObjectData, VersionZeroReadsItsReservedWord) {
    ModelFile model = richModel(0);
    model.reserved = 0xFFFFFFFF;
    L3DObjectData& data = load(model);
    EXPECT_STREQ(nth(data.anims, 1).name.Text(), "sentinel");
}

// A count the rest of the file cannot hold fails before anything is allocated for it.
TEST_F(ObjectData, CountsLargerThanTheFileFailAsShortReads) {
    for (uint32_t field : {0u, 1u}) {
        SCOPED_TRACE(field);
        ScrambledFieldWriter out;
        out.u32(ModelFileMagic);
        out.u32(16);
        out.string("model");
        out.string("");
        for (int section = 0; section < 3; ++section) out.u32(0);
        if (field == 0) {
            out.u32(0xFFFFFFFF);  // parts
        } else {
            out.u32(1);
            out.string("part");
            out.string("");
            out.u32(0x40000000);  // colours
        }
        out.bytes(std::string(64, '\0'));
        open(out.data());
        L3DObjectData data;
        EXPECT_THROW(data.Load(file_), LExceptGame);
    }
    EXPECT_EQ(log_.text(), readFailedText() + readFailedText());
}

}  // namespace
