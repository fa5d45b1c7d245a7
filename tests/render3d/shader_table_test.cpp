#include <gtest/gtest.h>

#include <set>

#include "render3d/L3DDevice.h"
#include "render3d/shader_table.h"

namespace tessera::test {
namespace {

TEST(ShaderTable, MemberNamesAreDistinctAndFormatted) {
    std::set<std::string> names;
    for (int32_t kind = 0; kind < kL3DShaderKinds; ++kind)
        for (int32_t variant = 0; variant < kL3DShaderVariants; ++variant)
            names.insert(l3dShaderMemberName(kind, variant));
    EXPECT_EQ(names.size(), 55u);
    EXPECT_TRUE(names.count("texlight_b3"));
    EXPECT_TRUE(names.count("edge_b4"));
    EXPECT_STREQ(kL3DShaderTable[10].pixelShader, "map3_psh");
}

TEST(ShaderTable, SoftwareVertexProcessingWhenRegistersRunShort) {
    const uint32_t vs = L3DDevice::FlagVertexShader;
    const struct {
        uint32_t flags;
        uint32_t maxConst;
        int32_t kind, variant;
        bool software;
    } cases[] = {
        {vs, 20, 1, 4, true},  // highlight with four weights needs 9 + 12 = 21
        {vs, 21, 1, 4, false}, {0, 256, 1, 4, true},  // no vertex shaders at all
        {vs, 5, 9, 0, false},                         // nolight, rigid
        {vs, 4, 9, 0, true},   {vs, 7, 3, 0, false}, {vs, 9, 3, 1, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(l3dUseSoftwareVertexProcessing(c.flags, c.maxConst, c.kind, c.variant),
                  c.software)
            << "kind " << c.kind << " variant " << c.variant << " max " << c.maxConst;
    }
}

}  // namespace
}  // namespace tessera::test
