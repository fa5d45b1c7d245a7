#pragma once
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

#include "framework/core/core.h"
#include "framework/socket/lookup.h"
#include "framework/socket/socket.h"

namespace framework::socket::testing {

// A resolver the test steers: names starting with "slow" wait inside the resolution until the
// test opens the gate, or (after releaseOnStop) until their record is told to stop; every other
// name resolves at once. "missing" does not resolve; anything else gives 127.0.0.1.
struct FakeResolver {
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    int returned = 0;
    bool open = false;
    PEL_LOOKUP* stopWatch = nullptr;

    static FakeResolver& instance() {
        static FakeResolver resolver;
        return resolver;
    }
    void reset() {
        std::lock_guard lock(mutex);
        entered = returned = 0;
        open = false;
        stopWatch = nullptr;
    }
    void waitEntered(int count) {
        std::unique_lock lock(mutex);
        changed.wait(lock, [&] { return entered >= count; });
    }
    void openGate() {
        std::lock_guard lock(mutex);
        open = true;
        changed.notify_all();
    }
    // The waiting resolution returns once shut-down has told `lookup` to stop.
    void releaseOnStop(PEL_LOOKUP* lookup) {
        std::lock_guard lock(mutex);
        stopWatch = lookup;
        changed.notify_all();
    }
    int returnedCount() {
        std::lock_guard lock(mutex);
        return returned;
    }

    static bool resolve(const char* name, uint32_t* address) {
        FakeResolver& self = instance();
        std::string text = name;
        if (text.rfind("slow", 0) == 0) {
            std::unique_lock lock(self.mutex);
            ++self.entered;
            self.changed.notify_all();
            self.changed.wait(lock, [&] { return self.open || self.stopWatch != nullptr; });
            if (!self.open) {
                PEL_LOOKUP* watched = self.stopWatch;
                lock.unlock();
                while ((pelLookupGetFlags(watched) & PEL_LOOKUP_STOP) == 0)
                    std::this_thread::yield();
                lock.lock();
            }
            ++self.returned;
        }
        if (text == "missing") return false;
        *address = 0x7F000001;
        return true;
    }
};

// The framework core and the socket module, with the fake resolver in place.
class SocketModule : public ::testing::Test {
protected:
    void SetUp() override {
        pelInitialize();
        FakeResolver::instance().reset();
        pelLookupSetResolver(&FakeResolver::resolve);
        pelSocketInitialize();
    }
    void TearDown() override {
        FakeResolver::instance().openGate();
        pelSocketFinalize();
        pelLookupSetResolver(nullptr);
        pelLookupFailWorkerStart(false);
    }
    FakeResolver& resolver() { return FakeResolver::instance(); }
};

// Polls until the lookup finishes (the fake resolver answers without waiting on the test).
inline uint32_t finish(PEL_LOOKUP* lookup) {
    uint32_t address = 0;
    while (pelLookupPoll(lookup, &address) == PEL_E_PENDING) {
    }
    return address;
}

}  // namespace framework::socket::testing
