#include <gtest/gtest.h>

#include "render3d/shader_pass_select.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using PassSelect = Render3dTest;

TEST_F(PassSelect, FallsBackByStagesPixelShadersAndUvSets) {
    const struct {
        uint32_t type;
        uint32_t stages;
        bool pixelShaders;
        bool threeSets;
        L3DShaderKind pass;
        bool white;
    } cases[] = {
        {L3DShaderNormal, 1, false, false, L3DShaderNormal, false},
        {L3DShaderHighlight, 2, false, false, L3DShaderHighlight, false},
        {L3DShaderHighlight, 1, true, true, L3DShaderNormal, false},
        {L3DShaderFurlight, 3, false, false, L3DShaderFurlight, false},
        {L3DShaderFurlight, 1, false, false, L3DShaderNormal, false},
        {L3DShaderTexlight, 2, false, false, L3DShaderTexlight, false},
        {L3DShaderTexlight, 1, true, true, L3DShaderNormal, true},
        {L3DShaderTexhighlight, 3, false, false, L3DShaderTexhighlight, false},
        {L3DShaderTexhighlight, 2, true, true, L3DShaderTexlight, false},
        {L3DShaderTexhighlight, 1, true, true, L3DShaderNormal, true},
        {L3DShaderTexfurlight, 4, false, false, L3DShaderTexfurlight, false},
        {L3DShaderTexfurlight, 2, false, false, L3DShaderTexlight, false},
        {L3DShaderTexfurlight, 1, false, false, L3DShaderNormal, true},
        {L3DShaderMap3, 3, true, true, L3DShaderMap3, false},
        {L3DShaderMap3, 3, true, false, L3DShaderNormal, false},
        {L3DShaderMap3, 3, false, true, L3DShaderNormal, false},
        {L3DShaderMap3, 2, true, true, L3DShaderNormal, false},
    };
    for (const auto& c : cases) {
        const L3DPassChoice choice =
            l3dSelectShaderPass(c.type, {c.stages, c.pixelShaders}, c.threeSets);
        EXPECT_EQ(choice.pass, c.pass) << "type " << c.type << " stages " << c.stages;
        EXPECT_EQ(choice.whiteColours, c.white) << "type " << c.type << " stages " << c.stages;
    }
}

TEST_F(PassSelect, RendererOwnKindsAreFatal) {
    for (uint32_t type : {6u, 9u, 11u}) {
        expectFatal(
            [&] {
                l3dSelectShaderPass(type, {4, true}, true);
            },
            "[L3DRenderer::_SetShaderPass] サポートしていない形式");
    }
}

}  // namespace
}  // namespace tessera::test
