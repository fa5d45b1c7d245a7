#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render3d/L3DRandom.h"
#include "render3d/LMat.h"
#include "render3d/LResManager.h"
#include "render3d/PodBuffer.h"
#include "tests/render3d/support/device_fixture.h"

namespace tessera::test {
namespace {

using Helpers = Render3dTest;

LMat sample() {
    LMat m{};
    float value = 1.0f;
    for (auto& row : m.m)
        for (float& cell : row) cell = value++ * 0.5f;
    return m;
}

void expectMatrix(const LMat& actual, const LMat& expected, const char* what) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FLOAT_EQ(actual.m[r][c], expected.m[r][c]) << what << " " << r << c;
}

TEST_F(Helpers, MatrixOperations) {
    const LMat a = sample();
    LMat b;
    LMat::Scaling(b, 2.0f, 3.0f, 4.0f);
    b.m[3][0] = 5.0f;  // a translation
    LMat separate;
    LMat::Multiply(a, b, separate);
    LMat inPlace = a;
    LMat::Multiply(inPlace, b, inPlace);
    expectMatrix(inPlace, separate, "out = a");
    LMat right = b;
    LMat::Multiply(a, right, right);
    expectMatrix(right, separate, "out = b");
    LMat viaMember = a;
    LMat::MultiplyInPlace(viaMember, b);
    expectMatrix(viaMember, separate, "MultiplyInPlace");
    expectMatrix(a * b, separate, "operator*");
    // Row 0 of a times b: (0.5*2 + 2*5, 1*3, 1.5*4, 2).
    EXPECT_FLOAT_EQ(separate.m[0][0], 11.0f);
    EXPECT_FLOAT_EQ(separate.m[0][1], 3.0f);
    EXPECT_FLOAT_EQ(separate.m[0][2], 6.0f);

    LMat transposed;
    LMat::Transpose(transposed, a);
    EXPECT_FLOAT_EQ(transposed.m[0][3], a.m[3][0]);

    LMat inverse;
    LMat::Inverse(b, inverse);
    expectMatrix(b * inverse, LMat::Identity(), "b x inverse");
    const LMat zeros{};
    LMat::Inverse(zeros, inverse);
    expectMatrix(inverse, LMat::Identity(), "inverse of zeros");
}

TEST_F(Helpers, RandomSeedFollowsTheMersenneTwisterInitialisation) {
    // The first four words of that initialisation for seed 0, then 32 xorshift128 steps.
    uint32_t x = 1, y = 1812433255u, z = 1900727105u, w = 1208447044u;
    auto step = [&] {
        const uint32_t t = x ^ (x << 11);
        x = y;
        y = z;
        z = w;
        w = w ^ (w >> 19) ^ t ^ (t >> 8);
        return w;
    };
    for (int i = 0; i < 32; ++i) step();
    L3DRandom random;
    L3DRandom::Seed(0, random);
    EXPECT_EQ(random.x, x);
    EXPECT_EQ(random.y, y);
    EXPECT_EQ(random.z, z);
    EXPECT_EQ(random.w, w);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(random.Next(), step());
    L3DRandom other;
    L3DRandom::Seed(4357, other);
    EXPECT_NE(other.w, random.w);
}

TEST_F(Helpers, PodBufferClearDropsTheArray) {
    PodBuffer<uint16_t> buffer;
    buffer.count = 3;
    buffer.data.Allocate(3);
    mirel::rcptr<uint16_t> other = buffer.data;
    buffer.clear();
    EXPECT_EQ(buffer.count, 0u);
    EXPECT_FALSE(buffer.data);
    EXPECT_EQ(other.UseCount(), 1);
}

TEST_F(Helpers, ResourceNames) {
    LResManager names;
    L3D_RENDERER_NNID* system = names.AddNnid("System");
    EXPECT_STREQ(system->name, "system");
    EXPECT_EQ(names.FindNnid("SYSTEM"), system);
    EXPECT_EQ(names.GetNnid("system"), system);
    expectFatal([&] { names.AddNnid("SyStEm"); },
                "[LResManager::AddNnid] すでに名前 \"SyStEm\" は登録されている");
    expectFatal([&] { names.AddNnid(""); }, "[LResManager::AddNnid] 無名は無効");
    expectFatal([&] { names.FindNnid(""); },
                "[L3DRenderer::_CalcHash] 無名リソースに対してハッシュの計算が指示された");
    expectFatal([&] { names.GetNnid("absent"); },
                "[LResManager::GetNnid] 名前 \"absent\" は登録されていません");

    // A 300-byte name keeps its first 263 bytes and is found by the whole name.
    const std::string longName(300, 'N');
    L3D_RENDERER_NNID* longRecord = names.AddNnid(longName.c_str());
    EXPECT_EQ(longRecord->length, 263u);
    EXPECT_EQ(names.FindNnid(longName.c_str()), longRecord);

    // Anagrams share a bucket, and each is found by its own name.
    L3D_RENDERER_NNID* cat = names.AddNnid("cat");
    L3D_RENDERER_NNID* act = names.AddNnid("act");
    EXPECT_EQ(cat->hash, act->hash);
    EXPECT_EQ(names.bucket(cat->hash), act);
    EXPECT_EQ(act->next, cat);
    EXPECT_EQ(cat->previous, act);
    EXPECT_EQ(names.FindNnid("cat"), cat);
    EXPECT_EQ(names.FindNnid("act"), act);
    EXPECT_EQ(names.FindNnid("tac"), nullptr);

    // Double-byte characters are compared exactly: "\x82\x60" (full-width A) is not lowered.
    L3D_RENDERER_NNID* wide = names.AddNnid("\x82\x60X");
    EXPECT_STREQ(wide->name, "\x82\x60x");

    // Records never move, however many are added.
    std::vector<L3D_RENDERER_NNID*> records;
    for (int i = 0; i < 40; ++i)
        records.push_back(names.AddNnid(("name" + std::to_string(i)).c_str()));
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(names.FindNnid(("NAME" + std::to_string(i)).c_str()), records[i]) << i;
    EXPECT_EQ(names.FindNnid("system"), system);
    EXPECT_EQ(names.nnidCount(), 45u);
}

TEST_F(Helpers, DrawWrappersForgetTheBindingsDirect3DDrops) {
    L3DDevice& device = createWindowed();
    mirel::rcptr<L3DVBuffer> vertices = device._CreateVBuffer(56 * 4, L3DDevice::DefaultFvf);
    mirel::rcptr<L3DIBuffer> indices = device._CreateIBuffer(12);
    recorder().setEnabled(true);
    device.SetStreamSource(vertices->buffer, 56);
    device.SetIndices(indices->buffer);
    device.DrawIndexed(2, D3DPT_TRIANGLELIST, 4);
    const float constants[8] = {};
    device.SetVSConstants(2, 4, constants);
    const uint16_t list[3] = {0, 1, 2};
    float quad[4][14] = {};
    device.DrawIndexedUP(56, D3DPT_TRIANGLELIST, 4, 1, list, quad);
    device.SetStreamSource(vertices->buffer, 56);
    device.SetIndices(indices->buffer);
    EXPECT_EQ(calls(), (std::vector<std::string>{
                           "SetStreamSource(0, ptr, 0, 56)",
                           "SetIndices(ptr)",
                           "DrawIndexedPrimitive(4, 0, 0, 4, 0, 2)",
                           "SetVertexShaderConstantF(4, ptr, 2)",
                           "DrawIndexedPrimitiveUP(4, 0, 4, 1, ptr, 101, ptr, 56)",
                           "SetStreamSource(0, ptr, 0, 56)",
                           "SetIndices(ptr)",
                       }));
}

}  // namespace
}  // namespace tessera::test
