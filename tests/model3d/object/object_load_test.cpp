// Models loaded by the engines' wrapper over a headless System: a directory's resource name and
// effect data once per directory, textures looked up inside the directory, sound-effect group
// lists handed to instances and copied by assign, and the fatal paths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "effects/L3DEffectManager.h"
#include "engine/system/system.h"
#include "foundation/pack/pack_registry.h"
#include "model3d/object/Da3dObject.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/engine/engine_fixture.h"
#include "tests/model3d/model_builders.h"
#include "tools/writers/model_file_writer.h"
#include "tools/writers/png_writer.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

using tools::writers::seGroupFile;

// Answers that no file exists and remembers what was asked.
class RecordingPack : public mirel::LFmOverride {
public:
    bool Exists(const char* name) override {
        asked.push_back(name);
        return false;
    }
    void Open(mirel::DFile&, const char* path, uint32_t) override {
        l3dError("unexpected open of \"%s\"", path);
    }
    std::vector<std::string> asked;
};

class ObjectLoadTest : public EngineTest {
protected:
    void writeModel(const std::string& path) {
        writeBesideExecutable(path, tools::writers::writeModelFile(richModel(16)));
    }
    L3DRenderer& renderer() { return *system_->renderer(); }
};

TEST_F(ObjectLoadTest, ADirectoryIsRegisteredAndItsEffectDataLoadedOnce) {
    for (const char* path : {"chr/a/body.dgo", "chr/a/head.dgo", "chr/b/body.dgo"})
        writeModel(path);
    System& system = startSystem();
    const uint32_t names = renderer().names.nnidCount();
    Da3dObject body, head, other;
    Da3dObject::load(u"chr/a/body", body, system, {});
    Da3dObject::load(u"chr/A/head", head, system, {});
    ASSERT_TRUE(body.data && body.instance && head.instance);
    EXPECT_EQ(renderer().names.nnidCount(), names + 1);
    EXPECT_EQ(renderer().effectManager->dataList.Count(), 1u);
    EXPECT_STREQ(renderer().effectManager->GetFirstData()->name, "chr/a/effdata");
    const L3D_RENDERER_NNID* a = body.instance->context.resource;
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a->name, "chr/a/");
    EXPECT_EQ(head.instance->context.resource, a);
    EXPECT_EQ(body.instance->context.textureCallback, &LResManager::GetNnidName);
    EXPECT_EQ(body.instance->resourceEffectData, renderer().effectManager->FindData(a));

    Da3dObject::load(u"chr/b/body", other, system, {});
    EXPECT_EQ(renderer().names.nnidCount(), names + 2);
    EXPECT_EQ(renderer().effectManager->dataList.Count(), 2u);
    EXPECT_STREQ(other.instance->context.resource->name, "chr/b/");
    EXPECT_EQ(renderer().instances.Count(), 3u);
}

TEST_F(ObjectLoadTest, TexturesAreLookedUpInTheModelsDirectory) {
    writeModel("chr/a/body.dgo");
    ASSERT_TRUE(tools::writers::writePng(writeBesideExecutable("chr/a/face.png", ""), 2, 2,
                                         std::vector<uint32_t>(4, 0xFF808080)));
    System& system = startSystem();
    Da3dObject body;
    Da3dObject::load(u"chr/a/body", body, system, {});
    mirel::rcptr<L3DTexture> texture;
    LResManager::GetNnidName(texture, *body.instance, "face", 1);
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width, 2u);
    LResManager::GetNnidName(texture, *body.instance, "", 1);
    EXPECT_FALSE(texture);

    // The name as it is, then with each image extension in turn.
    mirel::rcptr<RecordingPack> pack;
    pack.Create();
    lfmRegistOverride(pack);
    LResManager::GetNnidName(texture, *body.instance, "skin", 1);
    lfmRegistOverride({});
    EXPECT_FALSE(texture);
    const std::vector<std::string> expected{"chr/a/skin",     "chr/a/skin.dgt", "chr/a/skin.dgi",
                                            "chr/a/skin.png", "chr/a/skin.jpg", "chr/a/skin.jpeg",
                                            "chr/a/skin.bmp"};
    EXPECT_EQ(pack->asked, expected);

    body.instance->context.resource = nullptr;
    EXPECT_THROW(LResManager::GetNnidName(texture, *body.instance, "skin", 1), LExceptGame);
}

TEST_F(ObjectLoadTest, GroupListsGoToTheInstanceAndAssignCopiesThem) {
    writeModel("chr/a/body.dgo");
    writeBesideExecutable("se/voice.prp", seGroupFile({{"@se0", {{"count", "0"}}}}));
    writeBesideExecutable("se/hit.prp", seGroupFile({{"@se0", {{"count", "0"}}}}));
    writeBesideExecutable("se/step.prp", seGroupFile({{"@se0", {{"count", "0"}}}}));
    System& system = startSystem();
    Da3dObject object;
    // step's type id is 0; the literal's own 0 ends the list.
    const char16_t text[] = u"se/voice\0\2se/hit\0\1se/step\0\0";
    Da3dObject::loadWithSeGroups(text, system, object, u"chr/a/body");
    const L3D_SEGROUPLIST& groups = object.instance->seGroups;
    ASSERT_EQ(groups.count, 3u);
    const uint32_t types[] = {2, 1, 0};
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(groups.groups[i]->typeId, types[i]);
        EXPECT_EQ(groups.groups[i]->refCount, 1u) << "the list's own references went";
    }

    Da3dObject copy;
    Da3dObject::assign(object, copy);
    EXPECT_EQ(copy.data, object.data);
    ASSERT_TRUE(copy.instance);
    EXPECT_NE(copy.instance, object.instance);
    EXPECT_EQ(copy.instance->context.resource, object.instance->context.resource);
    ASSERT_EQ(copy.instance->seGroups.count, 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(copy.instance->seGroups.groups[i], groups.groups[i]);
        EXPECT_EQ(groups.groups[i]->refCount, 2u);
    }
}

TEST_F(ObjectLoadTest, MissingModelsAreReportedAndTopLevelModelsAreFatal) {
    writeModel("body.dgo");
    System& system = startSystem();
    Da3dObject object;
    EXPECT_THROW(Da3dObject::load(u"chr/a/none", object, system, {}), FatalReport);
    EXPECT_TRUE(reported(0,
                         u"Error: [Da3dObject::load]  Object Data \"chr/a/none.dgo\" isn't "
                         u"exist."));
    EXPECT_THROW(Da3dObject::load(u"body", object, system, {}), LExceptGame);
    EXPECT_FALSE(object.instance);
}

}  // namespace
}  // namespace tessera::test
