#pragma once
#include <cstddef>
#include <cstdint>

#include "framework/core/allocator.h"
#include "framework/core/list.h"

enum : uint32_t {
    PEL_MEMPOOL_GROWABLE = 1,  // a new block is added when no element is free
    PEL_MEMPOOL_LISTABLE = 2,  // elements in use stand in the live list, in allocation order
};

// A pool of fixed-size elements handed out from blocks aligned to 16 bytes. Each block begins
// with a 16-byte header linking it into the block list; an element of a listable pool has a
// 16-byte header holding its live-list link. Must not be moved once initialised.
struct PEL_MEMPOOL {
    size_t blockSize;          // elementsPerBlock * stride + blockHeaderSize
    size_t blockHeaderSize;    // 16
    size_t stride;             // element plus header, a multiple of 16, at least 16
    size_t elementHeaderSize;  // 16 when listable, else 0
    size_t alignment;          // 16
    uint32_t elementsPerBlock;
    const PEL_ALLOCATOR* allocator;  // NULL: the heap
    uint32_t flags;
    PEL_LIST blocks;
    PEL_LIST freeElements;
    PEL_LIST liveElements;
};

PEL_MEMPOOL* pelMempoolInit(PEL_MEMPOOL* pool, uint32_t elementsPerBlock, size_t elementSize,
                            uint32_t flags, const PEL_ALLOCATOR* allocator = nullptr);
void pelMempoolDestroy(PEL_MEMPOOL* pool);
// One element. When none is free and the pool may not grow, the fatal report "メモリプールの空き
// が無くなった" is made and NULL returned (should the exit hook return); heap exhaustion is the
// out-of-memory report.
void* pelMempoolAllocateBlock(PEL_MEMPOOL* pool);
// Returns the element; it is the next one handed out.
void pelMempoolFreeBlock(void* element, PEL_MEMPOOL* pool);
// Free elements available without growing.
uint32_t pelMempoolGetFreeCount(const PEL_MEMPOOL* pool);

// Walking a listable pool (other pools get the fatal report "リスト化可能なメモリプールではない"):
// for (link = begin; link != end; link = link->next) use pelMempoolListElement(link).
uint32_t pelMempoolGetListCount(PEL_MEMPOOL* pool);
PEL_LIST_LINK* pelMempoolGetListBegin(PEL_MEMPOOL* pool);
PEL_LIST_LINK* pelMempoolGetListEnd(PEL_MEMPOOL* pool);
inline void* pelMempoolListElement(PEL_LIST_LINK* link) {
    return reinterpret_cast<char*>(link) + 16;
}
