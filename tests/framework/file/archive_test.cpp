#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "framework/file/file.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/apfc_writer.h"

namespace {

using tessera::test::FrameworkFiles;
using tessera::test::readFileBytes;
using tools::writers::ApfcMember;
using tools::writers::buildApfc;

class Packs : public FrameworkFiles {
protected:
    void writePack(const std::string& name, const std::vector<ApfcMember>& members) {
        writeBesideExecutable(name, buildApfc(members));
    }

    std::string readMember(const char16_t* name) {
        PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, name, 0);
        if (!file) return "<none>";
        std::string bytes = readAll(file);
        pelFileClose(file);
        return bytes;
    }
};

std::string pattern(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (char& byte : bytes) byte = static_cast<char>(random());
    return bytes;
}

// Plain header fields, scrambled as a pack stores them.
std::string scrambled(std::string plain) {
    for (size_t i = 0; i < plain.size(); ++i) plain[i] = static_cast<char>(plain[i] ^ (i & 0xFF));
    return plain;
}

TEST_F(Packs, WriterScramblesEveryByteByItsOffset) {
    const std::string pack = buildApfc({{u"m", std::string(400, '\x5A')}});
    ASSERT_GT(pack.size(), 300u);
    EXPECT_EQ(static_cast<uint8_t>(pack[300]), 0x5A ^ 44);
    EXPECT_EQ(pack.substr(0, 4), scrambled("APFC"));
}

TEST_F(Packs, MembersComeBeforeLooseFilesInAnyCase) {
    writePack("res.dat", {{u"sys/base.cnut", "from pack"}, {u"Sys/Other.txt", "other"}});
    writeBesideExecutable("sys/base.cnut", "loose");
    ASSERT_EQ(pelFileMountArchive(u"res.dat"), PEL_OK);
    EXPECT_EQ(readMember(u"SYS/Base.CNUT"), "from pack");
    EXPECT_EQ(readMember(u"sys/other.TXT"), "other");
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ, u"sys/OTHER.txt"), PEL_OK);
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ_SYSTEM, u"sys/other.txt"), PEL_E_NOTFOUND);
    PEL_FILE* loose = pelFileOpen(PEL_FILE_MODE_READ_SYSTEM, u"sys/base.cnut", 0);
    ASSERT_NE(loose, nullptr);
    EXPECT_EQ(readAll(loose), "loose");
    pelFileClose(loose);
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_READ, u"sys/", 0), nullptr);
    // A mounted pack stays open for reading, so it cannot be rewritten.
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_WRITE, u"res.dat", PEL_FILE_CREATE), nullptr);
}

TEST_F(Packs, FirstMountAndFirstIndexEntryWin) {
    writePack("res.dat", {{u"Sys/A.txt", "first"}, {u"sys/a.TXT", "second"}, {u"shared", "res"}});
    writePack("res0.dat", {{u"shared", "res0"}, {u"only0", "zero"}});
    ASSERT_EQ(pelFileMountArchive(u"res.dat"), PEL_OK);
    ASSERT_EQ(pelFileMountArchive(u"res0.dat"), PEL_OK);
    EXPECT_EQ(readMember(u"SYS/a.txt"), "first");
    EXPECT_EQ(readMember(u"shared"), "res");
    EXPECT_EQ(readMember(u"only0"), "zero");
}

TEST_F(Packs, EmptyPackMountsAndFindsNothing) {
    writePack("empty.dat", {});
    EXPECT_EQ(pelFileMountArchive(u"empty.dat"), PEL_OK);
    EXPECT_EQ(readMember(u"anything"), "<none>");
    EXPECT_EQ(pelFileMountArchive(u"missing.dat"), PEL_E_NOTFOUND);
}

TEST_F(Packs, CorruptHeadersAndIndexesAreRefused) {
    const std::string good = buildApfc({{u"a", "data"}});
    const std::string header = std::string("APFC") + std::string(12, '\0');
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"magic", scrambled("APFD" + std::string(16, '\0'))},
        {"version", scrambled(std::string("APFC\0\0\0\1", 8) + std::string(12, '\0'))},
        {"short header", good.substr(0, 10)},
        {"huge count", scrambled(header + "\x7F\xFF\xFF\xFF")},
        {"name length wraps",
         scrambled(header + std::string("\0\0\0\1\xFF\xFF\xFF\xFF", 8) + "abcdefgh")},
        {"name past the end", scrambled(header + std::string("\0\0\0\1\0\0\0\x10", 8) + "ab")},
        {"cut index", good.substr(0, good.size() - 12)},
        {"member past the end", good.substr(0, good.size() - 1)},
        {"size overflows",
         scrambled(
             header +
             std::string("\0\0\0\2\0\0\0\0\0\0\0\0\0\0\0\1\0\0\0\0\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF",
                         28) +
             "x")},
    };
    for (const auto& c : cases) {
        writeBesideExecutable("bad.dat", c.bytes);
        EXPECT_EQ(pelFileMountArchive(u"bad.dat"), PEL_E_IO) << c.name;
        // Refused packs are closed again: the file can be rewritten.
        PEL_FILE* writer = pelFileOpen(PEL_FILE_MODE_WRITE, u"bad.dat", PEL_FILE_CREATE);
        EXPECT_NE(writer, nullptr) << c.name;
        if (writer) pelFileClose(writer);
    }
    writeBesideExecutable("a", "loose a");
    EXPECT_EQ(readMember(u"a"), "loose a");  // nothing was mounted
}

TEST_F(Packs, ScrambleKeyFollowsTheAbsoluteOffset) {
    // Header 20 bytes + entry 4 + 2 * 112 + 8: the member's data begins at offset 256.
    const std::u16string name(112, u'n');
    const std::string data = pattern(1100, 1);
    writePack("key.dat", {{name, data}});
    const std::string stored = readFileBytes(executableFolder() + "/key.dat");
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(static_cast<uint8_t>(stored[1276 + k] ^ data[1020 + k]), 0xFC + k);
    }
    ASSERT_EQ(pelFileMountArchive(u"key.dat"), PEL_OK);
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, name.c_str(), 0);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->base, 256u);
    EXPECT_EQ(pelFileSeek(file, 1020, 0), PEL_OK);
    char bytes[3];
    size_t got = 0;
    EXPECT_EQ(pelFileRead(&got, bytes, 3, file), PEL_OK);
    EXPECT_EQ(std::string(bytes, 3), data.substr(1020, 3));
    pelFileClose(file);
}

TEST_F(Packs, RandomReadsAndSeeksOverAScrambledMemberMatchThePlainBytes) {
    const std::string before = pattern(333, 2);
    const std::string data = pattern(5000, 3);
    writePack("big.dat", {{u"before", before}, {u"member", data}, {u"after", "tail"}});
    ASSERT_EQ(pelFileMountArchive(u"big.dat"), PEL_OK);
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, u"member", 0);
    ASSERT_NE(file, nullptr);
    std::mt19937 random(4);
    for (int round = 0; round < 200; ++round) {
        if (random() % 4 == 0) {
            const int64_t target = random() % 5001;
            ASSERT_EQ(pelFileSeek(file, target, 0), PEL_OK);
        }
        uint64_t position = 0;
        pelFileGetPosition(&position, file);
        const size_t count = random() % 3 == 0 ? random() % 2500 : random() % 1100;
        std::string bytes(count, '\0');
        size_t got = 0;
        ASSERT_EQ(pelFileRead(&got, bytes.data(), count, file), PEL_OK);
        ASSERT_EQ(got, std::min<size_t>(count, data.size() - position));
        ASSERT_EQ(bytes.substr(0, got), data.substr(position, got)) << "round " << round;
    }
    pelFileClose(file);
    EXPECT_EQ(readMember(u"after"), "tail");
}

}  // namespace
