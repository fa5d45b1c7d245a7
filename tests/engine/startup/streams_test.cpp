// The foundation's files and the 3D library's log over the framework: LFmPellam as the pack
// registry's provider, DDataPellam behind every file it opens, DDataPellamLog into the log.
#include <gtest/gtest.h>

#include <string>

#include "engine/startup/data_streams.h"
#include "foundation/DFile.h"
#include "foundation/DString.h"
#include "foundation/pack/DMFile.h"
#include "foundation/pack/field_readers.h"
#include "foundation/pack/pack_registry.h"
#include "framework/msw/msw.h"
#include "render3d/diagnostics/LExceptGame.h"
#include "tests/engine/startup/provider_fixture.h"
#include "tools/writers/dmf_writer.h"
#include "tools/writers/scrambled_fields.h"

namespace tessera::test {
namespace {

using mirel::DFile;

std::string readWhole(DFile& file) {
    std::string bytes(static_cast<size_t>(file.Size()), '\0');
    EXPECT_EQ(file.Read(bytes.data(), static_cast<uint32_t>(bytes.size())),
              static_cast<int32_t>(bytes.size()));
    return bytes;
}

TEST_F(ProviderTest, ReadFlagOpensForReadingAndCreateWithNewTruncatesForWriting) {
    writeBesideExecutable("data/read.bin", "stored bytes");
    const std::string written = writeBesideExecutable("data/new.bin", "an older, longer text");

    DFile reader;
    lfmOpenPath("data/read.bin", reader, DFile::OpenRead);
    EXPECT_EQ(readWhole(reader), "stored bytes");
    EXPECT_STREQ(reader.GetPath(), "data/read.bin");

    DFile writer;
    lfmOpenPath("data/new.bin", writer, DFile::OpenCreate | DFile::OpenNew);
    EXPECT_EQ(writer.Write("fresh", 5), 5);
    writer.Close();
    EXPECT_EQ(readFileBytes(written), "fresh");
}

TEST_F(ProviderTest, CreateOrNewAloneIsAFatalUnsupportedMode) {
    writeBesideExecutable("data/file.bin", "x");
    const struct {
        uint32_t flags;
        const char* message;
    } cases[] = {
        {DFile::OpenCreate, "[LFmPellam::OpenData] 未サポート(ALWAYS)"},
        {DFile::OpenNew, "[LFmPellam::OpenData] 未サポート(NEW)"},
        {DFile::OpenCreate | DFile::OpenWrite, "[LFmPellam::OpenData] 未サポート(ALWAYS)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        debug_.emplace();
        DFile file;
        EXPECT_THROW(lfmOpenPath("data/file.bin", file, c.flags), LExceptGame);
        EXPECT_FALSE(file.IsOpen());
        EXPECT_EQ(debug_->text(), sjis(c.message) + "\n");
    }
}

TEST_F(ProviderTest, MissingFileIsFatalWithItsName) {
    DFile file;
    EXPECT_THROW(lfmOpenPath("data/none.bin", file, DFile::OpenRead), LExceptGame);
    EXPECT_EQ(debug_->text(), sjis("ファイル \"data/none.bin\" を開けませんでした。") + "\n");
}

TEST_F(ProviderTest, BackslashNamesAreFoundUnderTheirSlashedNames) {
    writeBesideExecutable("data/sub/file.bin", "found");
    EXPECT_TRUE(lfmIsPackDataExist(0, "data\\sub\\file.bin"));
    EXPECT_FALSE(lfmIsPackDataExist(0, "data\\sub\\other.bin"));
    DFile file;
    lfmOpenPackData(0, file, "data\\sub\\file.bin");
    EXPECT_EQ(readWhole(file), "found");
}

TEST_F(ProviderTest, MountedPacksComeBeforeLooseFiles) {
    writeBesideExecutable("same.txt", "loose");
    writeBesideExecutable("only_loose.txt", "on disk");
    mountPack("res.dat", {{u"same.txt", "packed"}});
    DFile packed, loose;
    lfmOpenPackData(0, packed, "same.txt");
    lfmOpenPackData(0, loose, "only_loose.txt");
    EXPECT_EQ(readWhole(packed), "packed");
    EXPECT_EQ(readWhole(loose), "on disk");
}

TEST_F(ProviderTest, StreamSeeksTellsAndMeasuresInsideAPackMember) {
    mountPack("system.dat", {{u"lead.bin", "lead"}, {u"digits.bin", "0123456789"}});
    DFile file;
    lfmOpenPackData(0, file, "digits.bin");
    EXPECT_EQ(file.Size(), 10);
    const struct {
        int32_t offset;
        int32_t whence;
        const char* next;
    } seeks[] = {
        {3, mirel::DDataOverride::SeekBegin, "34"},
        {-2, mirel::DDataOverride::SeekEnd, "89"},
        {-6, mirel::DDataOverride::SeekCurrent, "45"},
    };
    for (const auto& seek : seeks) {
        SCOPED_TRACE(seek.next);
        ASSERT_TRUE(file.Seek(seek.offset, seek.whence));
        char two[2];
        ASSERT_EQ(file.Read(two, 2), 2);
        EXPECT_EQ(std::string(two, 2), seek.next);
    }
    EXPECT_EQ(file.Tell(), 6);
    EXPECT_FALSE(file.Seek(11, mirel::DDataOverride::SeekBegin));
}

TEST_F(ProviderTest, WritingStreamTellsItsPendingBytes) {
    const std::string path = executableFolder() + "/out.bin";
    DFile file;
    lfmOpenPath("out.bin", file, DFile::OpenCreate | DFile::OpenNew);
    ASSERT_EQ(file.Write("pending", 7), 7);
    EXPECT_EQ(file.Tell(), 7);
    EXPECT_TRUE(file.Flush());
    EXPECT_EQ(readFileBytes(path), "pending");
}

// Field files packed into "system.dat" are scrambled twice: by the pack and by their fields.
// Read through the provider, the pack's layer is gone and the field readers undo their own,
// in a plain member and in a member of a "DMF " archive member.
TEST_F(ProviderTest, ScrambledFieldsInPackedFilesReadAsWritten) {
    const auto fields = [](uint32_t number, float value, const std::string& text) {
        tools::writers::ScrambledFieldWriter writer;
        writer.u32(number);
        writer.f32(value);
        writer.string(text);
        return writer.data();
    };
    const std::string archive = tools::writers::writeDmf(
        {{"first", fields(1, 1.0f, "one")}, {"model", fields(0xA1B2C3D4, -2.5f, "モデル")}});
    mountPack("system.dat",
              {{u"effect.bin", fields(0x12345678, 0.75f, "effect")}, {u"model.dmf", archive}});

    DFile plain;
    lfmOpenPackData(0, plain, "effect.bin");
    EXPECT_EQ(lfmReadU32(plain), 0x12345678u);
    EXPECT_EQ(lfmReadF32(plain), 0.75f);
    mirel::DString text;
    lfmReadString(plain, text);
    EXPECT_STREQ(text.Text(), "effect");

    DFile packed;
    lfmOpenPackData(0, packed, "model.dmf");
    mirel::DMFile dmf;
    ASSERT_TRUE(dmf.Open(packed));
    DFile member;
    ASSERT_TRUE(dmf.OpenData(member, "model"));
    EXPECT_EQ(lfmReadU32(member), 0xA1B2C3D4u);
    EXPECT_EQ(lfmReadF32(member), -2.5f);
    lfmReadString(member, text);
    EXPECT_STREQ(text.Text(), "モデル");
}

// The log of the window platform, opened in the temporary home.
class LibraryLogTest : public FrameworkFiles {
protected:
    void SetUp() override {
        FrameworkFiles::SetUp();
        pelMswInitialize();
    }
    void TearDown() override {
        pelMswFinalize();
        FrameworkFiles::TearDown();
    }
    // The log's text after its byte-order mark.
    std::string logText() const {
        const std::string text = readFileBytes(temp().path() + "/data/game.log");
        EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        return text.substr(3);
    }

    DDataPellamLog sink_;
};

TEST_F(LibraryLogTest, LongWritesAreCutTo768BytesAndReportedWhole) {
    const std::string thousand(1000, 'a');
    EXPECT_EQ(sink_.Write(thousand.data(), 1000), 1000);
    EXPECT_EQ(logText(), std::string(768, 'a'));
}

TEST_F(LibraryLogTest, ShiftJisTextIsLoggedAsTextAndACutCharacterAsQuestionMark) {
    const std::string japanese = platform::os::utf8ToCp932("ログ\r\n");
    EXPECT_EQ(sink_.Write(japanese.data(), static_cast<int32_t>(japanese.size())),
              static_cast<int32_t>(japanese.size()));
    // A double-byte character whose trail byte falls beyond byte 768.
    const std::string cut = std::string(767, 'b') + platform::os::utf8ToCp932("字");
    EXPECT_EQ(sink_.Write(cut.data(), static_cast<int32_t>(cut.size())), 769);
    EXPECT_EQ(logText(), "ログ\r\n" + std::string(767, 'b') + "?");
}

TEST(LibraryLogSink, WritesWithoutALogStillReportTheirCount) {
    DDataPellamLog sink;
    EXPECT_EQ(sink.Write("text", 4), 4);
    EXPECT_EQ(sink.Read(nullptr, 4), 0);
    EXPECT_EQ(sink.Size(), 0);
}

}  // namespace
}  // namespace tessera::test
