#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render3d/L3DAnimInstMat.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using Material = Render3dTest;

L3DNameRef ref(const char* text) { return {text, static_cast<uint32_t>(std::strlen(text))}; }

// Options are matched by material name, or by alternative name when they have one; names are
// read as tokens (quotes removed) and compared without case.
TEST_F(Material, CreatePicksTheFirstMatchingOption) {
    mirel::DList<L3D_RENDERER_SHADEROPT> options;
    mirel::rcptr<L3D_RENDERER_SHADEROPT_NORMAL> body;
    body.Create();
    body->materialName = ref("\"Body\"");
    options.AddTail(body);
    mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT> hair;
    hair.Create();
    hair->shaderType = L3DShaderTexhighlight;
    hair->materialName = ref("hair");
    hair->alternativeName = ref("mesh_hair");
    hair->textureName1 = ref("ramp");
    hair->textureName2 = ref("\"band\"");
    options.AddTail(hair);
    mirel::rcptr<L3D_RENDERER_SHADEROPT_NORMAL> unnamed;  // both names null
    unnamed.Create();
    options.AddTail(unnamed);

    std::vector<std::string> loaded;
    const L3DTextureCallback textures = [&](const char* name, uint32_t flag) {
        loaded.push_back(std::string(name) + ":" + std::to_string(flag));
        return mirel::rcptr<L3DTexture>();
    };
    struct Case {
        const char* name;
        const char* alternative;
        L3D_RENDERER_SHADEROPT* expected;  // null: no match
        std::vector<std::string> loads;
    };
    const std::vector<Case> cases = {
        {"BODY", "x", body.Get(), {"skin:1"}},
        {"arm", "Mesh_Hair", hair.Get(), {"skin:1", "ramp:0", "band:0"}},
        {"", "x", unnamed.Get(), {"skin:1"}},  // a null first name reads as ""
        {"arm", "", nullptr, {}},              // a null alternative name matches nothing
        {"arm", "leg", nullptr, {}},
    };
    for (const Case& c : cases) {
        loaded.clear();
        L3D_ANIMINST_MAT material;
        EXPECT_EQ(
            L3D_ANIMINST_MAT::Create(material, options, c.name, c.alternative, textures, "skin"),
            c.expected != nullptr)
            << c.name;
        EXPECT_EQ(material.option.Get(), c.expected) << c.name;
        EXPECT_EQ(loaded, c.loads) << c.name;
    }

    // Without a callback nothing is loaded; a type without a pass is fatal.
    L3D_ANIMINST_MAT material;
    EXPECT_TRUE(L3D_ANIMINST_MAT::Create(material, options, "hair", "", {}, "skin"));
    EXPECT_FALSE(material.texture1 || material.texture2 || material.texture3);
    body->shaderType = 7;
    expectFatal([&] { L3D_ANIMINST_MAT::Create(material, options, "body", "", {}, "skin"); },
                "[L3D_ANIMINST_MAT::Create] 認識できないシェーダタイプ(7)");
}

}  // namespace
}  // namespace tessera::test
