#pragma once
#include <cstddef>
#include <cstdint>

// Pipes to the lobby or adjuster program, named by the descriptor numbers it passed on the
// command line. Every call answers false when the descriptor is not open or the system call
// fails (a closed peer included: SIGPIPE is ignored process-wide).

// Bytes that can be read without blocking.
bool loungePipeBytesWaiting(uint32_t pipe, size_t* bytes);
// Reads exactly `size` bytes; end of data before that is a failure.
bool loungePipeRead(uint32_t pipe, void* data, size_t size);
// Writes exactly `size` bytes.
bool loungePipeWrite(uint32_t pipe, const void* data, size_t size);
