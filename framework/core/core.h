#pragma once
#include <cstdint>

// The framework's core module. Nothing of the framework may be used before pelInitialize
// except the report path.

// Starts the module once (later calls do nothing) and registers pelFinalize with atexit.
void pelInitialize();
// Stops the module; does nothing when it is not running.
void pelFinalize();

// Processors online, at least 1 (1 before pelInitialize).
uint32_t pelGetProcessorCount();
// Bit 0: SSE2 code paths are available.
uint32_t pelGetProcessorFeatures();
inline constexpr uint32_t PEL_PROCESSOR_SSE2 = 1;

// The file module lives in a library above the core; it hands over its start and stop so that
// pelInitialize and pelFinalize run them at their place in the order.
void pelCoreSetFileSystem(void (*start)(), void (*stop)());
// The same hand-over for the spatial trees' two cell pools, started before the file system.
void pelCoreSetSpatialPools(void (*start)(), void (*stop)());
