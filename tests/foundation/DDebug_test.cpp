#include "foundation/DDebug.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

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

TEST_F(DDebugFile, TextsFromSeveralThreadsAreNotMixed) {
    // Each text is longer than one chunk, so unserialised writers would interleave chunks.
    const std::string a(600, 'a');
    const std::string b(600, 'b');
    std::thread other([&] {
        for (int i = 0; i < 20; ++i) debug.Print((a + "\n").c_str());
    });
    for (int i = 0; i < 20; ++i) debug.Print((b + "\n").c_str());
    other.join();
    const std::string written = Written();
    ASSERT_EQ(written.size(), 40u * 602);
    for (size_t line = 0; line < 40; ++line) {
        const std::string text = written.substr(line * 602, 600);
        EXPECT_TRUE(text == a || text == b) << "line " << line;
    }
}

}  // namespace
}  // namespace mirel
