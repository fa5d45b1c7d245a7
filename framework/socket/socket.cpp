#include "framework/socket/socket.h"

#include <cstdlib>

#include "framework/core/report.h"
#include "framework/core/spinlock.h"
#include "framework/socket/lookup.h"
#include "framework/socket/udp_session.h"

namespace {

bool started = false;
bool finaliserRegistered = false;
PEL_MEMPOOL recordPool;
PEL_MEMPOOL sessionPool;
// The pools do not lock themselves; network threads open and close records.
PEL_SPINLOCK poolLock{};

void reportStartFailure() { pelReport(0, u"Error: Can't initialized."); }

}  // namespace

void pelSocketInitialize() {
    if (started) return;
    if (platform::net::wsaStartup() != 0) {
        reportStartFailure();
        return;
    }
    pelMempoolInit(&recordPool, 8, sizeof(PEL_SOCKET), PEL_MEMPOOL_GROWABLE);
    pelMempoolInit(&sessionPool, 4, sizeof(PEL_UDP), PEL_MEMPOOL_GROWABLE);
    if (!finaliserRegistered) {
        if (std::atexit(pelSocketFinalize) != 0) reportStartFailure();
        finaliserRegistered = true;
    }
    started = true;
}

void pelSocketFinalize() {
    if (!started) return;
    pelLookupShutdown();
    pelMempoolDestroy(&recordPool);
    pelMempoolDestroy(&sessionPool);
    platform::net::wsaCleanup();
    started = false;
}

PEL_SOCKET* pelSocketAllocate() {
    void* element;
    {
        PelSpinGuard guard(&poolLock);
        element = pelMempoolAllocateBlock(&recordPool);
    }
    if (element == nullptr) return nullptr;
    return new (element) PEL_SOCKET{platform::net::kInvalidSocket, 0, nullptr, 0, 0};
}

void pelSocketFree(PEL_SOCKET* record) {
    PelSpinGuard guard(&poolLock);
    pelMempoolFreeBlock(record, &recordPool);
}

uint32_t pelSocketGetFreeRecordCount() {
    PelSpinGuard guard(&poolLock);
    return pelMempoolGetFreeCount(&recordPool);
}

void* pelSocketAllocateSession() {
    PelSpinGuard guard(&poolLock);
    return pelMempoolAllocateBlock(&sessionPool);
}

void pelSocketFreeSession(void* session) {
    PelSpinGuard guard(&poolLock);
    pelMempoolFreeBlock(session, &sessionPool);
}
