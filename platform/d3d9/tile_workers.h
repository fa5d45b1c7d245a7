#pragma once
// A fixed set of threads that share out the tiles of a draw. Each thread owns a contiguous
// share of the tiles (thread 0, the caller, the first) and draws it from the front, so that
// pass after pass a thread draws the same part of a target and finds what it drew last still
// in its own caches. A thread done with its share takes tiles from the back of the others',
// so a thread held up by heavy tiles leaves the rest to the others; only the first tile of a
// share is always its owner's, so every thread takes part when there are enough tiles. Which
// thread draws a tile may change from run to run; what a tile draws does not, since tiles
// share no pixels. run() returns when every tile is done. Every worker computes with the
// caller's floating-point mode of that run.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/os/thread.h"

namespace platform::d3d9 {

class TileWorkers {
public:
    // `threads` counts the caller; 0 means one per processor.
    explicit TileWorkers(unsigned threads);
    ~TileWorkers();
    TileWorkers(const TileWorkers&) = delete;
    TileWorkers& operator=(const TileWorkers&) = delete;

    unsigned threads() const { return static_cast<unsigned>(workers_.size()) + 1; }

    // Calls work(tile) for every tile in [0, tileCount).
    void run(unsigned tileCount, const std::function<void(unsigned tile)>& work);

    // Distinct threads that ran at least one tile in the last run.
    unsigned threadsUsedLastRun() const;

private:
    struct Worker {
        TileWorkers* owner;
        unsigned index;  // 1.. (0 is the caller)
        platform::os::Thread thread;
    };
    // The tiles of a share not claimed yet, [front, back), as back << 32 | front. Each on a
    // cache line of its own, as the threads claim from them all the time.
    struct alignas(64) Share {
        std::atomic<uint64_t> unclaimed{0};
    };
    static uint32_t workerMain(void* worker);
    // The first tile of share `index` of the current run; share i ends where share i + 1
    // begins.
    unsigned firstTileOf(unsigned index) const;
    void runShare(unsigned index);

    std::vector<std::unique_ptr<Worker>> workers_;
    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable finished_;
    unsigned generation_ = 0;  // counts runs; a change tells the workers to start
    unsigned pending_ = 0;     // workers still busy with the current run
    bool stopping_ = false;
    unsigned tileCount_ = 0;
    std::vector<Share> shares_;  // one per thread
    const std::function<void(unsigned)>* work_ = nullptr;
    uint32_t floatMode_ = 0;       // the caller's MXCSR, taken by every worker for the run
    std::vector<uint32_t> ranOn_;  // per share: the id of the thread that ran a tile of it, or 0
};

}  // namespace platform::d3d9
