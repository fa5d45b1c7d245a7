#pragma once
// A pool of records that never move: it grows by one block of BlockSize records when its free
// stack is empty, pushing the new block's records in address order; records are taken from and
// given back to the top of the stack, so the last one given back is the next one taken. Blocks
// stay until Release.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/DBuffer.h"

template <class T, int32_t BlockSize>
class L3DEffectPool {
public:
    T* Take() {
        if (freeCount_ == 0) Grow();
        return freeStack_[static_cast<int32_t>(--freeCount_)];
    }
    void Give(T* record) {
        freeStack_.At(static_cast<int32_t>(freeCount_)) = record;
        ++freeCount_;
    }
    // Forgets every record and frees the blocks and the stack.
    void Release() {
        freeCount_ = 0;
        blocks_.clear();
        freeStack_.Free();
    }

    uint32_t freeCount() const { return freeCount_; }
    size_t blockCount() const { return blocks_.size(); }

private:
    void Grow() {
        auto& block = blocks_.emplace_back(std::make_unique<std::array<T, BlockSize>>());
        freeStack_.Reserve(int64_t{freeCount_} + BlockSize);
        for (T& record : *block) Give(&record);
    }

    std::vector<std::unique_ptr<std::array<T, BlockSize>>> blocks_;
    uint32_t freeCount_ = 0;
    mirel::DBuffer<T*, BlockSize> freeStack_;
};
