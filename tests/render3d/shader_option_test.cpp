#include <gtest/gtest.h>

#include "foundation/rcptr.h"
#include "render3d/L3DRendererStores.h"
#include "render3d/L3DShaderOption.h"

namespace tessera::test {
namespace {

bool isNull(const L3DNameRef& name) { return name.text == nullptr && name.length == 0; }

// Create drops the old record and makes a zeroed one: every name reference null.
TEST(ShaderOption, CreateMakesAZeroedRecordWithNullNames) {
    mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT> option;
    option.Create();
    static const char block[] = "skin";
    option->materialName = {block, 4};
    option->factor2 = 2.0f;
    mirel::rcptr<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT> old = option;

    option.Create();
    EXPECT_NE(option.Get(), old.Get());
    EXPECT_EQ(option.UseCount(), 1);
    EXPECT_TRUE(isNull(option->materialName));
    EXPECT_TRUE(isNull(option->alternativeName));
    EXPECT_TRUE(isNull(option->textureName1));
    EXPECT_TRUE(isNull(option->textureName2));
    EXPECT_EQ(option->factor2, 0.0f);
    EXPECT_EQ(option->shaderType, 0u);
    EXPECT_EQ(option->edgeWidth, 0.0f);
}

// The model data keeps options through base handles; the last one destroys the derived record.
TEST(ShaderOption, BaseHandleKeepsTheDerivedRecord) {
    mirel::rcptr<L3D_RENDERER_SHADEROPT_FURLIGHT> fur;
    fur.Create();
    fur->shaderType = L3DShaderFurlight;
    fur->furVector[2] = 1.0f;
    mirel::rcptr<L3D_RENDERER_SHADEROPT> base = fur;
    fur.Reset();
    ASSERT_EQ(base.UseCount(), 1);
    EXPECT_EQ(base->shaderType, 2u);
    EXPECT_EQ(static_cast<L3D_RENDERER_SHADEROPT_FURLIGHT*>(base.Get())->furVector[2], 1.0f);
}

// A store grows to the next multiple of its step and keeps what it held.
TEST(RendererStores, AtGrowsToTheNextStepAndKeepsEntries) {
    L3DRendererStores stores;
    LMat& m = stores.matrices.At(40);
    EXPECT_EQ(stores.matrices.Capacity(), 64);
    m.m[3][3] = 7.0f;
    stores.matrices.At(64);
    EXPECT_EQ(stores.matrices.Capacity(), 96);
    EXPECT_EQ(stores.matrices[40].m[3][3], 7.0f);

    stores.skinnedVertices.At(0).u = 0.25f;
    EXPECT_EQ(stores.skinnedVertices.Capacity(), 256);
    stores.skinnedVertices.At(256);
    EXPECT_EQ(stores.skinnedVertices.Capacity(), 512);
    EXPECT_EQ(stores.skinnedVertices[0].u, 0.25f);

    stores.batchIndicesLarge.Reserve(1);
    EXPECT_EQ(stores.batchIndicesLarge.Capacity(), 2304);
}

}  // namespace
}  // namespace tessera::test
