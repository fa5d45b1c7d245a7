#include "framework/config/platform_report.h"

#include <algorithm>

#include "framework/core/core.h"
#include "framework/core/format.h"
#include "platform/os/system_facts.h"
#include "platform/os/utf8.h"

namespace {

// Reads the decimal number at `text`, stopping at the first non-digit (and before a value that
// would overflow); moves `text` past the digits read.
uint64_t readNumber(const char*& text) {
    uint64_t value = 0;
    while (*text >= '0' && *text <= '9') {
        const uint64_t digit = static_cast<uint64_t>(*text - '0');
        if (value > (UINT64_MAX - digit) / 10) break;
        value = value * 10 + digit;
        ++text;
    }
    return value;
}

}  // namespace

void pelMswConfigFormatPlatform(char16_t* out, size_t size, const PEL_MSW_CONFIG_PLATFORM& facts) {
    char16_t processor[128];
    const auto v = [&facts](int i) {
        return static_cast<int>(static_cast<uint8_t>(facts.vendor[i]));
    };
    pelSprintf(processor, std::size(processor),
               u"Vendor(%c%c%c%c%c%c%c%c%c%c%c%c) Features(%x/%x/%x/%x)", v(0), v(1), v(2), v(3),
               v(4), v(5), v(6), v(7), v(8), v(9), v(10), v(11), facts.leaf1[0], facts.leaf1[1],
               facts.leaf1[2], facts.leaf1[3]);
    pelSprintf(out, std::min(size, PEL_MSW_CONFIG_PLATFORM_MAX),
               u"-----\r\nPlatform\r\n  OS: %ls\r\n"
               u"  RawVer: %lu/%lu/%lu/%lu/[%ls]/%u/%u/%x/%u\r\n"
               u"  Memory: Free %llu, Total %llu\r\n  Processor: %ls\r\n"
               u"  Processor Count: %u\r\n  Processor Features: %ls\r\n\r\n",
               facts.osName.c_str(), facts.majorVersion, facts.minorVersion, facts.buildNumber,
               facts.platformId, facts.servicePack.c_str(), facts.servicePackMajor,
               facts.servicePackMinor, facts.suiteMask, facts.productType, facts.memoryFree,
               facts.memoryTotal, processor, facts.processorCount, facts.sse2 ? u"SSE2" : u"");
}

PEL_MSW_CONFIG_KERNEL_VERSION pelMswConfigParseKernelRelease(const char* release) {
    PEL_MSW_CONFIG_KERNEL_VERSION version{};
    if (release == nullptr) return version;
    const char* text = release;
    uint64_t* parts[] = {&version.major, &version.minor, &version.build};
    for (size_t i = 0; i < std::size(parts); ++i) {
        if (i > 0) {
            if (*text != '.') break;
            ++text;
        }
        *parts[i] = readNumber(text);
    }
    return version;
}

PEL_MSW_CONFIG_PLATFORM pelMswConfigGatherPlatform() {
    const platform::os::SystemFacts system = platform::os::systemFacts();
    PEL_MSW_CONFIG_PLATFORM facts{};
    facts.osName = u"Linux " + platform::os::utf8ToUtf16(system.kernelRelease) +
                   (system.pointerBits == 64 ? u", 64bit" : u", 32bit");
    const PEL_MSW_CONFIG_KERNEL_VERSION version =
        pelMswConfigParseKernelRelease(system.kernelRelease.c_str());
    facts.majorVersion = version.major;
    facts.minorVersion = version.minor;
    facts.buildNumber = version.build;
    facts.memoryFree = system.memoryFree;
    facts.memoryTotal = system.memoryTotal;
    std::copy(std::begin(system.vendor), std::end(system.vendor), facts.vendor);
    std::copy(std::begin(system.leaf1), std::end(system.leaf1), facts.leaf1);
    facts.processorCount = pelGetProcessorCount();
    facts.sse2 = (pelGetProcessorFeatures() & PEL_PROCESSOR_SSE2) != 0;
    return facts;
}
