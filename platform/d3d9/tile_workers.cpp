#include "platform/d3d9/tile_workers.h"

#include <algorithm>

#include "platform/os/float_mode.h"
#include "platform/os/processor_count.h"

namespace platform::d3d9 {

TileWorkers::TileWorkers(unsigned threads) {
    if (threads == 0) threads = platform::os::processorCount();
    for (unsigned i = 1; i < threads; ++i) {
        auto worker = std::make_unique<Worker>();
        worker->owner = this;
        worker->index = i;
        // A thread the system refuses just leaves fewer workers.
        if (!worker->thread.start(&TileWorkers::workerMain, worker.get())) break;
        workers_.push_back(std::move(worker));
    }
    ranOn_.assign(this->threads(), 0);
}

TileWorkers::~TileWorkers() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (auto& worker : workers_) worker->thread.join();
}

uint32_t TileWorkers::workerMain(void* argument) {
    auto* worker = static_cast<Worker*>(argument);
    TileWorkers& owner = *worker->owner;
    unsigned seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(owner.mutex_);
            owner.started_.wait(lock, [&] { return owner.stopping_ || owner.generation_ != seen; });
            if (owner.stopping_) return 0;
            seen = owner.generation_;
        }
        // The caller's floating-point mode, so that a tile draws the same on any thread.
        platform::os::setFloatMode(owner.floatMode_);
        owner.runShare(worker->index);
        bool last;
        {
            std::lock_guard<std::mutex> lock(owner.mutex_);
            last = --owner.pending_ == 0;
        }
        if (last) owner.finished_.notify_one();
    }
}

void TileWorkers::runShare(unsigned index) {
    ranOn_[index] = index < tileCount_ ? platform::os::currentThreadId() : 0;
    if (index >= tileCount_) return;
    (*work_)(index);
    // Claiming needs no ordering beyond the counter's own: run() waits on the mutex for
    // every thread, which publishes the pixels they drew.
    for (unsigned tile = nextTile_.fetch_add(1, std::memory_order_relaxed); tile < tileCount_;
         tile = nextTile_.fetch_add(1, std::memory_order_relaxed))
        (*work_)(tile);
}

unsigned TileWorkers::threadsUsedLastRun() const {
    unsigned used = 0;
    for (std::size_t i = 0; i < ranOn_.size(); ++i) {
        if (ranOn_[i] == 0) continue;
        bool seenBefore = false;
        for (std::size_t j = 0; j < i; ++j) seenBefore = seenBefore || ranOn_[j] == ranOn_[i];
        if (!seenBefore) ++used;
    }
    return used;
}

void TileWorkers::run(unsigned tileCount, const std::function<void(unsigned tile)>& work) {
    if (workers_.empty() || tileCount <= 1) {
        std::fill(ranOn_.begin(), ranOn_.end(), 0);
        if (tileCount > 0) ranOn_[0] = platform::os::currentThreadId();
        for (unsigned tile = 0; tile < tileCount; ++tile) work(tile);
        return;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tileCount_ = tileCount;
        nextTile_.store(threads(), std::memory_order_relaxed);
        work_ = &work;
        floatMode_ = platform::os::floatMode();
        pending_ = static_cast<unsigned>(workers_.size());
        ++generation_;
    }
    started_.notify_all();
    runShare(0);
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [&] { return pending_ == 0; });
    work_ = nullptr;
}

}  // namespace platform::d3d9
