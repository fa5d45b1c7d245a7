#pragma once
// Shared by the fuzz targets of the system's file readers: the framework started with reports
// that return (so a reader goes on after a fatal report, as it must without crashing), and the
// input written to a file that the reader opens.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "framework/core/core.h"
#include "framework/core/report.h"
#include "framework/file/file.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {

// The framework path of a file holding the bytes.
inline std::u16string fuzzInputFile(const uint8_t* data, size_t size) {
    static const bool started = [] {
        pelFileRegisterModule();
        pelInitialize();
        pelReportSetSink([](int32_t, const char16_t*) {});
        pelReportSetExitHook([](int32_t) {});
        return true;
    }();
    (void)started;
    static TempDir* folder = new TempDir();
    const std::string path = folder->file("input.bin");
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return std::u16string(path.begin(), path.end());
}

}  // namespace tessera::test
