#pragma once
#include <cstddef>

// Movable-memory handles as the plug-in interface uses them: a handle is a block with its size
// in front. The executable exports these so that plug-ins allocate with the host's allocator.
extern "C" {

// Allocation flags, with the values of the Windows API.
inline constexpr unsigned LMEM_FIXED = 0x0000;
inline constexpr unsigned LMEM_MOVEABLE = 0x0002;
inline constexpr unsigned LMEM_ZEROINIT = 0x0040;

// A handle to `bytes` bytes (cleared with LMEM_ZEROINIT), or null.
void* LocalAlloc(unsigned flags, size_t bytes);
// The block's memory (never moves), or null for a null handle.
void* LocalLock(void* handle);
int LocalUnlock(void* handle);
// The size given to LocalAlloc; 0 for a null handle.
size_t LocalSize(void* handle);
// Frees the block; returns null.
void* LocalFree(void* handle);

}  // extern "C"
