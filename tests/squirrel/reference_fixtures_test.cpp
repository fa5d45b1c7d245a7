// Runs every closure compiled by the reference compiler (with and without debug info) and
// every reference source compiled by ours, and compares the output byte for byte. Also checks
// that our compiler writes the same closure streams as the reference compiler.
#include "tests/squirrel/script_runner.h"
#include "tests/support/fixture_paths.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> kFixtures = {
    "array_funcs",    "class_native",  "closures",    "compile_errors", "delegates",
    "error_uncaught", "errors_caught", "generator",   "num_format",     "num_parse",
    "sort_cmp",       "sort_default",  "str_escapes", "tbl_delete",     "tbl_intkeys",
    "tbl_mixed",      "tbl_strkeys",   "thread"};

// Fixtures that need language parts not built yet. Each must still fail: when it starts
// passing, remove it from this table.
const std::map<std::string, std::string> kExpectedFailures = {};

std::string RefPath(const std::string& file) {
    return tessera::test::sharedDir() + "/squirrel-ref/" + file;
}

class ReferenceFixture : public ::testing::TestWithParam<std::string> {};

TEST_P(ReferenceFixture, RunsLikeTheReference) {
    const std::string name = GetParam();
    const std::string expected_out = sqtest::ReadFile(RefPath(name + ".expected"));
    const std::string stderr_path = RefPath(name + ".stderr.expected");
    const std::string expected_err =
        sqtest::FileExists(stderr_path) ? sqtest::ReadFile(stderr_path) : std::string();
    const int expected_status = expected_err.empty() ? 0 : 1;
    const auto failure = kExpectedFailures.find(name);
    for (const char* form : {".cnut", ".nodebug.cnut", ".nut"}) {
        const sqtest::RunResult r =
            sqtest::Run(name + ".nut", sqtest::ReadFile(RefPath(name + form)));
        const bool same =
            r.out == expected_out && r.err == expected_err && r.status == expected_status;
        if (failure != kExpectedFailures.end()) {
            EXPECT_FALSE(same) << name << form << " now passes; remove it from kExpectedFailures";
            continue;
        }
        EXPECT_EQ(r.out, expected_out) << name << form;
        EXPECT_EQ(r.err, expected_err) << name << form;
        EXPECT_EQ(r.status, expected_status) << name << form;
    }
}

TEST_P(ReferenceFixture, CompilesToTheSameStream) {
    const std::string name = GetParam();
    const std::string source = sqtest::ReadFile(RefPath(name + ".nut"));
    EXPECT_TRUE(sqtest::Compile(name + ".nut", source, false) ==
                sqtest::ReadFile(RefPath(name + ".nodebug.cnut")))
        << name << " without debug info";
    EXPECT_TRUE(sqtest::Compile(name + ".nut", source, true) ==
                sqtest::ReadFile(RefPath(name + ".cnut")))
        << name << " with debug info";
}

// A wrong path or a missing shared folder must not run empty scripts that pass.
TEST(ReferenceFixtureFiles, AMissingFileFailsTheTestWithItsPath) {
    EXPECT_NONFATAL_FAILURE(sqtest::ReadFile(RefPath("no_such_fixture.nut")),
                            "squirrel-ref/no_such_fixture.nut");
}

INSTANTIATE_TEST_SUITE_P(Squirrel, ReferenceFixture, ::testing::ValuesIn(kFixtures));

}  // namespace
