// The parameter file: its bytes, the reader's reports on bad files, the replacement on save.
#include "engine/system/parameters.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/engine/script/script_test_support.h"
#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

const std::u16string kFailed = u"] ファイル操作でエラーが発生しました。";

class ParametersTest : public ScriptTest {
protected:
    std::u16string path() const { return widen(temp_.file("game.prm")); }
    // Loads a file holding the bytes.
    SystemParameters loaded(const std::string& bytes) {
        temp_.write("game.prm", bytes);
        SystemParameters p;
        p.load(path().c_str());
        return p;
    }

    TempDir temp_;
};

TEST_F(ParametersTest, BytesOfTheFile) {
    SystemParameters p;
    EXPECT_EQ(p.serialize(), std::string(8, '\0'));  // a first run saves two zero counts
    p.strings.push_back(u"abc");
    EXPECT_EQ(p.serialize(), be32(0) + be32(1) + std::string("\0\0\0\3\0a\0b\0c", 10));
    p.ints = {-2, 0x12345678};
    p.strings[0] = std::u16string(u"x\0y", 3);  // a string ends at its terminator
    EXPECT_EQ(p.serialize(), be32(2) + "\xFF\xFF\xFF\xFE" + "\x12\x34\x56\x78" + be32(1) + be32(1) +
                                 std::string("\0x", 2));
}

TEST_F(ParametersTest, SaveThenLoadGivesThemBack) {
    SystemParameters p;
    p.ints = {0, -1, 70000};
    p.strings = {u"", u"名前", u"abc"};
    p.save(path().c_str());
    SystemParameters back;
    back.ints = {5, 5, 5, 5};  // replaced, not merged
    back.load(path().c_str());
    EXPECT_EQ(back.ints, p.ints);
    EXPECT_EQ(back.strings, p.strings);
    EXPECT_TRUE(reports().empty());
}

TEST_F(ParametersTest, SaveReplacesTheFileWithoutLeavingTemporaries) {
    temp_.write("game.prm", std::string(100, 'x'));
    SystemParameters p;
    p.ints = {7};
    p.save(path().c_str());
    EXPECT_EQ(readFileBytes(temp_.file("game.prm")), be32(1) + be32(7) + be32(0));
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(temp_.path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

TEST_F(ParametersTest, SaveCreatesTheFolderAndReportsAnUnwritablePath) {
    SystemParameters p;
    const std::u16string nested = widen(temp_.file("a/b/game.prm"));
    p.save(nested.c_str());
    EXPECT_EQ(readFileBytes(temp_.file("a/b/game.prm")), std::string(8, '\0'));
    EXPECT_TRUE(reports().empty());

    temp_.write("file", "not a folder");
    const std::u16string blocked = widen(temp_.file("file/game.prm"));
    p.save(blocked.c_str());
    EXPECT_EQ(
        textsAt(PEL_REPORT_ERROR),
        std::vector<std::u16string>{u"Error: [File::create] \"" + blocked + u"\"を開けません。"});
}

TEST_F(ParametersTest, BadFilesAreFatalAtTheFailingRead) {
    struct Case {
        const char* what;
        std::string bytes;
        std::u16string tag;
    };
    const Case cases[] = {
        {"empty", "", u"File::readU32"},
        {"cut count", "\0\0", u"File::readU32"},
        {"integers missing", be32(2) + be32(1), u"File::readU32"},
        {"huge integer count", be32(0xFFFFFFFF) + be32(0), u"File::readU32"},
        {"no string count", be32(0), u"File::readU32"},
        {"huge string count", be32(0) + be32(0x40000000), u"File::readU32"},
        {"length past the end", be32(0) + be32(1) + be32(3) + std::string("\0a\0b", 4),
         u"File::readU32"},
        {"length that would wrap", be32(0) + be32(1) + be32(0xFFFFFFFF) + std::string(8, 'a'),
         u"File::readU32"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clearReports();
        const SystemParameters p = loaded(c.bytes);
        EXPECT_EQ(textsAt(PEL_REPORT_ERROR),
                  std::vector<std::u16string>{u"Error: [" + c.tag + kFailed});
        EXPECT_LE(p.ints.size(), 2u);
        EXPECT_LE(p.strings.size(), 1u);
    }
}

TEST_F(ParametersTest, MissingFileCannotBeOpened) {
    SystemParameters p;
    p.load(path().c_str());
    EXPECT_EQ(textsAt(PEL_REPORT_ERROR), std::vector<std::u16string>{u"Error: [File::create] \"" +
                                                                     path() + u"\"を開けません。"});
}

TEST_F(ParametersTest, ResizingNeverShrinks) {
    SystemParameters p;
    p.resizeInts(3);
    p.ints[2] = 9;
    p.resizeInts(1);
    p.resizeStrings(2);
    p.strings[1] = u"kept";
    p.resizeStrings(0);
    p.resizeInts(5);
    EXPECT_EQ(p.ints, (std::vector<int32_t>{0, 0, 9, 0, 0}));
    EXPECT_EQ(p.strings, (std::vector<std::u16string>{u"", u"kept"}));
}

}  // namespace
}  // namespace tessera::test
