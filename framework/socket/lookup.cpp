#include "framework/socket/lookup.h"

#include <atomic>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "framework/core/lock.h"
#include "framework/core/report.h"
#include "framework/core/thread.h"
#include "platform/net/winsock.h"
#include "platform/os/event.h"

struct PEL_LOOKUP {
    PEL_THREAD* thread = nullptr;
    platform::os::EventHandle event;  // auto-reset: wakes the worker
    uint32_t flags = 0;               // guarded by the lookup lock
    std::string name;
    uint32_t result = platform::net::kInaddrNone;
};

namespace {

PEL_LOCK lookupLock;
std::vector<PEL_LOOKUP*> lookups;  // in creation order; guarded by lookupLock
std::atomic<PEL_RESOLVER> resolver{nullptr};
std::atomic<bool> failWorkerStart{false};

bool systemResolve(const char* name, uint32_t* address) {
    return platform::net::resolveHost(name, *address);
}

uint32_t lookupThread(void* user) {
    auto* lookup = static_cast<PEL_LOOKUP*>(user);
    lookupLock.enter();
    for (;;) {
        while ((lookup->flags & (PEL_LOOKUP_STOP | PEL_LOOKUP_REQUESTED)) == 0) {
            // Every signal is raised under the lock after a flag change, so one that arrives
            // between the release and the wait stays set for the wait.
            lookup->event->reset();
            lookupLock.leave();
            platform::os::waitForSingleObject(lookup->event, platform::os::kInfinite);
            lookupLock.enter();
        }
        if (lookup->flags & PEL_LOOKUP_STOP) break;
        lookup->flags = (lookup->flags & ~PEL_LOOKUP_REQUESTED) | PEL_LOOKUP_RESOLVING;
        std::string name = lookup->name;
        lookupLock.leave();
        PEL_RESOLVER resolve = resolver.load();
        uint32_t address = platform::net::kInaddrNone;
        if (!(resolve ? resolve : systemResolve)(name.c_str(), &address)) {
            address = platform::net::kInaddrNone;
        }
        lookupLock.enter();
        lookup->result = address;
        lookup->flags &= ~PEL_LOOKUP_RESOLVING;
        if (lookup->flags & PEL_LOOKUP_CANCELLED)
            lookup->flags &= ~PEL_LOOKUP_CANCELLED;
        else
            lookup->flags |= PEL_LOOKUP_FINISHED;
    }
    lookupLock.leave();
    return 0;
}

// A new record with its own waiting worker; null when the worker cannot be started.
PEL_LOOKUP* acquireLookup() {
    auto* lookup = new (std::nothrow) PEL_LOOKUP;
    if (lookup == nullptr) {
        pelReportOutOfMemory();
        return nullptr;
    }
    lookup->event = platform::os::createEvent(false, false);
    if (failWorkerStart.load() ||
        pelThreadCreate(&lookup->thread, lookupThread, lookup, 0, 1024) != PEL_OK) {
        delete lookup;
        return nullptr;
    }
    lookups.push_back(lookup);
    return lookup;
}

}  // namespace

PEL_LOOKUP* pelLookupRequest(const char* name) {
    std::lock_guard guard(lookupLock);
    PEL_LOOKUP* lookup = nullptr;
    for (PEL_LOOKUP* candidate : lookups) {
        if (candidate->flags == 0) {
            lookup = candidate;
            break;
        }
    }
    if (lookup == nullptr) lookup = acquireLookup();
    if (lookup == nullptr) return nullptr;
    lookup->name = name;
    lookup->result = platform::net::kInaddrNone;
    lookup->flags = PEL_LOOKUP_REQUESTED;
    lookup->event->set();
    return lookup;
}

PEL_STATUS pelLookupPoll(PEL_LOOKUP* lookup, uint32_t* address) {
    {
        std::lock_guard guard(lookupLock);
        if (lookup->flags & PEL_LOOKUP_FINISHED) {
            *address = lookup->result;
            lookup->flags &= ~PEL_LOOKUP_FINISHED;
            return PEL_OK;
        }
        lookup->event->set();
    }
    std::this_thread::yield();
    return PEL_E_PENDING;
}

void pelLookupCancel(PEL_LOOKUP* lookup) {
    std::lock_guard guard(lookupLock);
    if (lookup->flags & PEL_LOOKUP_RESOLVING)
        lookup->flags |= PEL_LOOKUP_CANCELLED;
    else
        lookup->flags &= ~(PEL_LOOKUP_REQUESTED | PEL_LOOKUP_FINISHED);
}

void pelLookupShutdown() {
    lookupLock.enter();
    while (!lookups.empty()) {
        PEL_LOOKUP* lookup = lookups.front();
        if (lookup->flags & (PEL_LOOKUP_RESOLVING | PEL_LOOKUP_FINISHED)) {
            lookup->flags |= PEL_LOOKUP_CANCELLED;
        }
        lookup->flags |= PEL_LOOKUP_STOP;
        lookup->event->set();
        lookupLock.leave();
        pelThreadJoin(lookup->thread, nullptr);
        pelThreadClose(lookup->thread);
        lookupLock.enter();
        lookups.erase(lookups.begin());
        delete lookup;
    }
    lookupLock.leave();
}

void pelLookupSetResolver(PEL_RESOLVER resolve) { resolver.store(resolve); }

void pelLookupFailWorkerStart(bool fail) { failWorkerStart.store(fail); }

uint32_t pelLookupGetRecordCount() {
    std::lock_guard guard(lookupLock);
    return static_cast<uint32_t>(lookups.size());
}

uint32_t pelLookupGetFlags(const PEL_LOOKUP* lookup) {
    std::lock_guard guard(lookupLock);
    return lookup->flags;
}
