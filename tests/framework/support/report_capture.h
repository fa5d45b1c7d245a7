#pragma once
#include <string>
#include <vector>

#include "framework/core/report.h"

namespace tessera::test {

// A fatal report under the capturing exit hook.
struct FatalReport {
    int level;
};

// Records every report and turns level-0 reports into a FatalReport exception, restoring the
// defaults on destruction. With Fatal::Return the exit hook returns instead, so the code after
// a level-0 report (the fallback values) runs and can be checked.
class ReportCapture {
public:
    struct Entry {
        int level;
        std::u16string text;
    };

    enum class Fatal { Throw, Return };

    explicit ReportCapture(Fatal fatal = Fatal::Throw) {
        entries().clear();
        pelReportSetSink([](int32_t level, const char16_t* text) {
            entries().push_back({level, text});
        });
        if (fatal == Fatal::Throw) {
            pelReportSetExitHook([](int32_t level) {
                if (level == PEL_REPORT_ERROR) throw FatalReport{level};
            });
        } else {
            pelReportSetExitHook([](int32_t) {});
        }
    }
    ~ReportCapture() {
        pelReportSetSink(nullptr);
        pelReportSetExitHook(nullptr);
    }
    ReportCapture(const ReportCapture&) = delete;
    ReportCapture& operator=(const ReportCapture&) = delete;

    static std::vector<Entry>& entries() {
        static std::vector<Entry> recorded;
        return recorded;
    }
};

}  // namespace tessera::test
