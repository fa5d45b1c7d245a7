#include "framework/spatial/spatial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

#include "framework/core/core.h"

namespace {

struct Thing {
    int id = 0;
    PEL_SPATIAL_LINK link{};
    int32_t low[3] = {0, 0, 0};
    int32_t high[3] = {0, 0, 0};
};

constexpr size_t kLinkOffset = offsetof(Thing, link);

class SpatialTrees : public testing::Test {
protected:
    void SetUp() override {
        pelFinalize();
        pelSpatialRegisterModule();
        pelInitialize();
        pelArrayInit(&result_, sizeof(void*), 16);
    }
    void TearDown() override {
        pelArrayDestroy(&result_);
        pelFinalize();
    }

    std::vector<int> ids() const {
        std::vector<int> out;
        for (uint32_t i = 0; i < result_.count; ++i)
            out.push_back(static_cast<Thing**>(result_.data)[i]->id);
        return out;
    }

    PEL_ARRAY result_{};
};

// A quadtree of 2 levels over 0..1023 on both axes: units of 256.
struct SmallQuadtree {
    SmallQuadtree() {
        const int32_t minimum[2] = {0, 0};
        const int32_t maximum[2] = {1023, 1023};
        pelQuadtreeCreate(2, &tree, kLinkOffset, minimum, maximum);
    }
    ~SmallQuadtree() { pelQuadtreeDestroy(&tree); }
    PEL_LIST* insert(Thing& thing, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        const int32_t a[2] = {x0, y0};
        const int32_t b[2] = {x1, y1};
        return pelQuadtreeInsert(&tree, &thing, a, b);
    }
    uint32_t cellOf(const Thing& thing) const {
        for (uint32_t i = 0; i < tree.cellCount; ++i)
            if (tree.cells[i] && tree.cells[i] == thing.link.cell) return i;
        return UINT32_MAX;
    }
    PEL_QUADTREE tree{};
};

TEST_F(SpatialTrees, LevelOffsetsAndCellCountsFollowTheLevels) {
    const int32_t minimum[3] = {0, 0, 0};
    const int32_t maximum[3] = {1023, 1023, 1023};
    struct Case {
        uint32_t requested;
        uint32_t quadLevels;
        uint32_t quadCells;
        uint32_t octLevels;
        uint32_t octCells;
    };
    const Case cases[] = {
        {0, 0, 1, 0, 1},
        {2, 2, 21, 2, 73},
        {7, 7, 21845, 7, 2396745},
        {10, 10, 1398101, 7, 2396745},
        {12, 10, 1398101, 7, 2396745},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.requested);
        PEL_QUADTREE quad{};
        pelQuadtreeCreate(c.requested, &quad, kLinkOffset, minimum, maximum);
        EXPECT_EQ(quad.levels, c.quadLevels);
        EXPECT_EQ(quad.cellCount, c.quadCells);
        PEL_OCTREE oct{};
        pelOctreeCreate(c.requested, &oct, kLinkOffset, minimum, maximum);
        EXPECT_EQ(oct.levels, c.octLevels);
        EXPECT_EQ(oct.cellCount, c.octCells);
        if (c.requested == 2) {
            EXPECT_EQ(quad.levelOffsets[0], 0u);
            EXPECT_EQ(quad.levelOffsets[1], 1u);
            EXPECT_EQ(quad.levelOffsets[2], 5u);
            EXPECT_EQ(oct.levelOffsets[1], 1u);
            EXPECT_EQ(oct.levelOffsets[2], 9u);
            EXPECT_EQ(quad.unit[0], 256);
            EXPECT_EQ(oct.unit[2], 256);
        }
        pelQuadtreeDestroy(&quad);
        pelOctreeDestroy(&oct);
    }
}

TEST_F(SpatialTrees, BoxesGoToTheSmallestCellHoldingThem) {
    struct Case {
        int32_t low[3];
        int32_t high[3];
        uint32_t quadCell;
        uint32_t octCell;
    };
    const Case cases[] = {
        {{10, 10, 10}, {20, 20, 20}, 5, 9},     // level 2, code 0
        {{10, 10, 10}, {300, 20, 20}, 1, 1},    // level 1, code 0
        {{10, 10, 10}, {600, 600, 600}, 0, 0},  // the root
        {{700, 10, 10}, {800, 20, 20}, 2, 2},   // level 1, x in the upper half
        {{300, 600, 900}, {310, 610, 910}, 5 + 0b1001, 9 + 0b110'101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.quadCell);
        SmallQuadtree quad;
        Thing thing;
        PEL_LIST* cell = quad.insert(thing, c.low[0], c.low[1], c.high[0], c.high[1]);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell, quad.tree.cells[c.quadCell]);
        EXPECT_EQ(thing.link.cell, cell);
        EXPECT_EQ(cell->count, 1u);

        const int32_t minimum[3] = {0, 0, 0};
        const int32_t maximum[3] = {1023, 1023, 1023};
        PEL_OCTREE oct{};
        pelOctreeCreate(2, &oct, kLinkOffset, minimum, maximum);
        Thing solid;
        EXPECT_EQ(pelOctreeInsert(&oct, &solid, c.low, c.high), oct.cells[c.octCell]);
        pelOctreeDestroy(&oct);
    }
}

TEST_F(SpatialTrees, InsertionCreatesTheMissingAncestorsOnly) {
    SmallQuadtree quad;
    Thing a, b;
    quad.insert(a, 10, 10, 20, 20);  // cells 5, 1, 0
    EXPECT_EQ(quad.tree.liveCellCount, 3u);
    quad.insert(b, 700, 700, 710,
                710);  // cell 17 (level 2, code 12) and its parent 4 (level 1, code 3)
    EXPECT_EQ(quad.cellOf(b), 17u);
    EXPECT_EQ(quad.tree.liveCellCount, 5u);
    EXPECT_NE(quad.tree.cells[4], nullptr);
    EXPECT_EQ(quad.tree.objectCount, 2u);
}

TEST_F(SpatialTrees, AnObjectInsertedTwiceEndsInOneCell) {
    SmallQuadtree quad;
    Thing thing;
    quad.insert(thing, 10, 10, 20, 20);
    PEL_LIST* first = thing.link.cell;
    quad.insert(thing, 10, 10, 300, 20);
    EXPECT_EQ(first->count, 0u);
    EXPECT_EQ(quad.cellOf(thing), 1u);
    EXPECT_EQ(quad.tree.objectCount, 1u);

    const int32_t a[2] = {0, 0};
    const int32_t b[2] = {1023, 1023};
    thing.link.flags = 1;
    pelQuadtreeCollect(a, &result_, &quad.tree, b, ~0u);
    EXPECT_EQ(ids(), std::vector<int>{0});
}

TEST_F(SpatialTrees, RemovalUnlinksAndLeavesTheCellForAQuery) {
    SmallQuadtree quad;
    Thing thing, never;
    quad.insert(thing, 10, 10, 20, 20);
    pelSpatialRemove(&quad.tree, &thing);
    EXPECT_EQ(thing.link.cell, nullptr);
    EXPECT_EQ(quad.tree.objectCount, 0u);
    EXPECT_EQ(quad.tree.liveCellCount, 3u);
    pelSpatialRemove(&quad.tree, &thing);  // no longer in a cell: nothing happens
    pelSpatialRemove(&quad.tree, &never);
    EXPECT_EQ(quad.tree.objectCount, 0u);
}

TEST_F(SpatialTrees, QueriesPruneTheEmptyBranchesBelowTheirCell) {
    // After the object of leaf 5 leaves, a query deletes the empty cells of its subtree:
    // never the ancestors above the queried cell, never a cell with an occupied descendant.
    struct Case {
        const char* name;
        bool sibling;  // an object stays in leaf 6, beside leaf 5
        int32_t query[4];
        std::vector<uint32_t> kept;
    };
    const Case cases[] = {
        {"the leaf itself", false, {10, 10, 20, 20}, {0, 1}},
        {"its parent", false, {10, 10, 300, 20}, {0}},
        {"the root", false, {0, 0, 1023, 1023}, {}},
        {"a branch still occupied", true, {0, 0, 1023, 1023}, {0, 1, 6}},
        {"another branch", false, {700, 700, 710, 710}, {0, 1, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SmallQuadtree quad;
        Thing leaving, staying;
        staying.link.flags = 1;
        quad.insert(leaving, 10, 10, 20, 20);
        if (c.sibling) quad.insert(staying, 300, 10, 310, 20);
        pelSpatialRemove(&quad.tree, &leaving);
        const int32_t a[2] = {c.query[0], c.query[1]};
        const int32_t b[2] = {c.query[2], c.query[3]};
        pelQuadtreeCollect(a, &result_, &quad.tree, b, ~0u);
        std::vector<uint32_t> kept;
        for (uint32_t i = 0; i < quad.tree.cellCount; ++i)
            if (quad.tree.cells[i]) kept.push_back(i);
        EXPECT_EQ(kept, c.kept);
        EXPECT_EQ(quad.tree.liveCellCount, c.kept.size());
        // A new insertion rebuilds the pruned path.
        quad.insert(leaving, 10, 10, 20, 20);
        EXPECT_EQ(quad.cellOf(leaving), 5u);
    }
}

TEST_F(SpatialTrees, ResultsListTheSubtreeChildrenFirstThenTheAncestors) {
    SmallQuadtree quad;
    Thing root, parent, first, second, elsewhere, masked;
    root.id = 1, parent.id = 2, first.id = 3, second.id = 4, elsewhere.id = 5, masked.id = 6;
    for (Thing* t : {&root, &parent, &first, &second, &elsewhere}) t->link.flags = 0x5;
    masked.link.flags = 0x2;
    quad.insert(root, 0, 0, 900, 900);
    quad.insert(parent, 10, 10, 300, 20);
    quad.insert(second, 300, 10, 310, 20);  // leaf 6
    quad.insert(first, 10, 10, 20, 20);     // leaf 5
    quad.insert(masked, 11, 11, 21, 21);    // leaf 5, after first
    quad.insert(elsewhere, 700, 700, 710, 710);

    const int32_t a[2] = {10, 10};
    const int32_t b[2] = {300, 20};
    pelQuadtreeCollect(a, &result_, &quad.tree, b, 0x4);
    EXPECT_EQ(ids(), (std::vector<int>{3, 4, 2, 1}));
    pelQuadtreeCollect(a, &result_, &quad.tree, b, 0x3);
    EXPECT_EQ(ids(), (std::vector<int>{3, 6, 4, 2, 1}));
    pelQuadtreeCollect(a, &result_, &quad.tree, b, 0);
    EXPECT_TRUE(ids().empty());
    const int32_t leaf[2] = {12, 12};
    pelQuadtreeCollect(leaf, &result_, &quad.tree, leaf, 0x2);
    EXPECT_EQ(ids(), std::vector<int>{6});
}

bool overlaps(const Thing& thing, const int32_t* low, const int32_t* high, int axes) {
    for (int axis = 0; axis < axes; ++axis) {
        if (thing.high[axis] < low[axis] || high[axis] < thing.low[axis]) return false;
    }
    return true;
}

// Random boxes, moves and removals against a brute-force scan: every object that truly
// overlaps a query box and matches its mask is among the results, exactly once.
template <typename Tree>
void checkAgainstBruteForce(int axes, uint32_t levels, uint32_t seed, PEL_ARRAY* result) {
    std::mt19937 random(seed);
    const int32_t minimum[3] = {-5000, 0, 100};
    const int32_t maximum[3] = {5000, 20000, 9000};
    Tree tree{};
    if constexpr (std::is_same_v<Tree, PEL_QUADTREE>)
        pelQuadtreeCreate(levels, &tree, kLinkOffset, minimum, maximum);
    else
        pelOctreeCreate(levels, &tree, kLinkOffset, minimum, maximum);

    auto randomBox = [&](int32_t* low, int32_t* high) {
        for (int axis = 0; axis < axes; ++axis) {
            std::uniform_int_distribution<int32_t> at(minimum[axis], maximum[axis]);
            const int32_t span = (maximum[axis] - minimum[axis]) / (random() % 2 ? 200 : 8);
            low[axis] = at(random);
            high[axis] = std::min(maximum[axis], low[axis] + static_cast<int32_t>(random() % span));
        }
    };
    auto insert = [&](Thing& thing) {
        randomBox(thing.low, thing.high);
        if constexpr (std::is_same_v<Tree, PEL_QUADTREE>)
            pelQuadtreeInsert(&tree, &thing, thing.low, thing.high);
        else
            pelOctreeInsert(&tree, &thing, thing.low, thing.high);
    };

    std::vector<Thing> things(400);
    for (size_t i = 0; i < things.size(); ++i) {
        things[i].id = static_cast<int>(i);
        things[i].link.flags = 1u << (random() % 3);
        insert(things[i]);
    }
    for (int round = 0; round < 300; ++round) {
        Thing& changed = things[random() % things.size()];
        if (random() % 3 == 0)
            pelSpatialRemove(&tree, &changed);
        else
            insert(changed);

        int32_t low[3], high[3];
        randomBox(low, high);
        const uint32_t mask = static_cast<uint32_t>(random() % 8);
        if constexpr (std::is_same_v<Tree, PEL_QUADTREE>)
            pelQuadtreeCollect(low, result, &tree, high, mask);
        else
            pelOctreeCollect(low, result, &tree, high, mask);
        std::vector<int> found;
        for (uint32_t i = 0; i < result->count; ++i)
            found.push_back(static_cast<Thing**>(result->data)[i]->id);
        std::sort(found.begin(), found.end());
        ASSERT_EQ(std::adjacent_find(found.begin(), found.end()), found.end()) << round;
        for (const Thing& thing : things) {
            const bool stored = thing.link.cell != nullptr;
            const bool wanted =
                stored && (thing.link.flags & mask) && overlaps(thing, low, high, axes);
            const bool present = std::binary_search(found.begin(), found.end(), thing.id);
            if (wanted) {
                ASSERT_TRUE(present) << "round " << round << " object " << thing.id;
            }
            if (present) {
                ASSERT_TRUE(stored && (thing.link.flags & mask));
            }
        }
    }
    if constexpr (std::is_same_v<Tree, PEL_QUADTREE>)
        pelQuadtreeDestroy(&tree);
    else
        pelOctreeDestroy(&tree);
}

TEST_F(SpatialTrees, QueriesFindEveryOverlappingObject) {
    for (uint32_t seed : {1u, 2u, 3u}) {
        SCOPED_TRACE(seed);
        checkAgainstBruteForce<PEL_QUADTREE>(2, 6, seed, &result_);
        checkAgainstBruteForce<PEL_OCTREE>(3, 4, seed, &result_);
    }
}

}  // namespace
