// Textures and sound-effect group files by name, over a headless System and files of the
// default pack written beside the executable.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/system/system.h"
#include "foundation/pack/pack_registry.h"
#include "framework/file/file.h"
#include "model3d/object/Da3dObject.h"
#include "render3d/L3DRenderer.h"
#include "tests/engine/engine_fixture.h"
#include "tests/framework/support/pack_provider.h"
#include "tests/model3d/model_builders.h"
#include "tools/writers/apfc_writer.h"
#include "tools/writers/model_file_writer.h"
#include "tools/writers/png_writer.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

using tessera::test::richModel;
using tools::writers::seGroupFile;

class ByNameTest : public EngineTest {
protected:
    // A 2x2 PNG below the executable's folder.
    void writeTexture(const std::string& name) {
        const std::string path = writeBesideExecutable(name, "");
        ASSERT_TRUE(tools::writers::writePng(path, 2, 2, std::vector<uint32_t>(4, 0xFF336699)));
    }
};

TEST_F(ByNameTest, TexturesResolveAgainstTheDirectoryAndLoadOnce) {
    writeTexture("chr/a/skin.png");
    System& system = startSystem();
    mirel::rcptr<L3DTexture> byDirectory;
    Da3dObject::loadTexture(u"chr/a/", u"skin", byDirectory, system, 0);
    ASSERT_TRUE(byDirectory);
    EXPECT_EQ(byDirectory->width, 2u);

    // The same name again, by its full name or through "..", is the texture already loaded.
    const struct {
        const char16_t* directory;
        const char16_t* name;
    } sameTexture[] = {{nullptr, u"chr/a/skin"}, {u"chr/a/", u"./skin"}, {u"chr/b/", u"../a/skin"}};
    for (const auto& c : sameTexture) {
        mirel::rcptr<L3DTexture> again;
        if (c.directory)
            Da3dObject::loadTexture(c.directory, c.name, again, system, 0);
        else
            Da3dObject::loadTextureByName(system, c.name, again, 0);
        EXPECT_EQ(again.Get(), byDirectory.Get());
    }
}

TEST_F(ByNameTest, PropertiesLoadTheGroupFileOfTheResolvedName) {
    writeBesideExecutable("chr/a/body.prp",
                          seGroupFile({{"@prop", {{"count", "2"}}}, {"@se1", {{"count", "0"}}}}));
    System& system = startSystem();
    ASSERT_TRUE(system.renderer()->seManager);

    // The model's own name with its extension finds "body.prp"; a name without a file is null.
    Da3dObject::SeGroup* group =
        Da3dObject::loadProperties(system, u"body.dgo", nullptr, 1, u"chr/a/");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->typeId, 1u);
    EXPECT_EQ(group->effectCount, 2u);
    EXPECT_EQ(Da3dObject::loadProperties(system, u"head", u"", 1, u"chr/a/"), nullptr);

    // A second load of the same file shares the group.
    EXPECT_EQ(Da3dObject::loadProperties(system, u"body", u"se/", 1, u"chr/a/"), group);
    EXPECT_EQ(group->refCount, 2u);
    system.renderer()->seManager->UnloadGroup(group);
    system.renderer()->seManager->UnloadGroup(group);
}

TEST_F(ByNameTest, PropertiesNeedASoundEffectManager) {
    writeBesideExecutable("chr/a/body.prp", seGroupFile({{"@se0", {{"count", "0"}}}}));
    System& system = startSystem();
    system.renderer()->seManager.reset();
    EXPECT_EQ(Da3dObject::loadProperties(system, u"body", nullptr, 1, u"chr/a/"), nullptr);
}

TEST_F(ByNameTest, ModelDataLoadsByDirectoryAndName) {
    writeBesideExecutable("chr/a/body.dgo", tools::writers::writeModelFile(richModel(16)));
    EXPECT_TRUE(da3dExistObjectData(u"chr/a/", u"body"));
    EXPECT_TRUE(da3dExistObjectData(u"chr/b/", u"../a/body"));
    EXPECT_FALSE(da3dExistObjectData(u"chr/a/", u"head"));
    mirel::rcptr<L3DObjectData> data;
    da3dLoadObjectData(data, u"chr/a/", u"body");
    ASSERT_TRUE(data);
    EXPECT_STREQ(data->name.Text(), "rich");
    EXPECT_EQ(data->anims.Count(), 2u);
}

// Through a provider over the framework's files, a model in a mounted "APFC" pack (its bytes
// scrambled by the pack's offsets over the fields' positions) loads as the loose file does.
TEST_F(ByNameTest, ModelsInMountedPacksLoadLikeLooseFiles) {
    const std::string bytes = tools::writers::writeModelFile(richModel(16));
    writeBesideExecutable("chr/a/body.dgo", bytes);
    mirel::rcptr<L3DObjectData> loose;
    da3dLoadObjectData(loose, u"chr/a/", u"body");
    ASSERT_TRUE(loose);

    writeBesideExecutable("res.dat", tools::writers::buildApfc(
                                         {{u"readme.txt", "first"}, {u"chr/p/body.dgo", bytes}}));
    ASSERT_EQ(pelFileMountArchive(u"res.dat"), PEL_OK);
    mirel::rcptr<FrameworkPackProvider> provider;
    provider.Create();
    lfmRegistOverride(provider);
    EXPECT_TRUE(da3dExistObjectData(u"chr/p/", u"body"));
    mirel::rcptr<L3DObjectData> packed;
    da3dLoadObjectData(packed, u"chr/p/", u"body");
    lfmRegistOverride({});
    ASSERT_TRUE(packed);

    const L3DPartData& a = *loose->GetPartDataFromNumber(1);
    const L3DPartData& b = *packed->GetPartDataFromNumber(1);
    EXPECT_EQ(std::memcmp(a.runtimes[0].vertices.Get(), b.runtimes[0].vertices.Get(),
                          a.runtimes[0].vertexCount * sizeof(L3D_RENDERER_VERTEX)),
              0);
    EXPECT_EQ(std::memcmp(a.meshes[0].positions.Get(), b.meshes[0].positions.Get(),
                          a.meshes[0].positionCount * 12),
              0);
    EXPECT_STREQ(packed->anims._GetFirstNode().Next().GetRef()->name.Text(), "sentinel");
}

// The report's tag is followed by two spaces, as the message has always been written.
TEST_F(ByNameTest, AMissingModelIsALevel0Report) {
    mirel::rcptr<L3DObjectData> data;
    EXPECT_THROW(da3dLoadObjectData(data, u"chr/a/", u"head"), FatalReport);
    EXPECT_TRUE(reported(0,
                         u"Error: [da3dLoadObjectData]  Object Data \"chr/a/head.dgo\" isn't "
                         u"exist."));
    EXPECT_FALSE(data);
}

TEST_F(ByNameTest, SeGroupListsLoadEachGroupInOrder) {
    writeBesideExecutable("se/voice.prp", seGroupFile({{"@se0", {{"count", "0"}}}}));
    writeBesideExecutable("se/hit.prp", seGroupFile({{"@se1", {{"count", "0"}}}}));
    System& system = startSystem();
    L3D_SEGROUPLIST list;
    const char16_t text[] = u"se/voice\0\2se/hit\0\1";  // the final 0 ends the list
    Da3dObject::loadSeGroupList(system, list, text);
    ASSERT_EQ(list.count, 2u);
    EXPECT_STREQ(list.groups[0]->name, "se/voice");
    EXPECT_EQ(list.groups[0]->typeId, 2u);
    EXPECT_STREQ(list.groups[1]->name, "se/hit");
    EXPECT_EQ(list.groups[1]->effectCount, 2u);
    system.renderer()->seManager->UnloadGroups(list.groups.Get(), list.count);

    Da3dObject::loadSeGroupList(system, list, u"");
    EXPECT_EQ(list.count, 0u);
    EXPECT_FALSE(list.groups);
}

TEST(EditViewAnim, OnlyThePreviewAnimationsNameIsRefused) {
    EXPECT_FALSE(da3dIsNotEditViewAnim("__QNOR_FOR_EDIT_VIEW_ANIM__"));
    EXPECT_FALSE(da3dIsNotEditViewAnim("__qnor_for_edit_view_anim__"));
    EXPECT_TRUE(da3dIsNotEditViewAnim("__QNOR_FOR_EDIT_VIEW_ANIM"));
    EXPECT_TRUE(da3dIsNotEditViewAnim("__QNOR_FOR_EDIT_VIEW_ANIM__2"));
    EXPECT_TRUE(da3dIsNotEditViewAnim("walk"));
}

}  // namespace
}  // namespace tessera::test
