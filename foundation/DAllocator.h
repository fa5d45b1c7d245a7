#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

#include "foundation/DSection.h"

namespace mirel {

// A pool of N fixed-size blocks for records of type T. Alloc and Free cost a lock, one array
// access and an index change; when every block is out, further records come from the heap and
// go back there when freed. Callers see only payload addresses; the payload is raw storage
// that the caller constructs and destroys.
template <class T, uint32_t N>
class DAllocator {
public:
    DAllocator() : area_(new Block[N]), freeStack_(new Block*[N]) {
        for (uint32_t i = 0; i < N; ++i) {
            area_[i].header = kPoolBlock;
            freeStack_[i] = &area_[i];
        }
    }
    DAllocator(const DAllocator&) = delete;
    DAllocator& operator=(const DAllocator&) = delete;
    virtual ~DAllocator() = default;

    // Storage for one T; never null (a failing heap throws std::bad_alloc).
    void* Alloc() {
        {
            std::lock_guard<DSection> guard(lock_);
            if (used_ < N) return freeStack_[used_++]->payload;
        }
        Block* block = new Block;
        block->header = kHeapBlock;
        return block->payload;
    }

    // Returns a block from Alloc, in any order. Heap blocks are freed without the lock.
    void Free(void* payload) {
        if (!payload) return;
        Block* block = BlockOf(payload);
        if (block->header == kHeapBlock) {
            delete block;
            return;
        }
        std::lock_guard<DSection> guard(lock_);
        freeStack_[--used_] = block;
    }

    // The number of pool blocks handed out (heap blocks are not counted).
    uint32_t Used() const {
        std::lock_guard<DSection> guard(lock_);
        return used_;
    }
    static constexpr uint32_t Capacity() { return N; }

private:
    static constexpr int32_t kHeapBlock = 0;
    static constexpr int32_t kPoolBlock = 1;

    struct Block {
        int32_t header;
        alignas(T) unsigned char payload[sizeof(T)];
    };

    static Block* BlockOf(void* payload) {
        return reinterpret_cast<Block*>(static_cast<unsigned char*>(payload) -
                                        offsetof(Block, payload));
    }

    mutable DSection lock_;
    std::unique_ptr<Block[]> area_;
    // Entries [used_, N) hold exactly the pool blocks not handed out.
    std::unique_ptr<Block*[]> freeStack_;
    uint32_t used_ = 0;
};

}  // namespace mirel
