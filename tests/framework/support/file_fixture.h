#pragma once
#include <gtest/gtest.h>

#include <string>

#include "framework/file/file.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {

// Runs each test with the framework started in a temporary home: the executable's folder is
// <temp>/Bin (with a capital, as installs may have), the XDG folders and TMPDIR point inside
// the temporary folder.
class FrameworkFiles : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes a file below the executable's folder and returns its full path.
    std::string writeBesideExecutable(const std::string& name, const std::string& bytes) const;
    std::string executableFolder() const { return temp_.path() + "/Bin"; }
    const TempDir& temp() const { return temp_; }

    // The whole content of an open file, read in one go.
    static std::string readAll(PEL_FILE* file);

private:
    TempDir temp_;
};

}  // namespace tessera::test
