#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/script/script_vm.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {

// A framework path from a UTF-8 one (the fixtures' paths are ASCII in practice).
std::u16string widen(const std::string& text);

// The compiled fixture "<name>.cnut" as a framework path without the extension.
std::u16string fixturePath(const std::string& name);

// Starts the framework and records reports; a level-0 report returns to its caller, so the
// fallback values after it can be checked.
class ScriptTest : public testing::Test {
protected:
    // Compiles the source on the thread and runs it there with the thread's root as `this`.
    static ScriptObject eval(ScriptThread& thread, const char16_t* source);
    static ScriptObject eval(ScriptTask& task, const char16_t* source) {
        return eval(task.thread(), source);
    }

    static const std::vector<ReportCapture::Entry>& reports() { return ReportCapture::entries(); }
    static void clearReports() { ReportCapture::entries().clear(); }
    // The texts reported at the level, in order.
    static std::vector<std::u16string> textsAt(int level);
    static bool wasReported(int level, const std::u16string& text);

private:
    static bool startFramework();

    // The framework starts first: its start-up installs the default report sink.
    bool started_ = startFramework();
    ReportCapture capture_{ReportCapture::Fatal::Return};
};

}  // namespace tessera::test
