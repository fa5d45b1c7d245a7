// The definition file: images with their textures and batch keys, image definitions, models,
// and the refusals of definitions that point outside their tables.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/effects/effect_fixture.h"

namespace tessera::test {
namespace {

using tools::writers::EffectDefinition;

class EffectDefinitionFile : public EffectTest {
protected:
    // The file "effect/effdef.dat" with its pack path.
    std::string path() const { return dir_.path() + "/effect/effdef.dat"; }
};

TEST_F(EffectDefinitionFile, LoadsImagesDefinitionsAndModels) {
    useDevice();
    EffectDefinition definition = smallDefinition(2, 0);
    definition.imageOptions = {0, 1};
    definition.imageDefs[1].left = 0.25f;
    definition.imageDefs[1].colour = {0.5f, 0.25f, 1.0f, 0.75f};
    definition.imageDefs[1].blend = 11;
    definition.imageDefs[1].pivotY = 0.0f;
    tools::writers::EffectModel model;
    model.vertices.resize(2);
    model.vertices[1].position = {1.0f, 2.0f, 3.0f};
    model.vertices[1].s = 0.5f;
    model.indices = {1, 0x10000, 1};  // kept as 16-bit indices
    definition.models = {model};
    setProp(definition);

    EXPECT_STREQ(manager_.name, "effect/effdef");
    ASSERT_EQ(manager_.imageCount, 2u);
    for (uint32_t i = 0; i < 2; ++i) {
        const L3DEffectManagerItemA& image = manager_.images[i];
        ASSERT_TRUE(image.texture);
        EXPECT_STREQ(image.texture->name, ("0/effect/effdef" + std::to_string(i)).c_str());
        for (uint32_t blend = 0; blend < 12; ++blend) {
            EXPECT_EQ(image.keys[blend].blend, blend);
            EXPECT_EQ(image.keys[blend].texture, image.texture->texture);
        }
    }
    ASSERT_EQ(manager_.imageDefCount, 2u);
    const L3D_EFFECT_IMAGEDEF& def = manager_.imageDefs[1];
    EXPECT_EQ(def.image, 1u);
    EXPECT_EQ(def.left, 0.25f);
    EXPECT_EQ(def.pivotX, 0.5f);
    EXPECT_EQ(def.pivotY, 0.0f);
    EXPECT_EQ(def.colour[1], 0.25f);
    EXPECT_EQ(def.colour[3], 0.75f);
    EXPECT_EQ(def.blend, 11u);
    ASSERT_EQ(manager_.modelCount, 1u);
    const L3DEffectManagerItemB& loaded = manager_.models[0];
    ASSERT_EQ(loaded.vertexCount, 2u);
    EXPECT_EQ(loaded.vertices[1].position[2], 3.0f);
    EXPECT_EQ(loaded.vertices[1].s, 0.5f);
    EXPECT_EQ(loaded.vertices[1].colour[3], 1.0f);
    ASSERT_EQ(loaded.indexCount, 3u);
    EXPECT_EQ(loaded.indices[0], 1);
    EXPECT_EQ(loaded.indices[1], 0);
}

TEST_F(EffectDefinitionFile, AMissingFileLeavesEmptyTables) {
    useDevice();
    setProp(smallDefinition(1, 1));
    l3dLogThreshold = 3;
    manager_.SetProp(pack_, "effect/none");
    l3dLogThreshold = 2;
    EXPECT_EQ(manager_.imageCount, 0u);
    EXPECT_EQ(manager_.imageDefCount, 0u);
    EXPECT_EQ(manager_.modelCount, 0u);
    const std::string bare = dir_.path() + "/effect/none";
    EXPECT_NE(log_.text().find("[L3DEffectManager::_LoadProp] load define prop \"" + bare + "\"\n"),
              std::string::npos);
    EXPECT_NE(log_.text().find("[L3DEffectManager::_LoadProp] \"" + bare + "\" isn't exist.\n"),
              std::string::npos);
}

TEST_F(EffectDefinitionFile, DefinitionsOutsideTheirTablesAreRefused) {
    useDevice();
    const std::string header =
        "[L3DEffectManager::SetProp] システム定義ファイル \"" + path() + "\" のヘッダが異常";
    struct Case {
        const char* what;
        EffectDefinition definition;
        std::string text;
    };
    EffectDefinition badMagic = smallDefinition(0, 0);
    badMagic.magic = 0x44534646;
    EffectDefinition badVersion = smallDefinition(0, 0);
    badVersion.version = 1;
    EffectDefinition badImage = smallDefinition(1, 0);
    badImage.imageDefs[0].image = 1;
    EffectDefinition badBlend = smallDefinition(1, 0);
    badBlend.imageDefs[0].blend = 12;
    EffectDefinition badIndex = smallDefinition(0, 1);
    badIndex.models[0].indices = {0, 1, 3};
    EffectDefinition wrappedIndex = smallDefinition(0, 1);
    wrappedIndex.models[0].indices = {0, 1, 0x10003};
    const Case cases[] = {
        {"magic", badMagic, header},
        {"version", badVersion,
         "[L3DEffectManager::SetProp] システム定義ファイル \"" + path() + "\" のバージョンが異常"},
        {"image index", badImage, header},
        {"blend", badBlend, "[L3DEffectManager::SetProp] 未対応のblend(12)"},
        {"vertex index", badIndex, header},
        {"vertex index past 16 bits", wrappedIndex, header},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectFatal([&] { setProp(c.definition); }, c.text);
    }
}

TEST_F(EffectDefinitionFile, CountsPastTheFileAreShortReads) {
    // Image, image-definition, model, vertex and index counts of 2^32 - 1, each in a file that
    // ends right after it.
    const std::string text = "ファイル \"" + path() + "\" を読み込めませんでした。";
    EffectDefinition oneEmptyModel = smallDefinition(0, 0);
    oneEmptyModel.models.resize(1);
    const std::string bytes = tools::writers::effectDefinitionFile(oneEmptyModel);
    for (size_t at : {8u, 12u, 16u, 20u, 24u}) {
        SCOPED_TRACE(at);
        std::string cut = bytes.substr(0, at + 4);
        for (size_t i = 0; i < 4; ++i) cut[at + i] = static_cast<char>(0xFF ^ ((at + i) & 0xFF));
        writeFile("effect/effdef.dat", cut);
        expectFatal([&] { manager_.SetProp(pack_, "effect/effdef"); }, text);
    }
}

}  // namespace
}  // namespace tessera::test
