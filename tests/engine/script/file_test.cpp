#include "engine/script/file.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

class FileTest : public testing::Test {
protected:
    FileTest() {
        pelFileRegisterModule();
        pelInitialize();
    }

    std::u16string path(const std::string& name) const { return widen(temp_.file(name)); }

    std::string written(const std::function<void(File&)>& write) {
        File file;
        file.create(path("out.bin").c_str(), PEL_FILE_MODE_WRITE, PEL_FILE_CREATE);
        write(file);
        file.close();
        return readFileBytes(temp_.file("out.bin"));
    }

    // Opens a file holding the bytes for reading.
    void openWith(File& file, const std::string& bytes) {
        temp_.write("in.bin", bytes);
        file.create(path("in.bin").c_str(), PEL_FILE_MODE_READ, 0);
    }

    TempDir temp_;
};

TEST_F(FileTest, ValuesAreWrittenBigEndian) {
    EXPECT_EQ(written([](File& f) { f.writeU32(3); }), std::string("\0\0\0\3", 4));
    EXPECT_EQ(written([](File& f) { f.writeI32(-2); }), "\xFF\xFF\xFF\xFE");
    EXPECT_EQ(written([](File& f) { f.writeF32(1.0f); }), std::string("\x3F\x80\0\0", 4));
    EXPECT_EQ(written([](File& f) { f.writeU64(0x0102030405060708ull); }),
              "\x01\x02\x03\x04\x05\x06\x07\x08");
    EXPECT_EQ(written([](File& f) { f.writeString(u"A\u3042"); }),
              std::string("\0\0\0\2\0A\x30\x42", 8));
    EXPECT_EQ(written([](File& f) { f.writeString(u""); }), std::string(4, '\0'));
}

TEST_F(FileTest, ValuesReadBackAsWritten) {
    ReportCapture capture;
    File file;
    openWith(file, std::string("\xFF\xFF\xFF\xFE\x3F\x80\0\0\x01\x02\x03\x04\x05\x06\x07\x08"
                               "\0\0\0\2\0x\0y\0\0\0\0",
                               28));
    EXPECT_EQ(file.readI32(), -2);
    EXPECT_EQ(file.readF32(), 1.0f);
    EXPECT_EQ(file.readU64(), 0x0102030405060708ull);
    char16_t text[8] = u"garbage";
    EXPECT_EQ(file.readString(text, 8), 2u);
    EXPECT_EQ(std::u16string(text), u"xy");
    EXPECT_EQ(file.readString(text, 8), 0u);
    EXPECT_EQ(std::u16string(text), u"");
    EXPECT_TRUE(capture.entries().empty());
}

// Each operation that runs short is a fatal report tagged with its own name.
TEST_F(FileTest, ShortReadsAreFatalUnderTheOperationsTag) {
    struct Case {
        const char* tag;
        std::string bytes;
        std::function<void(File&)> read;
    };
    char16_t text[16];
    const Case cases[] = {
        {"File::read", "abc",
         [](File& f) {
             char bytes[4];
             f.read(bytes, 4);
         }},
        {"File::readU32", "abc", [](File& f) { f.readU32(); }},
        {"File::readI32", "abc", [](File& f) { f.readI32(); }},
        {"File::readF32", "ab", [](File& f) { f.readF32(); }},
        {"File::readU64", "abcdefg", [](File& f) { f.readU64(); }},
        {"File::readU32", "\0\0", [&](File& f) { f.readString(text, 16); }},
        {"File::readString", std::string("\0\0\0\3\0a\0b", 8),
         [&](File& f) { f.readString(text, 16); }},
        // The count from the file does not fit the destination: nothing is read past it.
        {"File::readString", std::string("\0\0\0\x10", 4) + std::string(32, 'a'),
         [&](File& f) { f.readString(text, 16); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag);
        File file;
        openWith(file, c.bytes);
        ReportCapture capture;
        EXPECT_THROW(c.read(file), FatalReport);
        ASSERT_EQ(capture.entries().size(), 1u);
        EXPECT_EQ(capture.entries()[0].level, PEL_REPORT_ERROR);
        EXPECT_EQ(capture.entries()[0].text,
                  u"Error: [" + widen(c.tag) + u"] ファイル操作でエラーが発生しました。");
    }
}

TEST_F(FileTest, OversizedStringCountLeavesTheDestinationEmpty) {
    ReportCapture capture(ReportCapture::Fatal::Return);
    File file;
    openWith(file, std::string("\0\0\0\4\0a\0b\0c\0d", 12));
    char16_t text[4] = u"xyz";
    EXPECT_EQ(file.readString(text, 4), 0u);
    EXPECT_EQ(text[0], 0);
    ASSERT_EQ(capture.entries().size(), 1u);
}

TEST_F(FileTest, MissingFileNamesThePath) {
    ReportCapture capture;
    File file;
    const std::u16string missing = path("missing.bin");
    EXPECT_THROW(file.create(missing.c_str(), PEL_FILE_MODE_READ, 0), FatalReport);
    ASSERT_EQ(capture.entries().size(), 1u);
    EXPECT_EQ(capture.entries()[0].text,
              u"Error: [File::create] \"" + missing + u"\"を開けません。");
    EXPECT_FALSE(file.isOpen());
}

TEST_F(FileTest, SizeOfAnOpenFile) {
    File file;
    openWith(file, "12345");
    EXPECT_EQ(file.getSize(), 5u);
}

}  // namespace
}  // namespace tessera::test
