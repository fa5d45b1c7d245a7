#include "foundation/DRefCount.h"

#include <new>

namespace mirel {

DRefCountAllocator& DRefCountPool() {
    static DRefCountAllocator* const pool = new DRefCountAllocator;
    return *pool;
}

DRefCount* DRefCountNew(void* object, void (*destroy)(void*)) {
    auto* rc = new (DRefCountPool().Alloc()) DRefCount;
    rc->count.store(1, std::memory_order_relaxed);
    rc->object = object;
    rc->destroy = destroy;
    return rc;
}

void DRefCountDiscard(DRefCount* rc) {
    rc->~DRefCount();
    DRefCountPool().Free(rc);
}

void DRefCountRelease(DRefCount* rc) {
    if (rc->count.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    rc->destroy(rc->object);
    DRefCountDiscard(rc);
}

}  // namespace mirel
