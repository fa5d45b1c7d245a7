#pragma once
// Model sections read from written bytes, with fatal errors kept and their texts captured.
#include <gtest/gtest.h>

#include <string>

#include "foundation/DFile.h"
#include "platform/os/cp932.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/memory_stream.h"

class ModelReaderTest : public testing::Test {
protected:
    void SetUp() override {
        savedMode_ = l3dDiagMode;
        l3dDiagMode = l3dDiagDefer;
    }
    void TearDown() override {
        l3dTermDiag();
        l3dDiagMode = savedMode_;
    }
    // Opens `bytes` as the file "model.dgo", closing the bytes opened before (a stream is not
    // attached to an open file).
    void open(const std::string& bytes) {
        file_.Close();
        tessera::test::attachMemory(file_, bytes, "model.dgo");
    }
    static std::string sjis(const std::string& utf8) { return platform::os::utf8ToCp932(utf8); }
    static std::string readFailedText() {
        return sjis("ファイル \"model.dgo\" を読み込めませんでした。\n");
    }

    tessera::test::DebugCapture log_;
    mirel::DFile file_;

private:
    uint32_t savedMode_ = 0;
};
