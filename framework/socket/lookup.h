#pragma once
#include <cstdint>

#include "framework/core/status.h"

// A host-name lookup running on a worker thread of the socket module. Records and their
// workers are made on first need, kept idle for reuse and stopped by pelSocketFinalize.
struct PEL_LOOKUP;

// Flags of a lookup record; 0 = idle.
enum : uint32_t {
    PEL_LOOKUP_STOP = 1,
    PEL_LOOKUP_REQUESTED = 4,
    PEL_LOOKUP_RESOLVING = 8,
    PEL_LOOKUP_FINISHED = 0x10,
    PEL_LOOKUP_CANCELLED = 0x20,
};

// Starts resolving `name` (multibyte text) on an idle record, or on a new one with its own
// worker; null when no worker thread could be started.
PEL_LOOKUP* pelLookupRequest(const char* name);
// PEL_OK with the IPv4 address in host order (kInaddrNone when the name did not resolve) and
// the record idle again; PEL_E_PENDING while the lookup runs.
PEL_STATUS pelLookupPoll(PEL_LOOKUP* lookup, uint32_t* address);
// Gives the record back; a running resolution is discarded when it returns.
void pelLookupCancel(PEL_LOOKUP* lookup);
// Stops every worker, waiting for a resolution in progress, and frees the records.
void pelLookupShutdown();

// Seams for tests. The resolver runs on a worker, outside the lookup lock; null restores the
// system's (getaddrinfo, IPv4). With the failure switch on, no new worker can be started.
using PEL_RESOLVER = bool (*)(const char* name, uint32_t* address);
void pelLookupSetResolver(PEL_RESOLVER resolver);
void pelLookupFailWorkerStart(bool fail);
// The lookup records made so far and the flags of one (for tests).
uint32_t pelLookupGetRecordCount();
uint32_t pelLookupGetFlags(const PEL_LOOKUP* lookup);
