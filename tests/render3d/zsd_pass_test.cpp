#include "render3d/zsd_pass.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "tests/foundation/support/debug_capture.h"

namespace {

struct Fog {
    uint8_t enable = 0;
    uint32_t color = 0;
    float params[2] = {};
    L3DFogFields fields() { return {enable, color, params}; }
};

// One callback call as the pass made it.
struct Draw {
    void* user;
    const L3D_RENDERER_VERTEX* vertices;
    std::vector<float> vertexTags;  // x of each vertex
    std::vector<uint16_t> indices;
    uint32_t fogColor;
};

class ZsdPassTest : public testing::Test {
protected:
    void SetUp() override { current = this; }
    void TearDown() override { current = nullptr; }

    static void record(L3DRenderer*, const L3D_RENDERER_VERTEX* v, uint32_t vertexCount,
                       const uint16_t* indices, uint32_t indexCount, void* user) {
        Draw d{
            user, v, {}, std::vector<uint16_t>(indices, indices + indexCount), current->fog.color};
        for (uint32_t i = 0; i < vertexCount; ++i) d.vertexTags.push_back(v[i].x);
        current->draws.push_back(d);
    }
    static void recordOther(L3DRenderer* r, const L3D_RENDERER_VERTEX* v, uint32_t n,
                            const uint16_t* i, uint32_t ni, void* user) {
        record(r, v, n, i, ni, user);
    }

    // An element of n vertices tagged tag, tag + 1, ... (also their positions) with the
    // indices 0, 1, 2, kept in order.
    struct Element {
        std::vector<L3D_RENDERER_VERTEX> vertices;
        std::vector<uint16_t> indices;
        L3DZsdElementDesc desc;
    };
    Element& element(uint32_t n, float tag, void* user, uint32_t flags = 0,
                     L3DZsdDrawFn callback = record) {
        auto& e = elements_.emplace_back(std::make_unique<Element>());
        e->vertices.resize(n);
        for (uint32_t i = 0; i < n; ++i) e->vertices[i].x = tag + static_cast<float>(i);
        for (uint32_t i = 0; i < 3; ++i) e->indices.push_back(static_cast<uint16_t>(i % n));
        e->desc.vertexCount = n;
        e->desc.vertices = e->vertices.data();
        e->desc.positions = e->vertices.data();
        e->desc.indexCount = static_cast<uint32_t>(e->indices.size());
        e->desc.indices = e->indices.data();
        e->desc.callback = callback;
        e->desc.user = user;
        e->desc.flags = flags | L3DZsdElementDesc::FlagKeepOrder;
        return *e;
    }
    void registerAt(float x, std::initializer_list<Element*> chain, uint32_t fogColor = 0) {
        const L3DZsdElementDesc* first = nullptr;
        for (auto it = std::rbegin(chain); it != std::rend(chain); ++it) {
            (*it)->desc.next = first;
            first = &(*it)->desc;
        }
        L3DFogBlock block;
        block.color = fogColor;
        pass.Register({{x, 0.0f, 0.0f}, first}, block);
    }
    void draw() { pass.Draw(nullptr, fog.fields()); }

    static inline ZsdPassTest* current = nullptr;
    L3DZsdPass pass;
    Fog fog;
    std::vector<Draw> draws;
    std::vector<std::unique_ptr<Element>> elements_;
    int userA = 0, userB = 0;
};

TEST_F(ZsdPassTest, NoRegistrationDrawsNothingAndKeepsTheFog) {
    fog = {1, 0x123456, {0.5f, 2.0f}};
    draw();
    EXPECT_TRUE(draws.empty());
    EXPECT_EQ(fog.enable, 1);
    EXPECT_EQ(fog.color, 0x123456u);
    EXPECT_EQ(fog.params[1], 2.0f);
}

TEST_F(ZsdPassTest, GroupsDrawFarthestFirstAndEqualKeysInRegistrationOrder) {
    struct Case {
        const char* name;
        std::vector<float> distances;    // registered in this order
        std::vector<int> expectedOrder;  // registration numbers as drawn
    };
    const std::vector<Case> cases = {
        {"keys 4 and 9", {2.0f, 3.0f}, {1, 0}},
        {"keys 9 and 4", {3.0f, 2.0f}, {0, 1}},
        {"equal keys", {2.0f, 2.0f, 2.0f}, {0, 1, 2}},
        {"equal keys around a far one", {1.0f, 5.0f, 1.0f, 0.0f}, {1, 0, 2, 3}},
    };
    std::vector<int> users(8);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        draws.clear();
        for (size_t i = 0; i < c.distances.size(); ++i)
            registerAt(c.distances[i], {&element(3, 0.0f, &users[i])});
        draw();
        ASSERT_EQ(draws.size(), c.expectedOrder.size());
        for (size_t i = 0; i < draws.size(); ++i)
            EXPECT_EQ(draws[i].user, &users[c.expectedOrder[i]]) << "draw " << i;
    }
}

TEST_F(ZsdPassTest, EachRunDrawsWithItsGroupsFogAndTheFogComesBack) {
    fog = {1, 0xAAAAAA, {0.25f, 0.75f}};
    registerAt(1.0f, {&element(3, 0.0f, &userA)}, 0x000011);
    registerAt(2.0f, {&element(3, 0.0f, &userB)}, 0x000022);
    draw();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].fogColor, 0x000022u);
    EXPECT_EQ(draws[1].fogColor, 0x000011u);
    EXPECT_EQ(fog.enable, 1);
    EXPECT_EQ(fog.color, 0xAAAAAAu);
    EXPECT_EQ(fog.params[0], 0.25f);
}

TEST_F(ZsdPassTest, RunsMergeUpTo65535VerticesWithRaisedIndices) {
    Element& a = element(30000, 0.0f, &userA);
    Element& b = element(30000, 100000.0f, &userA);
    Element& c = element(30000, 200000.0f, &userA);
    registerAt(1.0f, {&a, &b, &c});
    draw();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertexTags.size(), 60000u);
    EXPECT_EQ(draws[0].vertexTags[29999], 29999.0f);
    EXPECT_EQ(draws[0].vertexTags[30000], 100000.0f);
    EXPECT_EQ(draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 30000, 30001, 30002}));
    EXPECT_EQ(draws[0].vertices, pass.batchVertices.Items());
    EXPECT_EQ(draws[1].vertexTags.size(), 30000u);
    EXPECT_EQ(draws[1].vertexTags[0], 200000.0f);
    EXPECT_EQ(draws[1].indices, (std::vector<uint16_t>{0, 1, 2}));
}

TEST_F(ZsdPassTest, OnlySameCallbackAndUserMerge) {
    // Across groups too: the far group's last element and the near group's first merge.
    registerAt(2.0f, {&element(3, 0.0f, &userA), &element(3, 10.0f, &userA)});
    registerAt(1.0f, {&element(3, 20.0f, &userA), &element(3, 30.0f, &userB),
                      &element(3, 40.0f, &userB, 0, recordOther)});
    draw();
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].vertexTags, (std::vector<float>{0, 1, 2, 10, 11, 12, 20, 21, 22}));
    EXPECT_EQ(draws[0].indices, (std::vector<uint16_t>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(draws[1].user, &userB);
    EXPECT_EQ(draws[1].vertexTags.size(), 3u);
    EXPECT_EQ(draws[2].vertexTags.front(), 40.0f);
}

TEST_F(ZsdPassTest, ASingleElementRunDrawsFromItsOwnStorage) {
    registerAt(2.0f, {&element(3, 0.0f, &userA), &element(3, 10.0f, &userA)});
    registerAt(1.0f, {&element(4, 50.0f, &userB)});
    draw();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].vertices, pass.batchVertices.Items());
    EXPECT_NE(draws[1].vertices, pass.batchVertices.Items());
    EXPECT_EQ(draws[1].vertexTags, (std::vector<float>{50, 51, 52, 53}));
}

TEST_F(ZsdPassTest, TrianglesSortFarthestFirstUnlessKeptInOrder) {
    // Triangle 0 near the eye (corner sum length 3), triangle 1 far (corner sum length 30).
    std::vector<L3D_RENDERER_VERTEX> positions(6);
    for (int i = 0; i < 3; ++i) positions[i].z = 1.0f;
    for (int i = 3; i < 6; ++i) positions[i].z = 10.0f;
    const std::vector<uint16_t> indices = {0, 1, 2, 5, 4, 3, 0};

    pass.SortTriangles(positions.data(), indices.data(), 6, L3DZsdElementDesc::FlagKeepOrder);
    EXPECT_EQ(std::vector<uint16_t>(pass.sortedIndices.Items(), pass.sortedIndices.Items() + 6),
              (std::vector<uint16_t>{0, 1, 2, 5, 4, 3}));

    pass.SortTriangles(positions.data(), indices.data(), 7, 0);
    ASSERT_EQ(pass.sortedIndexCount, 6u);  // the seventh index is dropped
    EXPECT_EQ(std::vector<uint16_t>(pass.sortedIndices.Items(), pass.sortedIndices.Items() + 6),
              (std::vector<uint16_t>{5, 4, 3, 0, 1, 2}));

    pass.SortTriangles(positions.data(), indices.data(), 2, 0);
    EXPECT_EQ(pass.sortedIndexCount, 2u);

    // Registered without the flag, the element's copy is the sorted one.
    Element& e = element(6, 0.0f, &userA);
    e.desc.positions = positions.data();
    e.desc.indices = indices.data();
    e.desc.indexCount = 7;
    e.desc.flags = 0;
    registerAt(1.0f, {&e});
    draw();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].indices, (std::vector<uint16_t>{5, 4, 3, 0, 1, 2}));
}

TEST_F(ZsdPassTest, PoolsGrowByChunksAndRefillAfterTheFrame) {
    for (int i = 0; i < 257; ++i) registerAt(1.0f, {&element(3, 0.0f, &userA)});
    EXPECT_EQ(pass.groupChunks.Count(), 2u);
    EXPECT_EQ(pass.elementChunks.Count(), 1u);
    EXPECT_EQ(pass.groupCount, 257u);
    draw();
    EXPECT_EQ(pass.freeGroupCount, 512u);
    EXPECT_EQ(pass.freeElementCount, 512u);
    EXPECT_EQ(pass.head, nullptr);
    EXPECT_EQ(pass.groupCount, 0u);

    // A second frame of the same size takes no new chunk.
    for (int i = 0; i < 257; ++i) registerAt(1.0f, {&element(3, 0.0f, &userA)});
    draw();
    EXPECT_EQ(pass.groupChunks.Count(), 2u);
    EXPECT_EQ(pass.freeGroupCount, 512u);

    pass.Release();
    EXPECT_EQ(pass.groupChunks.Count(), 0u);
    EXPECT_EQ(pass.freeGroups.Capacity(), 0);
    EXPECT_EQ(pass.batchVertices.Capacity(), 0);
    registerAt(1.0f, {&element(3, 0.0f, &userA)});  // grows again
    draw();
    EXPECT_EQ(pass.groupChunks.Count(), 1u);
    // Each frame's elements share callback and user: one merged draw per frame.
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].vertexTags.size(), 257u * 3);
}

TEST_F(ZsdPassTest, ElementsWithIndicesPastTheirVerticesAreNotDrawn) {
    tessera::test::DebugCapture log;
    Element& bad = element(3, 0.0f, &userA);
    bad.indices = {0, 1, 3};
    bad.desc.indices = bad.indices.data();
    Element& badSorted = element(3, 0.0f, &userA);
    badSorted.indices = {0, 1, 60000};
    badSorted.desc.indices = badSorted.indices.data();
    badSorted.desc.flags = 0;
    registerAt(1.0f, {&bad, &element(3, 10.0f, &userB), &badSorted});
    draw();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].user, &userB);
    EXPECT_NE(log.text().find("index 3 of 3 vertices"), std::string::npos) << log.text();
    EXPECT_NE(log.text().find("index 60000 of 3 vertices"), std::string::npos);
}

}  // namespace
