// Collision groups by type and version, sphere records, and the member and motion look-ups.
#include <string>

#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_builders.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_file_writer.h"

namespace {

using namespace tools::writers;
using tessera::test::richModel;

class Groups : public ModelReaderTest {
protected:
    L3DObjectData& load(const ModelFile& model) {
        open(writeModelFile(model));
        data_.Load(file_);
        return data_;
    }
    L3DCollGroupData& coll() { return *data_.collGroups._GetFirstRef(); }

    L3DObjectData data_;
};

TEST_F(Groups, CollisionTypesSetTheBoundFlag) {
    struct Case {
        uint32_t version;
        uint32_t type;
        uint32_t flags;
        uint32_t expectedType;
        uint32_t expectedFlags;
    };
    const Case cases[] = {
        {14, 6, 0, 0, 0},       {15, 6, 0, 6, 0x10000},    {16, 1, 0x10001, 1, 1},
        {16, 3, 0, 3, 0x10000}, {16, 5, 0x12, 5, 0x10012}, {4, 2, 0x10000, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.version << "/" << c.type << "/" << c.flags);
        ModelFile model = richModel(c.version);
        model.collGroups[0].type = c.type;
        model.collGroups[0].flags = c.flags;
        load(model);
        EXPECT_EQ(coll().type, c.expectedType);
        EXPECT_EQ(coll().flags, c.expectedFlags);
        EXPECT_EQ(coll().owner, &data_);
    }
}

// Spheres of versions 5 and 6 store a dropped block where the radius would be: 32 bytes after
// the two numbers instead of 16, and radius 0 with one log line.
TEST_F(Groups, SphereRecordsBySize) {
    for (uint32_t version : {6u, 7u}) {
        SCOPED_TRACE(version);
        ModelFile model = richModel(version);
        ModelFile twoSpheres = model;
        twoSpheres.collGroups[0].spheres.push_back(ModelSphere{2, 0, {1, 2, 3}, 4.0f});
        const size_t grown = writeModelFile(twoSpheres).size() - writeModelFile(model).size();
        EXPECT_EQ(grown, version == 6 ? 8u + 24u : 8u + 16u);
        load(twoSpheres);
        const L3D_COLLDATA_SPHERE& second = *coll().spheres._GetFirstNode().Next().GetRef();
        EXPECT_EQ(second.centre[2], 3.0f);
        EXPECT_EQ(second.radius, version == 6 ? 0.0f : 4.0f);
        EXPECT_FALSE(second.bone);
    }
    EXPECT_EQ(log_.text().find("stores no radius") != std::string::npos, true);
}

TEST_F(Groups, LookUpsOfMembersAndMotions) {
    L3DObjectData& data = load(richModel(16));
    L3DPartGroupData& group = *data.partGroups._GetFirstRef();
    L3DPartData* body = data.GetPartDataFromNumber(1).Get();
    L3DPartData* arm = data.GetPartDataFromNumber(2).Get();
    EXPECT_EQ(group.GetInfo(arm)->pivot[0], 0.5f);
    EXPECT_EQ(group.GetInfo(body)->parentPart.Get(), nullptr);
    L3DPartData stranger;
    EXPECT_THROW(group.GetInfo(&stranger), LExceptGame);

    L3DAnimData& walk = *data.anims._GetFirstRef();
    EXPECT_EQ(walk.GetMotion(body, nullptr)->keys.Count(), 2u);
    EXPECT_THROW(walk.GetMotion(arm, nullptr), LExceptGame);
    EXPECT_EQ(log_.text(), sjis("[L3DPartGroupData::GetInfo] 指定されたパーツは存在しない\n"
                                "[L3DAnimData::GetMotion] 指定されたモーションは無い\n"));
}

TEST_F(Groups, AnimationsWithoutPartGroupsOrMorphMaps) {
    ModelFile model = richModel(16);
    model.anims[0].partGroup = 0;
    model.anims[0].motions[1].morphGroups[0].keys[0].morphMap = 0;
    L3DObjectData& data = load(model);
    L3DAnimData& walk = *data.anims._GetFirstRef();
    EXPECT_FALSE(walk.partGroup);
    L3D_ANIMDATA_MOT& motion = *walk.motions._GetFirstNode().Next().GetRef();
    EXPECT_FALSE(motion.morphGroups._GetFirstRef()->morphs._GetFirstRef()->morphMap);
}

}  // namespace
