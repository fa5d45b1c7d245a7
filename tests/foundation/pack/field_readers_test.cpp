#include "foundation/pack/field_readers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/DExceptFile.h"
#include "foundation/pack/DMFile.h"
#include "render3d/diagnostics/diagnostics.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/foundation/support/pack_fixture.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/little_endian.h"
#include "tools/writers/scrambled_fields.h"

namespace mirel {
namespace {

using tessera::test::attachMemory;
using tessera::test::DebugCapture;
using tools::writers::ScrambledFieldWriter;

// Fatal errors are kept, not shown, and forgotten afterwards.
class FieldReaders : public testing::Test {
protected:
    void SetUp() override {
        savedMode_ = l3dDiagMode;
        l3dDiagMode = l3dDiagDefer;
    }
    void TearDown() override {
        l3dTermDiag();
        l3dDiagMode = savedMode_;
    }
    DebugCapture log_;

private:
    uint32_t savedMode_ = 0;
};

TEST_F(FieldReaders, AValueAt0x1FEIsXoredWithItsPositions) {
    std::string bytes(0x1FE, '\0');
    bytes += "\x01\x02\x03\x04";
    DFile file;
    attachMemory(file, bytes);
    ASSERT_TRUE(file.Seek(0x1FE, DDataOverride::SeekBegin));
    // 01^FE, 02^FF, 03^00, 04^01 = FF FD 03 05, little-endian.
    EXPECT_EQ(lfmReadU32(file), 0x0503FDFFu);
    EXPECT_EQ(file.Tell(), 0x202);
}

TEST_F(FieldReaders, WrittenFieldsReadBack) {
    ScrambledFieldWriter writer;
    writer.u8(0xA5);
    writer.u32(0xDEADBEEF);
    writer.f32(-1.5f);
    writer.bytes(std::string("\x00\x01\xFF", 3));
    writer.string("name");
    writer.string("");
    writer.string(std::string("cut\0off", 7));
    writer.u8(7);

    DFile file;
    attachMemory(file, writer.data());
    EXPECT_EQ(lfmReadU8(file), 0xA5);
    EXPECT_EQ(lfmReadU32(file), 0xDEADBEEFu);
    EXPECT_EQ(lfmReadF32(file), -1.5f);
    char raw[3];
    lfmReadBytes(raw, 3, file);
    EXPECT_EQ(std::string(raw, 3), std::string("\x00\x01\xFF", 3));
    DString text("old");
    lfmReadString(file, text);
    EXPECT_STREQ(text.Text(), "name");
    const int32_t beforeEmpty = file.Tell();
    lfmReadString(file, text);
    EXPECT_STREQ(text.Text(), "");
    EXPECT_EQ(file.Tell(), beforeEmpty + 4);  // nothing read after the length
    lfmReadString(file, text);
    EXPECT_STREQ(text.Text(), "cut");  // the length ends at the first NUL
    EXPECT_EQ(text.Length(), 3u);
    EXPECT_EQ(lfmReadU8(file), 7);
}

TEST_F(FieldReaders, MemberBytesDecodeWithTheMemberRelativePosition) {
    ScrambledFieldWriter writer;  // scrambled from the member's start
    writer.u32(0x11223344);
    writer.string("inside");
    DFile file;
    attachMemory(file,
                 tools::writers::writeDmf({{"pad", std::string(77, 'p')}, {"m", writer.data()}}));
    DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    DFile member;
    ASSERT_TRUE(archive.OpenData(member, "m"));
    EXPECT_EQ(lfmReadU32(member), 0x11223344u);
    DString text;
    lfmReadString(member, text);
    EXPECT_STREQ(text.Text(), "inside");
}

TEST_F(FieldReaders, BlobReferences) {
    ScrambledFieldWriter writer;
    writer.u32(0);  // no address: null whatever follows
    writer.u32(0x1000);
    writer.u32(99);
    writer.u32(0x1010);  // 16 bytes past the stored base
    writer.u32(0x1000);
    writer.u32(5);
    DFile file;
    attachMemory(file, writer.data());
    uint8_t blob[32];
    const lfmBlobRef none = lfmReadBlobRef(file, blob);
    EXPECT_EQ(none.address, nullptr);
    EXPECT_EQ(none.length, 0u);
    const lfmBlobRef ref = lfmReadBlobRef(file, blob);
    EXPECT_EQ(ref.address, blob + 16);
    EXPECT_EQ(ref.length, 5u);
}

// A string length from the file beyond what is left is a short read, whatever its size:
// nothing is reserved or written for it.
TEST_F(FieldReaders, StringLengthsBeyondTheRestAreFatal) {
    for (uint32_t length : {0xFFFFFFFFu, 0xFFFFFFF0u, 0x80000000u, 6u}) {
        SCOPED_TRACE(length);
        ScrambledFieldWriter writer;
        writer.u32(length);
        writer.bytes("12345");
        DFile file;
        attachMemory(file, writer.data(), "fields.bin");
        DString text;
        EXPECT_THROW(lfmReadString(file, text), LExceptGame);
    }
    const std::string expected = Sjis("ファイル \"fields.bin\" を読み込めませんでした。\n");
    EXPECT_EQ(log_.text(), expected + expected + expected + expected);
}

TEST_F(FieldReaders, ShortReadsAreFatalOrTheFilesOwnErrorWithTheThrowFlag) {
    DFile file;
    attachMemory(file, "abc", "short.bin");
    EXPECT_THROW(lfmReadU32(file), LExceptGame);
    EXPECT_EQ(log_.text(), Sjis("ファイル \"short.bin\" を読み込めませんでした。\n"));

    // At the end of a view with a limit the read itself fails, and throws with the flag set.
    DFile view;
    ASSERT_TRUE(view.OpenView(0, 3, file));
    ASSERT_TRUE(view.Seek(3, DDataOverride::SeekBegin));
    view.SetThrow(true);
    EXPECT_THROW(lfmReadU8(view), DExceptFile);
    char nothing[1];
    lfmReadBytes(nothing, 0, view);  // zero bytes need no data
}

}  // namespace
}  // namespace mirel
