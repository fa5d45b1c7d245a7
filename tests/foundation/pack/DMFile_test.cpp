#include "foundation/pack/DMFile.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "foundation/DExceptFile.h"
#include "tests/foundation/support/memory_stream.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/dmf_writer.h"

namespace mirel {
namespace {

using tessera::test::attachMemory;
using tools::writers::DmfEntry;
using tools::writers::DmfMember;
using tools::writers::writeDmf;
using tools::writers::writeDmfDirectory;

std::string ReadAll(DFile& file) {
    std::string out(static_cast<size_t>(file.Size()), '\0');
    if (!out.empty()) {
        EXPECT_EQ(file.Read(out.data(), static_cast<uint32_t>(out.size())), file.Size());
    }
    return out;
}

std::string Member(DMFile& archive, const char* name) {
    DFile member;
    if (!archive.OpenData(member, name)) return "<absent>";
    return ReadAll(member);
}

TEST(DMFile, EmptyArchiveOpensAndFindsNothing) {
    DFile file;
    attachMemory(file, writeDmf({}));
    DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    EXPECT_EQ(archive.Count(), 0u);
    EXPECT_EQ(archive.Find("anything"), nullptr);
}

TEST(DMFile, MembersAreFoundWithoutCaseAndReadExactlyTheirSize) {
    DFile file;
    attachMemory(file, "junk" + writeDmf({{"Data/A.TXT", "alpha"}, {"b.bin", "BETA!"}}),
                 "pack.dmf");
    DFile inner;
    ASSERT_TRUE(inner.OpenView(4, -1, file));  // the archive starts 4 bytes into the file
    DMFile archive;
    ASSERT_TRUE(archive.Open(inner));
    inner.Close();  // the archive keeps its own view
    file.Close();

    EXPECT_EQ(Member(archive, "data/a.txt"), "alpha");
    EXPECT_EQ(Member(archive, "DATA/A.txt"), "alpha");
    EXPECT_EQ(Member(archive, "B.BIN"), "BETA!");
    EXPECT_EQ(Member(archive, "c.bin"), "<absent>");

    DMFile::DMFileINFO* entry = archive.Find("DATA/a.TXT");
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->name, "data/a.txt");
    EXPECT_EQ(entry->nameLength, 10);
    uint8_t sum = 0;
    for (char c : std::string("data/a.txt")) sum = static_cast<uint8_t>(sum + c);
    EXPECT_EQ(entry->hash, sum);

    DFile member;
    ASSERT_TRUE(archive.OpenEntry(member, entry));
    EXPECT_STREQ(member.GetPath(), "pack.dmf | data/a.txt");
    char buffer[8];
    EXPECT_EQ(member.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(member.Read(buffer, 1), -1);  // past the member's end
}

TEST(DMFile, NamesDifferingOnlyInCaseAreDuplicates) {
    DFile file;
    attachMemory(file, writeDmf({{"Data/A.TXT", "1"}, {"data/a.txt", "2"}}));
    DMFile archive;
    EXPECT_FALSE(archive.Open(file));
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.Count(), 0u);
}

TEST(DMFile, ShiftJisCharactersMatchByteForByte) {
    // 0x83 0x41 is one character whose trail byte is 'A'; the 'B' after it is a letter.
    const std::string name =
        "\x83\x41"
        "B";
    DFile file;
    attachMemory(file, writeDmf({{name, "sjis"}}));
    DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    DMFile::DMFileINFO* entry = archive.Find(name.c_str());
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(std::string(entry->name),
              "\x83\x41"
              "b");
    EXPECT_EQ(Member(archive,
                     "\x83\x41"
                     "b"),
              "sjis");
    EXPECT_EQ(Member(archive,
                     "\x83\x61"
                     "b"),
              "<absent>");

    char lowered[DMFile::NameCapacity] = "X\x83\x5A\x83";  // a lead byte cut off at the end
    DMFile::LowerName(lowered, lowered);
    EXPECT_EQ(std::string(lowered), "x\x83\x5A\x83");
}

// Directories that cannot be read, with and without the caller's throw flag; the archive is
// closed afterwards either way and the file's flag is as before.
TEST(DMFile, DirectoryErrorsCloseTheArchiveAndThrowOnlyWithTheThrowFlag) {
    const std::string longName(264, 'n');
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"name length 264", writeDmfDirectory(2, {{"ok", 8, 0}, {longName, 8, 0}})},
        {"negative offset", writeDmfDirectory(1, {{"a", -4, 2}})},
        {"negative size", writeDmfDirectory(1, {{"a", 0, -1}})},
        {"negative count", writeDmfDirectory(-1, {})},
        {"count beyond the entries", writeDmfDirectory(3, {{"a", 0, 1}})},
    };
    for (const auto& c : cases) {
        for (bool throwFlag : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (throwFlag ? ", throw flag" : ""));
            DFile file;
            attachMemory(file, c.bytes);
            file.SetThrow(throwFlag);
            DMFile archive;
            if (throwFlag) {
                EXPECT_THROW(archive.Open(file), DExceptFile);
            } else {
                EXPECT_FALSE(archive.Open(file));
            }
            EXPECT_FALSE(archive.IsOpen());
            EXPECT_EQ(archive.Count(), 0u);
            EXPECT_EQ(archive.Find("a"), nullptr);
            EXPECT_EQ(file.GetThrow(), throwFlag);
        }
    }
}

TEST(DMFile, BadMagicGivesFalseWithoutThrowing) {
    std::string bytes = writeDmf({{"a", "1"}});
    bytes[3] = 'X';
    DFile file;
    attachMemory(file, bytes);
    file.SetThrow(true);
    DMFile archive;
    EXPECT_FALSE(archive.Open(file));
    EXPECT_TRUE(file.GetThrow());
}

TEST(DMFile, OpenOnAnOpenArchiveClosesIt) {
    DFile file;
    attachMemory(file, writeDmf({{"a", "1"}}));
    DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    EXPECT_FALSE(archive.Open(file));
    EXPECT_FALSE(archive.IsOpen());
    EXPECT_EQ(archive.Find("a"), nullptr);
}

TEST(DMFile, ArchiveInsideAMemberOfAnother) {
    const std::string inner = writeDmf({{"deep.txt", "nested bytes"}});
    DFile file;
    attachMemory(file, writeDmf({{"first", "xyz"}, {"inner.dmf", inner}}));
    DMFile outer;
    ASSERT_TRUE(outer.Open(file));
    DFile member;
    ASSERT_TRUE(outer.OpenData(member, "inner.dmf"));
    DMFile nested;
    ASSERT_TRUE(nested.Open(member));
    EXPECT_EQ(Member(nested, "DEEP.TXT"), "nested bytes");
}

TEST(DMFile, EveryTruncatedDirectoryGivesFalse) {
    const std::string whole = writeDmf({{"one.txt", "1111"}, {"two/three.bin", "222"}});
    const size_t directoryEnd = whole.size() - 7;
    for (size_t length = 0; length < directoryEnd; ++length) {
        SCOPED_TRACE(length);
        DFile file;
        attachMemory(file, whole.substr(0, length));
        DMFile archive;
        EXPECT_FALSE(archive.Open(file));
        EXPECT_FALSE(archive.IsOpen());
    }
}

TEST(DMFile, OpenFileReadsAnArchiveOnDisk) {
    tessera::test::TempDir dir;
    const std::string path = dir.write("pack.dmf", writeDmf({{"m", "member"}}));
    DMFile archive;
    ASSERT_TRUE(archive.OpenFile(path.c_str()));
    EXPECT_EQ(Member(archive, "M"), "member");
    EXPECT_FALSE(DMFile().OpenFile(dir.file("missing.dmf").c_str()));
}

}  // namespace
}  // namespace mirel

namespace mirel {
namespace {

// Members share the archive file's lock: threads reading different members each see their own.
TEST(DMFile, MembersAreReadFromSeveralThreads) {
    std::vector<tools::writers::DmfMember> members;
    for (int i = 0; i < 4; ++i)
        members.push_back({"m" + std::to_string(i), std::string(5000, static_cast<char>('a' + i))});
    DFile file;
    tessera::test::attachMemory(file, tools::writers::writeDmf(members));
    DMFile archive;
    ASSERT_TRUE(archive.Open(file));
    std::vector<std::thread> threads;
    std::vector<std::string> read(4);
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&archive, &read, i] {
            DFile member;
            if (!archive.OpenData(member, ("M" + std::to_string(i)).c_str())) return;
            char chunk[100];
            int32_t n;
            while ((n = member.Read(chunk, sizeof chunk)) > 0)
                read[i].append(chunk, static_cast<size_t>(n));
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(read[i], members[i].bytes) << i;
}

}  // namespace
}  // namespace mirel
