#pragma once
#include <cstddef>
#include <cstdint>

namespace platform::os {

// Pipes inherited from another program, named by their descriptor numbers (as that program
// passes them on the command line). Every call answers false when the descriptor is not open
// or the system call fails; a closed reading end makes writes fail rather than end the process
// once ignoreBrokenPipeSignal has run.

// Bytes that can be read without blocking.
bool pipeBytesWaiting(uint32_t pipe, size_t* bytes);
// Reads exactly `size` bytes; end of data before that is a failure.
bool pipeRead(uint32_t pipe, void* data, size_t size);
// Writes exactly `size` bytes.
bool pipeWrite(uint32_t pipe, const void* data, size_t size);

}  // namespace platform::os
