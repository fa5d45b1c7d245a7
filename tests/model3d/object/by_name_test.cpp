// Textures and sound-effect group files by name, over a headless System and files of the
// default pack written beside the executable.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/system/system.h"
#include "model3d/object/Da3dObject.h"
#include "render3d/L3DRenderer.h"
#include "tests/engine/engine_fixture.h"
#include "tools/writers/png_writer.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {
namespace {

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

}  // namespace
}  // namespace tessera::test
