// The platform block of the settings report and the kernel release numbers behind RawVer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/config/platform_report.h"

namespace {

PEL_MSW_CONFIG_PLATFORM sampleFacts() {
    PEL_MSW_CONFIG_PLATFORM facts{};
    facts.osName = u"Linux 6.1.0-18-amd64, 64bit";
    facts.majorVersion = 6;
    facts.minorVersion = 1;
    facts.buildNumber = 0;
    facts.memoryFree = 5000000000ULL;  // above 32 bits: the values travel as 64-bit
    facts.memoryTotal = 17179869184ULL;
    std::memcpy(facts.vendor, "GenuineIntel", 12);
    facts.leaf1[0] = 0x906ea;
    facts.leaf1[1] = 0x1100800;
    facts.leaf1[2] = 0xbfebfbff;
    facts.leaf1[3] = 0x7ffafbbf;
    facts.processorCount = 8;
    facts.sse2 = true;
    return facts;
}

TEST(ConfigPlatformReport, FormatsEveryField) {
    char16_t out[PEL_MSW_CONFIG_PLATFORM_MAX];
    pelMswConfigFormatPlatform(out, std::size(out), sampleFacts());
    EXPECT_EQ(std::u16string(out),
              u"-----\r\nPlatform\r\n  OS: Linux 6.1.0-18-amd64, 64bit\r\n"
              u"  RawVer: 6/1/0/0/[]/0/0/0/0\r\n"
              u"  Memory: Free 5000000000, Total 17179869184\r\n"
              u"  Processor: Vendor(GenuineIntel) Features(906ea/1100800/bfebfbff/7ffafbbf)\r\n"
              u"  Processor Count: 8\r\n  Processor Features: SSE2\r\n\r\n");

    PEL_MSW_CONFIG_PLATFORM plain = sampleFacts();
    plain.sse2 = false;
    pelMswConfigFormatPlatform(out, std::size(out), plain);
    EXPECT_NE(std::u16string(out).find(u"Processor Features: \r\n\r\n"), std::u16string::npos);
}

TEST(ConfigPlatformReport, OverlongBlockComesOutEmpty) {
    PEL_MSW_CONFIG_PLATFORM facts = sampleFacts();
    facts.osName.assign(PEL_MSW_CONFIG_PLATFORM_MAX, u'x');
    char16_t out[2 * PEL_MSW_CONFIG_PLATFORM_MAX];
    out[0] = u'?';
    pelMswConfigFormatPlatform(out, std::size(out), facts);
    EXPECT_EQ(out[0], u'\0');
}

TEST(ConfigPlatformReport, KernelReleaseNumbers) {
    struct Case {
        const char* release;
        uint64_t major, minor, build;
    };
    const Case cases[] = {
        {"6.1.0-18-amd64", 6, 1, 0},
        {"5.15.153.1-microsoft-standard-WSL2", 5, 15, 153},
        {"4.19", 4, 19, 0},
        {"6.8.0+rc1", 6, 8, 0},
        {"", 0, 0, 0},
        {"abc", 0, 0, 0},
        {nullptr, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.release ? c.release : "(null)");
        const PEL_MSW_CONFIG_KERNEL_VERSION version = pelMswConfigParseKernelRelease(c.release);
        EXPECT_EQ(version.major, c.major);
        EXPECT_EQ(version.minor, c.minor);
        EXPECT_EQ(version.build, c.build);
    }
}

}  // namespace
