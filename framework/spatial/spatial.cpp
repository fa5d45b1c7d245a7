#include "framework/spatial/spatial.h"

#include <cstdlib>

#include "framework/core/core.h"
#include "framework/core/mempool.h"
#include "framework/core/report.h"

static_assert(offsetof(PEL_SPATIAL_LINK, link) == sizeof(PEL_LIST*),
              "a cell list links objects through the words after the cell pointer");

namespace {

constexpr uint32_t kCellsPerBlock = 4096;

PEL_MEMPOOL quadtreeCells;
PEL_MEMPOOL octreeCells;

void startPools() {
    pelMempoolInit(&quadtreeCells, kCellsPerBlock, sizeof(PEL_LIST), PEL_MEMPOOL_GROWABLE);
    pelMempoolInit(&octreeCells, kCellsPerBlock, sizeof(PEL_LIST), PEL_MEMPOOL_GROWABLE);
}

void stopPools() {
    pelMempoolDestroy(&octreeCells);
    pelMempoolDestroy(&quadtreeCells);
}

// What differs between the two kinds of tree.
template <typename Tree>
struct Kind;

template <>
struct Kind<PEL_QUADTREE> {
    static constexpr int kAxes = 2;
    static constexpr uint32_t kCoordinateMask = 0xFFFF;
    static PEL_MEMPOOL& pool() { return quadtreeCells; }
};

template <>
struct Kind<PEL_OCTREE> {
    static constexpr int kAxes = 3;
    static constexpr uint32_t kCoordinateMask = 0xFF;
    static PEL_MEMPOOL& pool() { return octreeCells; }
};

template <typename Tree>
constexpr uint32_t kChildren = 1u << Kind<Tree>::kAxes;

PEL_SPATIAL_LINK* linkOf(const PEL_SPATIAL_TREE* tree, void* object) {
    return reinterpret_cast<PEL_SPATIAL_LINK*>(static_cast<char*>(object) + tree->linkOffset);
}

template <typename Tree>
void create(uint32_t levels, Tree* tree, size_t linkOffset, const int32_t* minimum,
            const int32_t* maximum) {
    constexpr int axes = Kind<Tree>::kAxes;
    if (levels > Tree::kMaxLevels) levels = Tree::kMaxLevels;
    tree->levels = levels;
    uint32_t cellsOfLevel = 1;
    uint32_t offset = 0;
    for (uint32_t level = 0; level <= levels; ++level) {
        tree->levelOffsets[level] = offset;
        offset += cellsOfLevel;
        cellsOfLevel *= kChildren<Tree>;
    }
    tree->cellCount = offset;
    tree->liveCellCount = 0;
    tree->linkOffset = linkOffset;
    tree->objectCount = 0;
    for (int axis = 0; axis < axes; ++axis) {
        tree->minimum[axis] = minimum[axis];
        tree->maximum[axis] = maximum[axis];
        // Widened so that the maximum falls inside the last unit.
        const int64_t span = static_cast<int64_t>(maximum[axis]) - minimum[axis];
        tree->unit[axis] = static_cast<int32_t>(span / (int64_t{1} << levels) + 1);
    }
    tree->cells =
        pelCheckAlloc(static_cast<PEL_LIST**>(std::calloc(tree->cellCount, sizeof(PEL_LIST*))));
    if (!tree->cells) tree->cellCount = 0;
}

template <typename Tree>
uint32_t mortonCode(const Tree* tree, const int32_t* point) {
    constexpr int axes = Kind<Tree>::kAxes;
    uint32_t code = 0;
    for (int axis = 0; axis < axes; ++axis) {
        const int64_t unit = tree->unit[axis] != 0 ? tree->unit[axis] : 1;
        const int64_t cell = (static_cast<int64_t>(point[axis]) - tree->minimum[axis]) / unit;
        const uint32_t bits = static_cast<uint32_t>(cell) & Kind<Tree>::kCoordinateMask;
        for (int bit = 0; bits >> bit != 0; ++bit)
            code |= ((bits >> bit) & 1u) << (bit * axes + axis);
    }
    return code;
}

// The smallest cell holding the box: its level is set by the highest group of bits where the
// corners' codes differ. Points outside the box land in the last cell at worst.
template <typename Tree>
uint32_t cellIndex(const Tree* tree, const int32_t* cornerA, const int32_t* cornerB) {
    constexpr int axes = Kind<Tree>::kAxes;
    const uint32_t code = mortonCode(tree, cornerA);
    const uint32_t differing = code ^ mortonCode(tree, cornerB);
    const uint32_t levels = tree->levels;
    uint32_t level = levels;
    for (uint32_t group = 0; group < levels; ++group) {
        if ((differing >> (group * axes)) & (kChildren<Tree> - 1)) level = levels - group - 1;
    }
    const uint64_t index =
        uint64_t{tree->levelOffsets[level]} + (code >> ((levels - level) * axes));
    return index < tree->cellCount ? static_cast<uint32_t>(index) : tree->cellCount - 1;
}

template <typename Tree>
void destroy(Tree* tree) {
    if (tree->cells) {
        for (uint32_t index = 0; index < tree->cellCount; ++index) {
            if (tree->cells[index]) pelMempoolFreeBlock(tree->cells[index], &Kind<Tree>::pool());
        }
        std::free(tree->cells);
    }
    tree->cells = nullptr;
    tree->cellCount = 0;
    tree->liveCellCount = 0;
    tree->objectCount = 0;
}

template <typename Tree>
PEL_LIST* insert(Tree* tree, void* object, const int32_t* cornerA, const int32_t* cornerB) {
    pelSpatialRemove(tree, object);
    if (!tree->cells) return nullptr;
    const uint32_t index = cellIndex(tree, cornerA, cornerB);
    for (uint32_t missing = index; !tree->cells[missing];) {
        auto* cell = static_cast<PEL_LIST*>(pelMempoolAllocateBlock(&Kind<Tree>::pool()));
        if (!cell) return nullptr;
        pelListInit(cell, tree->linkOffset + sizeof(PEL_LIST*), nullptr, nullptr);
        tree->cells[missing] = cell;
        ++tree->liveCellCount;
        if (missing == 0) break;
        missing = (missing - 1) / kChildren<Tree>;
    }
    PEL_LIST* cell = tree->cells[index];
    pelListAppend(cell, object);
    linkOf(tree, object)->cell = cell;
    ++tree->objectCount;
    return cell;
}

void appendMatching(PEL_ARRAY* result, PEL_LIST* cell, uint32_t mask) {
    for (PEL_LIST_LINK* link = cell->head.next; link != pelListEnd(cell); link = link->next) {
        auto* spatial = reinterpret_cast<PEL_SPATIAL_LINK*>(reinterpret_cast<char*>(link) -
                                                            offsetof(PEL_SPATIAL_LINK, link));
        if ((spatial->flags & mask) == 0) continue;
        const uint32_t count = result->count;
        auto* data = static_cast<void**>(pelArrayResize(result, count + 1));
        if (!data) return;
        data[count] = pelListElement(cell, link);
    }
}

// Visits an existing cell's subtree, children first; deletes the cells that hold nothing and
// have nothing below them. True when the subtree holds objects.
template <typename Tree>
bool collectSubtree(Tree* tree, uint32_t index, PEL_ARRAY* result, uint32_t mask) {
    bool occupied = false;
    const uint64_t firstChild = uint64_t{index} * kChildren<Tree> + 1;
    if (firstChild < tree->cellCount) {
        for (uint32_t child = 0; child < kChildren<Tree>; ++child) {
            const uint32_t childIndex = static_cast<uint32_t>(firstChild) + child;
            if (tree->cells[childIndex] && collectSubtree(tree, childIndex, result, mask))
                occupied = true;
        }
    }
    PEL_LIST* cell = tree->cells[index];
    if (cell->count > 0) {
        appendMatching(result, cell, mask);
        return true;
    }
    if (!occupied) {
        pelMempoolFreeBlock(cell, &Kind<Tree>::pool());
        tree->cells[index] = nullptr;
        --tree->liveCellCount;
    }
    return occupied;
}

template <typename Tree>
void collect(const int32_t* cornerA, PEL_ARRAY* result, Tree* tree, const int32_t* cornerB,
             uint32_t mask) {
    pelArrayResize(result, 0);
    if (!tree->cells) return;
    const uint32_t index = cellIndex(tree, cornerA, cornerB);
    if (tree->cells[index]) collectSubtree(tree, index, result, mask);
    for (uint32_t ancestor = index; ancestor > 0;) {
        ancestor = (ancestor - 1) / kChildren<Tree>;
        if (tree->cells[ancestor]) appendMatching(result, tree->cells[ancestor], mask);
    }
}

}  // namespace

void pelSpatialRegisterModule() { pelCoreSetSpatialPools(startPools, stopPools); }

void pelQuadtreeCreate(uint32_t levels, PEL_QUADTREE* tree, size_t linkOffset,
                       const int32_t minimum[2], const int32_t maximum[2]) {
    create(levels, tree, linkOffset, minimum, maximum);
}

void pelOctreeCreate(uint32_t levels, PEL_OCTREE* tree, size_t linkOffset, const int32_t minimum[3],
                     const int32_t maximum[3]) {
    create(levels, tree, linkOffset, minimum, maximum);
}

void pelQuadtreeDestroy(PEL_QUADTREE* tree) { destroy(tree); }

void pelOctreeDestroy(PEL_OCTREE* tree) { destroy(tree); }

PEL_LIST* pelQuadtreeInsert(PEL_QUADTREE* tree, void* object, const int32_t cornerA[2],
                            const int32_t cornerB[2]) {
    return insert(tree, object, cornerA, cornerB);
}

PEL_LIST* pelOctreeInsert(PEL_OCTREE* tree, void* object, const int32_t cornerA[3],
                          const int32_t cornerB[3]) {
    return insert(tree, object, cornerA, cornerB);
}

void pelSpatialRemove(PEL_SPATIAL_TREE* tree, void* object) {
    PEL_SPATIAL_LINK* link = linkOf(tree, object);
    if (!link->cell) return;
    pelListRemove(link->cell, &link->link);
    link->cell = nullptr;
    --tree->objectCount;
}

void pelQuadtreeCollect(const int32_t cornerA[2], PEL_ARRAY* result, PEL_QUADTREE* tree,
                        const int32_t cornerB[2], uint32_t mask) {
    collect(cornerA, result, tree, cornerB, mask);
}

void pelOctreeCollect(const int32_t cornerA[3], PEL_ARRAY* result, PEL_OCTREE* tree,
                      const int32_t cornerB[3], uint32_t mask) {
    collect(cornerA, result, tree, cornerB, mask);
}
