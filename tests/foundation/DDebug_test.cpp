#include "foundation/DDebug.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

// A log writing to a fresh file, read back as bytes.
class DDebugFile : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(debug.File().Open(dir.file("debug.log").c_str(),
                                      DFile::OpenWrite | DFile::OpenCreate | DFile::OpenNew));
        debug.EnableFile(true);
    }
    std::string Written() {
        debug.File().Close();
        return readFileBytes(dir.file("debug.log"));
    }
    TempDir dir;
    DDebug debug;
};

TEST_F(DDebugFile, LineEndsBecomeCrLf) {
    debug.Print("a\r\nb");
    debug.Print("\nc\rd\n");
    EXPECT_EQ(Written(), "a\r\nb\r\ncd\r\n");
}

TEST_F(DDebugFile, LongTextIsWrittenWholeAcrossChunksWithDoubleByteCharactersIntact) {
    // 253 letters put a double-byte character (trail byte 0x5C) across the 254-byte chunk
    // edge; it must reach the file whole. 300 bytes in all.
    std::string text(253, 'x');
    text += "\x83\x5C";
    text += std::string(40, 'y') + "\n" + std::string(4, 'z');
    debug.Print(text.c_str());
    std::string expected(253, 'x');
    expected += "\x83\x5C" + std::string(40, 'y') + "\r\n" + std::string(4, 'z');
    EXPECT_EQ(Written(), expected);
}

TEST_F(DDebugFile, LeadByteBeforeTheEndCountsAsOneByte) {
    debug.Print("ab\x81");
    EXPECT_EQ(Written(), "ab\x81");
}

TEST_F(DDebugFile, DisabledFileGetsNothing) {
    debug.EnableFile(false);
    debug.Print("hidden");
    debug.Print(nullptr);
    EXPECT_EQ(Written(), "");
}

}  // namespace
}  // namespace mirel
