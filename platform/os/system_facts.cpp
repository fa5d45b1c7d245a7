#include "platform/os/system_facts.h"

#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace platform::os {

SystemFacts systemFacts() {
    SystemFacts facts;
    facts.pointerBits = static_cast<int>(sizeof(void*) * 8);
    struct utsname names {};
    if (uname(&names) == 0) facts.kernelRelease = names.release;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        facts.memoryFree = static_cast<uint64_t>(info.freeram) * info.mem_unit;
        facts.memoryTotal = static_cast<uint64_t>(info.totalram) * info.mem_unit;
    }
#if defined(__x86_64__) || defined(__i386__)
    unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(0, &eax, &ebx, &ecx, &edx)) {
        const unsigned int highest = eax;
        std::memcpy(facts.vendor, &ebx, 4);
        std::memcpy(facts.vendor + 4, &edx, 4);
        std::memcpy(facts.vendor + 8, &ecx, 4);
        if (highest >= 1 && __get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
            facts.leaf1[0] = eax;
            facts.leaf1[1] = ebx;
            facts.leaf1[2] = edx;
            facts.leaf1[3] = ecx;
        }
    }
#endif
    return facts;
}

}  // namespace platform::os
