#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "framework/core/core.h"
#include "framework/core/jobs.h"
#include "framework/core/report.h"
#include "tests/framework/support/report_capture.h"

namespace {

using tessera::test::FatalReport;
using tessera::test::ReportCapture;

TEST(Report, FormatsAndHandsTheTextToTheSink) {
    ReportCapture capture;
    pelReport(PEL_REPORT_DEBUG, u"Debug: [%s] %d %ls", "Config::init", 42, u"ok");
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].level, PEL_REPORT_DEBUG);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"Debug: [Config::init] 42 ok");
}

TEST(Report, LevelZeroRunsTheExitHookAfterTheSink) {
    ReportCapture capture;
    EXPECT_THROW(pelReportText(PEL_REPORT_ERROR, u"Error: [x] fatal"), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"Error: [x] fatal");
    // The lock was released before the hook threw: reporting still works.
    pelReportText(PEL_REPORT_WARNING, u"after");
    EXPECT_EQ(ReportCapture::entries().size(), 2u);
}

TEST(Report, LockHolderReportsAgainWhileOtherThreadsWait) {
    ReportCapture capture;
    pelReportLock();
    std::thread other([] { pelReportText(PEL_REPORT_MESSAGE, u"other"); });
    pelReportText(PEL_REPORT_MESSAGE, u"holder");  // recursive: the holder may report
    EXPECT_EQ(ReportCapture::entries().size(), 1u);
    pelReportUnlock();
    other.join();
    ASSERT_EQ(ReportCapture::entries().size(), 2u);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"holder");
    EXPECT_EQ(ReportCapture::entries()[1].text, u"other");
}

TEST(Report, OverlongMessageIsCutAt1024Units) {
    ReportCapture capture;
    const std::u16string path(2000, u'p');
    EXPECT_THROW(pelReport(PEL_REPORT_ERROR, u"Error: [%s] %ls", "open", path.c_str()),
                 FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    const std::u16string& text = ReportCapture::entries()[0].text;
    EXPECT_EQ(text.size(), 1024u);
    EXPECT_EQ(text.substr(0, 14), u"Error: [open] ");
}

TEST(Report, NullSinkRestoresStandardError) {
    { ReportCapture capture; }
    testing::internal::CaptureStderr();
    pelReportText(PEL_REPORT_DEBUG, u"Debug: [t] \u3042");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Debug: [t] \xE3\x81\x82\n");
}

TEST(Report, CheckAllocReportsNullAndPassesPointersThrough) {
    ReportCapture capture;
    int value = 0;
    EXPECT_EQ(pelCheckAlloc(&value), &value);
    EXPECT_TRUE(ReportCapture::entries().empty());
    EXPECT_THROW(pelCheckAlloc(static_cast<int*>(nullptr)), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 1u);
    EXPECT_EQ(ReportCapture::entries()[0].text, u"Error: Out of memory.");
}

TEST(ReportDeathTest, DefaultExitHookEndsTheProcessWithCode1) {
    EXPECT_EXIT(
        {
            pelReportSetSink(nullptr);
            pelReportSetExitHook(nullptr);
            pelReportText(PEL_REPORT_ERROR, u"Error: [t] the end");
        },
        testing::ExitedWithCode(1), "Error: \\[t\\] the end");
}

TEST(Core, InitializeAndFinalizeAreIdempotent) {
    pelInitialize();
    pelInitialize();
    EXPECT_TRUE(pelJobsRunning());
    EXPECT_EQ(pelJobsProcessorCount(), pelGetProcessorCount());
    EXPECT_GE(pelGetProcessorCount(), 1u);
    EXPECT_EQ(pelGetProcessorFeatures() & PEL_PROCESSOR_SSE2, PEL_PROCESSOR_SSE2);
    pelFinalize();
    EXPECT_FALSE(pelJobsRunning());
    pelFinalize();
    EXPECT_FALSE(pelJobsRunning());
}

}  // namespace
