#include <gtest/gtest.h>

#include "engine/config/config.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

class VersionFile : public FrameworkFiles {};

TEST_F(VersionFile, BigEndianNumberOrFatalReport) {
    const struct {
        const char* name;
        const char* bytes;  // null: no file
        size_t size;
        uint32_t version;
        std::u16string report;
        int level;
    } cases[] = {
        // in this order: the file is written by the later cases
        {"missing", nullptr, 0, UINT32_MAX, u"Error: [File::create] \"ver\"を開けません。",
         PEL_REPORT_ERROR},
        {"three bytes", "\x00\x01\x02", 3, UINT32_MAX,
         u"Error: [File::readU32] ファイル操作でエラーが発生しました。", PEL_REPORT_ERROR},
        {"four bytes", "\x00\x01\x02\x03", 4, 0x00010203u,
         u"Message: [Config::init] game version is \"66051\"", PEL_REPORT_MESSAGE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCapture capture(ReportCapture::Fatal::Return);
        if (c.bytes) writeBesideExecutable("ver", std::string(c.bytes, c.size));
        Config config;
        config.readVersion();
        EXPECT_EQ(config.gameVersion, c.version);
        ASSERT_EQ(ReportCapture::entries().size(), 1u);
        EXPECT_EQ(ReportCapture::entries()[0].level, c.level);
        EXPECT_EQ(ReportCapture::entries()[0].text, c.report);
    }
}

TEST(WindowClass, SuffixCarriesTheScriptName) {
    EXPECT_EQ(windowClassSuffix(u"GAME"), u"TAVORIN_ENGINE_GAME");
    EXPECT_EQ(windowClassSuffix(u""), u"TAVORIN_ENGINE_");
}

}  // namespace
}  // namespace tessera::test
