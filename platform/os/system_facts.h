#pragma once
// Facts about the machine for the settings report: the kernel release, the physical memory
// and the processor identification leaves 0 and 1.
#include <cstdint>
#include <string>

namespace platform::os {

struct SystemFacts {
    std::string kernelRelease;  // uname's release, e.g. "6.1.0-18-amd64"
    uint64_t memoryFree = 0;    // bytes of physical memory not in use
    uint64_t memoryTotal = 0;
    char vendor[12] = {};    // leaf 0: the bytes of EBX, EDX and ECX, lowest first
    uint32_t leaf1[4] = {};  // leaf 1: EAX, EBX, EDX, ECX; all 0 without the leaf
    int pointerBits = 0;     // 64 on a 64-bit process
};

SystemFacts systemFacts();

}  // namespace platform::os
