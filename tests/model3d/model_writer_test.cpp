// The model-file writer against bytes worked out by hand from the file layout (shown here
// unscrambled), and those files read back.
#include <string>

#include "model3d/L3DObjectData.h"
#include "tests/model3d/model_fixture.h"
#include "tools/writers/model_file_writer.h"

namespace {

using namespace tools::writers;

std::string fromHex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ' || hex[i] == '|') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

std::string unscrambled(std::string bytes) {
    scrambleFields(bytes);
    return bytes;
}

class ModelFileWriter : public ModelReaderTest {};

// Version 0: the reserved word after the pool, the old collision list and old block B.
TEST_F(ModelFileWriter, VersionZeroModelByHand) {
    ModelFile model;
    model.version = 0;
    model.name = "m";
    model.reserved = 7;
    model.fullOldSections = false;
    const std::string expected = fromHex(
        "4C33444F 00000000 01000000 6D 00000000 07000000 | 00000000 00000000 00000000 |"
        "00000000 00000000 | 00000000 00000000 | 00000000");
    EXPECT_EQ(unscrambled(writeModelFile(model)), expected);

    open(writeModelFile(model));
    L3DObjectData data;
    data.Load(file_);
    EXPECT_STREQ(data.name.Text(), "m");
}

// Version 15: a collision group of one sphere with radius, and an animation of one key.
TEST_F(ModelFileWriter, CollisionGroupAndKeyByHand) {
    ModelFile model;
    model.version = 15;
    model.name = "";
    model.collGroups = {ModelCollGroup{"c", "", 6, 0x10001, {ModelSphere{0, 0, {1, 0, 0}, 2.0f}}}};
    ModelAnim anim;
    anim.name = "a";
    anim.flags = 2;
    anim.endFrame = 9;
    ModelMotion motion;
    motion.part = 0;
    motion.keys = {ModelKey{0, 1}};
    anim.motions = {motion};
    model.anims = {anim};
    const std::string expected = fromHex(
        "4C33444F 0F000000 00000000 00000000 | 00000000 00000000 00000000 |"
        "00000000 00000000 01000000 |"
        "01000000 63 00000000 06000000 01000100 01000000 |"
        "00000000 00000000 0000803F 00000000 00000000 00000040 |"
        "01000000 01000000 61 00000000 02000000 09000000 00000000 00000000 |"
        "00000000 00000000 00000000 | 01000000 00000000 00000000 01000000 |"
        "00000000 01000000 00000000 00000000 00000000 |"
        "00000000 00000000 00000000 0000803F | 0000803F 0000803F 0000803F | 00000000");
    EXPECT_EQ(unscrambled(writeModelFile(model)), expected);

    open(writeModelFile(model));
    L3DObjectData data;
    data.Load(file_);
    L3DCollGroupData& group = *data.collGroups._GetFirstRef();
    EXPECT_EQ(group.type, 6u);
    EXPECT_EQ(group.flags, 0x10001u);
    EXPECT_EQ(group.spheres._GetFirstRef()->radius, 2.0f);
    L3DAnimData& read = *data.anims._GetFirstRef();
    EXPECT_EQ(read.flags, 0u);
    const L3D_ANIMDATA_KEY& key = *read.motions._GetFirstRef()->keys._GetFirstRef();
    EXPECT_EQ(key.flags, 1u);
    EXPECT_EQ(key.scale[1], 1.0f);
}

}  // namespace
