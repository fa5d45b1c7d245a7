#pragma once
// What every resource of the device shares: its pool, usage and priority, and its place in the
// device's count of live DEFAULT-pool resources (a device cannot be reset while any lives).
#include <atomic>
#include <memory>

#include "platform/d3d9/com_object.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/d3d9_types.h"

namespace platform::d3d9 {

// Shared by a device and the DEFAULT-pool resources it created, so that neither keeps the
// other alive.
struct DefaultPoolTally {
    std::atomic<int> live{0};
};

class Resource : public ComObject {
public:
    D3DPOOL pool() const { return pool_; }
    DWORD usage() const { return usage_; }
    DWORD SetPriority(DWORD priority) {
        const DWORD old = priority_;
        priority_ = priority;
        return old;
    }
    DWORD GetPriority() const { return priority_; }

protected:
    // `tally` is counted only for DEFAULT-pool resources the application made.
    Resource(D3DPOOL pool, DWORD usage, std::shared_ptr<DefaultPoolTally> tally)
        : pool_(pool), usage_(usage), tally_(pool == D3DPOOL_DEFAULT ? std::move(tally) : nullptr) {
        if (tally_) ++tally_->live;
    }
    ~Resource() override {
        if (tally_) --tally_->live;
    }

private:
    D3DPOOL pool_;
    DWORD usage_;
    DWORD priority_ = 0;
    std::shared_ptr<DefaultPoolTally> tally_;
};

}  // namespace platform::d3d9
