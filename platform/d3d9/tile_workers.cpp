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
    shares_ = std::vector<Share>(this->threads());
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

namespace {

// Takes the front tile (for the share's owner) or the back one (for any other thread) of the
// unclaimed tiles of a share; false when none are left. Claiming needs no ordering beyond the
// range's own: run() waits on the mutex for every thread, which publishes the pixels they drew.
bool claimTile(std::atomic<uint64_t>& unclaimed, bool front, unsigned& tile) {
    uint64_t range = unclaimed.load(std::memory_order_relaxed);
    for (;;) {
        const auto first = static_cast<uint32_t>(range), end = static_cast<uint32_t>(range >> 32);
        if (first >= end) return false;
        const uint64_t rest = front ? range + 1 : range - (uint64_t{1} << 32);
        if (unclaimed.compare_exchange_weak(range, rest, std::memory_order_relaxed)) {
            tile = front ? first : end - 1;
            return true;
        }
    }
}

}  // namespace

unsigned TileWorkers::firstTileOf(unsigned index) const {
    return static_cast<unsigned>(uint64_t{tileCount_} * index / threads());
}

void TileWorkers::runShare(unsigned index) {
    const unsigned first = firstTileOf(index);
    const bool owns = first < firstTileOf(index + 1);
    ranOn_[index] = owns ? platform::os::currentThreadId() : 0;
    if (owns) (*work_)(first);
    unsigned tile;
    while (claimTile(shares_[index].unclaimed, true, tile)) (*work_)(tile);
    for (unsigned other = 1; other < threads(); ++other) {
        std::atomic<uint64_t>& unclaimed = shares_[(index + other) % threads()].unclaimed;
        while (claimTile(unclaimed, false, tile)) (*work_)(tile);
    }
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
        // Each share's first tile is its owner's alone, so it is not among those to claim.
        for (unsigned i = 0; i < threads(); ++i)
            shares_[i].unclaimed.store(uint64_t{firstTileOf(i + 1)} << 32 |
                                           std::min(firstTileOf(i) + 1, firstTileOf(i + 1)),
                                       std::memory_order_relaxed);
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
