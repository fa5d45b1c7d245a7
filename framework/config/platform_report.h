#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// The platform block of the settings report, formatted from facts gathered elsewhere, so the
// text is the same whichever way the facts were read.
struct PEL_MSW_CONFIG_PLATFORM {
    std::u16string osName;  // "Linux <release>, 64bit"
    uint64_t majorVersion;
    uint64_t minorVersion;
    uint64_t buildNumber;
    uint64_t platformId;  // 0 on Linux
    std::u16string servicePack;
    uint32_t servicePackMajor;
    uint32_t servicePackMinor;
    uint32_t suiteMask;
    uint32_t productType;
    uint64_t memoryFree;
    uint64_t memoryTotal;
    char vendor[12];    // processor identification leaf 0: EBX, EDX, ECX bytes, lowest first
    uint32_t leaf1[4];  // EAX, EBX, EDX, ECX of leaf 1; all 0 when the leaf is missing
    uint32_t processorCount;
    bool sse2;
};

// Longest platform block, terminator included; a longer one comes out empty.
constexpr size_t PEL_MSW_CONFIG_PLATFORM_MAX = 1024;

// Writes the block into `out` (at most PEL_MSW_CONFIG_PLATFORM_MAX units are used).
void pelMswConfigFormatPlatform(char16_t* out, size_t size, const PEL_MSW_CONFIG_PLATFORM& facts);

// The kernel release's leading "major.minor.build" numbers; a missing or non-numeric part is 0.
struct PEL_MSW_CONFIG_KERNEL_VERSION {
    uint64_t major;
    uint64_t minor;
    uint64_t build;
};
PEL_MSW_CONFIG_KERNEL_VERSION pelMswConfigParseKernelRelease(const char* release);

// The facts of this machine: the kernel release and its numbers, the memory, the processor
// identification, the framework's processor count and SSE2 bit.
PEL_MSW_CONFIG_PLATFORM pelMswConfigGatherPlatform();
