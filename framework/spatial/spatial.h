#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/array.h"
#include "framework/core/list.h"

// Linear quadtrees and octrees: a broad phase over a fixed integer box. Every cell of every
// level has a slot in one array, indexed by the level's offset plus the cell's Morton code;
// cells are lists of objects, created on insertion and pruned by queries that find them empty.

// Embedded by every object a tree can hold, at the offset the tree is created with.
struct PEL_SPATIAL_LINK {
    PEL_LIST* cell;      // the cell holding the object, or NULL
    PEL_LIST_LINK link;  // next and prev in that cell
    uint32_t flags;      // the caller's category bits, tested by the query mask
};

// What both kinds of tree share; pelSpatialRemove works on either.
struct PEL_SPATIAL_TREE {
    uint32_t levels;
    uint32_t cellCount;
    PEL_LIST** cells;  // cellCount slots, NULL where no cell exists
    uint32_t liveCellCount;
    size_t linkOffset;  // where each object's PEL_SPATIAL_LINK lies
    uint32_t objectCount;
};

struct PEL_QUADTREE : PEL_SPATIAL_TREE {
    static constexpr uint32_t kMaxLevels = 10;
    uint32_t levelOffsets[kMaxLevels + 1];
    int32_t unit[2];
    int32_t minimum[2];
    int32_t maximum[2];
};

struct PEL_OCTREE : PEL_SPATIAL_TREE {
    static constexpr uint32_t kMaxLevels = 7;
    uint32_t levelOffsets[kMaxLevels + 1];
    int32_t unit[3];
    int32_t minimum[3];
    int32_t maximum[3];
};

// Points and boxes hold x, y (quadtree) or x, y, z (octree).
// Levels above the kind's maximum are cut to it; the cell array comes from pelCheckAlloc.
void pelQuadtreeCreate(uint32_t levels, PEL_QUADTREE* tree, size_t linkOffset,
                       const int32_t minimum[2], const int32_t maximum[2]);
void pelOctreeCreate(uint32_t levels, PEL_OCTREE* tree, size_t linkOffset, const int32_t minimum[3],
                     const int32_t maximum[3]);
// Returns every cell to its pool and frees the array; the objects are not touched.
void pelQuadtreeDestroy(PEL_QUADTREE* tree);
void pelOctreeDestroy(PEL_OCTREE* tree);

// Moves the object into the smallest cell holding the box (creating it and its missing
// ancestors) at the end of its list; returns that cell, or NULL when no cell could be made.
PEL_LIST* pelQuadtreeInsert(PEL_QUADTREE* tree, void* object, const int32_t cornerA[2],
                            const int32_t cornerB[2]);
PEL_LIST* pelOctreeInsert(PEL_OCTREE* tree, void* object, const int32_t cornerA[3],
                          const int32_t cornerB[3]);
// Takes the object out of its cell; nothing when it is in none. The cell stays until a query
// finds it empty.
void pelSpatialRemove(PEL_SPATIAL_TREE* tree, void* object);

// Empties the result (an array of void* elements) and fills it with the objects that may
// overlap the box and whose flags share a bit with the mask: the box's cell and its subtree
// (children before their parent), then its ancestors up to the root. Empty branches met on
// the way are deleted.
void pelQuadtreeCollect(const int32_t cornerA[2], PEL_ARRAY* result, PEL_QUADTREE* tree,
                        const int32_t cornerB[2], uint32_t mask);
void pelOctreeCollect(const int32_t cornerA[3], PEL_ARRAY* result, PEL_OCTREE* tree,
                      const int32_t cornerB[3], uint32_t mask);

// Hands the two cell pools (blocks of 4096 cells, growable) to the core, which starts them in
// pelInitialize and stops them in pelFinalize. Call once before pelInitialize in every
// program that uses trees.
void pelSpatialRegisterModule();
