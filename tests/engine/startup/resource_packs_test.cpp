#include "engine/startup/resource_packs.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "framework/file/file.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/framework/support/report_capture.h"
#include "tools/writers/apfc_writer.h"

namespace tessera::test {
namespace {

class ResourcePacksTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        capture_.emplace();
    }
    void TearDown() override {
        capture_.reset();
        FrameworkFiles::TearDown();
    }

    // A pack beside the executable holding one member of that name.
    void writePack(const std::string& file, const std::u16string& member) {
        writeBesideExecutable(file, tools::writers::buildApfc({{member, "data"}}));
    }
    static bool mounted(const char16_t* member) {
        return pelFileExists(PEL_FILE_MODE_READ, member) == PEL_OK;
    }
    static std::vector<std::u16string> reports() {
        std::vector<std::u16string> texts;
        for (const auto& entry : ReportCapture::entries()) texts.push_back(entry.text);
        return texts;
    }

    std::optional<ReportCapture> capture_;
};

TEST_F(ResourcePacksTest, NumberedPacksFollowUntilTheFirstGap) {
    writePack("res.dat", u"first");
    writePack("res0.dat", u"second");
    writePack("res2.dat", u"after_gap");
    EXPECT_TRUE(_loadResource(u"res"));
    EXPECT_TRUE(mounted(u"first"));
    EXPECT_TRUE(mounted(u"second"));
    EXPECT_FALSE(mounted(u"after_gap"));
    EXPECT_EQ(reports(), (std::vector<std::u16string>{
                             u"Message: [_loadResource] load resource \"res.dat\"",
                             u"Message: [_loadResource] load resource \"res0.dat\""}));
}

TEST_F(ResourcePacksTest, WithoutTheFirstPackNoneOfTheSeriesIsMounted) {
    writePack("resS0.dat", u"numbered");
    EXPECT_FALSE(_loadResource(u"resS"));
    EXPECT_FALSE(mounted(u"numbered"));
    EXPECT_EQ(reports(), (std::vector<std::u16string>{
                             u"Message: [_loadResource] resource \"resS.dat\" is not exist."}));
}

TEST_F(ResourcePacksTest, APackThatCannotBeMountedIsFatal) {
    writeBesideExecutable("system.dat", "not a pack at all");
    EXPECT_THROW(_loadResource(u"system"), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 2u);
    EXPECT_EQ(ReportCapture::entries()[1].level, PEL_REPORT_ERROR);
    EXPECT_EQ(ReportCapture::entries()[1].text,
              u"Error: [_loadResource] リソースファイル\"system.dat\"を開けませんでした。");
}

}  // namespace
}  // namespace tessera::test
