#include "framework/core/mempool.h"

#include "framework/core/report.h"

namespace {

constexpr size_t kHeader = 16;
static_assert(sizeof(PEL_LIST_LINK) <= kHeader, "a link must fit in a 16-byte header");

size_t roundUp16(size_t value) { return (value + 15) / 16 * 16; }

bool isListable(const PEL_MEMPOOL* pool, const char* operation) {
    if (pool->flags & PEL_MEMPOOL_LISTABLE) return true;
    pelReport(PEL_REPORT_ERROR, u"Error: [%s] リスト化可能なメモリプールではない", operation);
    return false;
}

bool addBlock(PEL_MEMPOOL* pool) {
    auto* block = static_cast<char*>(
        pelAllocatorAllocateAligned(pool->allocator, pool->blockSize, pool->alignment));
    if (!pelCheckAlloc(block)) return false;
    pelListAppend(&pool->blocks, block);
    char* element = block + pool->blockHeaderSize;
    for (uint32_t i = 0; i < pool->elementsPerBlock; ++i, element += pool->stride) {
        pelListAppend(&pool->freeElements, element);
    }
    return true;
}

}  // namespace

PEL_MEMPOOL* pelMempoolInit(PEL_MEMPOOL* pool, uint32_t elementsPerBlock, size_t elementSize,
                            uint32_t flags, const PEL_ALLOCATOR* allocator) {
    const bool listable = (flags & PEL_MEMPOOL_LISTABLE) != 0;
    pool->elementHeaderSize = listable ? kHeader : 0;
    pool->stride = listable ? roundUp16(elementSize + kHeader)
                            : roundUp16(elementSize < 16 ? 16 : elementSize);
    pool->blockHeaderSize = kHeader;
    pool->alignment = 16;
    pool->elementsPerBlock = elementsPerBlock;
    pool->blockSize = elementsPerBlock * pool->stride + kHeader;
    pool->allocator = allocator;
    pool->flags = flags;
    // Every list links through the first 16 bytes of its slot: the block header, or the
    // element's header (listable) or its own first bytes while it is free.
    pelListInit(&pool->blocks, 0, nullptr, nullptr);
    pelListInit(&pool->freeElements, 0, nullptr, nullptr);
    pelListInit(&pool->liveElements, 0, nullptr, nullptr);
    return pool;
}

void pelMempoolDestroy(PEL_MEMPOOL* pool) {
    pelListClear(&pool->liveElements);
    pelListClear(&pool->freeElements);
    while (void* block = pelListFirst(&pool->blocks)) {
        pelListRemoveFirst(&pool->blocks);
        pelAllocatorFreeAligned(pool->allocator, block);
    }
}

void* pelMempoolAllocateBlock(PEL_MEMPOOL* pool) {
    if (pool->freeElements.count == 0) {
        if (pool->blocks.count > 0 && !(pool->flags & PEL_MEMPOOL_GROWABLE)) {
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] メモリプールの空きが無くなった",
                      "pelMempoolAllocateBlock");
            return nullptr;
        }
        if (!addBlock(pool)) return nullptr;
    }
    auto* slot = static_cast<char*>(pelListFirst(&pool->freeElements));
    pelListRemoveFirst(&pool->freeElements);
    if (pool->flags & PEL_MEMPOOL_LISTABLE) pelListAppend(&pool->liveElements, slot);
    return slot + pool->elementHeaderSize;
}

void pelMempoolFreeBlock(void* element, PEL_MEMPOOL* pool) {
    char* slot = static_cast<char*>(element) - pool->elementHeaderSize;
    if (pool->flags & PEL_MEMPOOL_LISTABLE)
        pelListRemove(&pool->liveElements, pelListLink(&pool->liveElements, slot));
    pelListPushFront(&pool->freeElements, slot);
}

uint32_t pelMempoolGetFreeCount(const PEL_MEMPOOL* pool) { return pool->freeElements.count; }

uint32_t pelMempoolGetListCount(PEL_MEMPOOL* pool) {
    if (!isListable(pool, "pelMempoolGetListCount")) return 0;
    return pool->liveElements.count;
}

PEL_LIST_LINK* pelMempoolGetListBegin(PEL_MEMPOOL* pool) {
    if (!isListable(pool, "pelMempoolGetListBegin")) return nullptr;
    return pool->liveElements.head.next;
}

PEL_LIST_LINK* pelMempoolGetListEnd(PEL_MEMPOOL* pool) {
    if (!isListable(pool, "pelMempoolGetListEnd")) return nullptr;
    return pelListEnd(&pool->liveElements);
}
