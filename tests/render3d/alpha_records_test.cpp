#include "render3d/alpha_records.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(AlphaRecordPool, The129thRecordOpensASecondChunkAndTheNextFrameReusesTheFirst) {
    L3DAlphaRecordPool pool;
    std::set<_L3D_RENDERER_ALPHASHADER*> firstFrame;
    _L3D_RENDERER_ALPHASHADER* first = nullptr;
    for (int i = 0; i < 128; ++i) {
        _L3D_RENDERER_ALPHASHADER* r = pool.Take();
        if (i == 0) first = r;
        firstFrame.insert(r);
    }
    EXPECT_EQ(pool.chunks.Count(), 1u);
    EXPECT_EQ(firstFrame.size(), 128u);
    _L3D_RENDERER_ALPHASHADER* r129 = pool.Take();
    EXPECT_EQ(pool.chunks.Count(), 2u);
    EXPECT_EQ(pool.count, 256u);
    EXPECT_EQ(pool.used, 129u);
    EXPECT_EQ(firstFrame.count(r129), 0u);

    pool.Recycle();
    EXPECT_EQ(pool.Take(), first);
    EXPECT_EQ(pool.chunks.Count(), 2u);

    pool.Release();
    EXPECT_EQ(pool.count, 0u);
    EXPECT_EQ(pool.records.Capacity(), 0);
    EXPECT_NE(pool.Take(), nullptr);
}

}  // namespace
