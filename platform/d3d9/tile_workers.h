#pragma once
// A fixed set of threads that share out the tiles of a draw. Tile i always goes to thread
// i mod n (thread 0 is the caller), so the split never depends on timing; each thread runs
// its tiles in increasing order. run() returns when every tile is done.
#include <condition_variable>
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
    static uint32_t workerMain(void* worker);
    void runShare(unsigned index);

    std::vector<std::unique_ptr<Worker>> workers_;
    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable finished_;
    unsigned generation_ = 0;  // counts runs; a change tells the workers to start
    unsigned pending_ = 0;     // workers still busy with the current run
    bool stopping_ = false;
    unsigned tileCount_ = 0;
    const std::function<void(unsigned)>* work_ = nullptr;
    std::vector<uint32_t> ranOn_;  // per share: the id of the thread that ran a tile of it, or 0
};

}  // namespace platform::d3d9
