#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "framework/file/file.h"
#include "tests/framework/support/file_fixture.h"
#include "tests/support/temp_dir.h"
#include "tools/writers/apfc_writer.h"

namespace {

using tessera::test::FrameworkFiles;
using tessera::test::readFileBytes;

using FileApi = FrameworkFiles;

std::string pattern(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST_F(FileApi, ReadsLooseFilesInAnyLetterCase) {
    writeBesideExecutable("Sys/Base.CNUT", "loose");
    for (int32_t mode : {PEL_FILE_MODE_READ, PEL_FILE_MODE_READ_SYSTEM}) {
        PEL_FILE* file = pelFileOpen(mode, u"sys/base.cnut", 0);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_EQ(readAll(file), "loose");
        EXPECT_EQ(std::u16string(file->name).find(u"/bin/sys/base.cnut") != std::u16string::npos,
                  true);
        pelFileClose(file);
    }
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ, u"SYS/BASE.cnut"), PEL_OK);
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ, u"sys"), PEL_E_NOTFOUND);  // a directory
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ, u"sys/missing"), PEL_E_NOTFOUND);
}

TEST_F(FileApi, WritesAndDirectoriesFollowTheCaseOnDisk) {
    writeBesideExecutable("Save/Old.BIN", "old");
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_WRITE, u"save/new.bin", PEL_FILE_CREATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pelFileWriteU32(0x6E657721u, file), PEL_OK);
    pelFileClose(file);
    EXPECT_EQ(readFileBytes(executableFolder() + "/Save/new.bin"), "new!");
    file = pelFileOpen(PEL_FILE_MODE_WRITE, u"SAVE/old.bin", 0);  // no truncation without the flag
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pelFileWriteU32(0x4F4C4421u, file), PEL_OK);
    pelFileClose(file);
    EXPECT_EQ(readFileBytes(executableFolder() + "/Save/Old.BIN"), "OLD!");
    EXPECT_EQ(pelFileCreateDirectory(u"save/slots"), PEL_OK);
    EXPECT_TRUE(std::filesystem::is_directory(executableFolder() + "/Save/slots"));
}

TEST_F(FileApi, PathEndingInSlashIsNeverOpened) {
    writeBesideExecutable("dir/f", "x");
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_READ, u"dir/", 0), nullptr);
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_READ, u"dir", 0), nullptr);
    EXPECT_EQ(pelFileExists(PEL_FILE_MODE_READ, u"dir\\"), PEL_E_NOTFOUND);
}

TEST_F(FileApi, ShortReadsSeeksAndBigEndianValues) {
    writeBesideExecutable(
        "v.bin", std::string("\x12\x34\x56\x78\x01\x02\x03\x04\x05\x06\x07\x08\xAB\xCD\xEF", 15));
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_READ, u"v.bin", 0);
    ASSERT_NE(file, nullptr);
    uint32_t u32 = 0;
    uint64_t u64 = 0;
    EXPECT_EQ(pelFileReadU32(&u32, file), PEL_OK);
    EXPECT_EQ(u32, 0x12345678u);
    EXPECT_EQ(pelFileReadU64(&u64, file), PEL_OK);
    EXPECT_EQ(u64, 0x0102030405060708ull);
    uint16_t u16[1];
    EXPECT_EQ(pelFileReadU16Array(file, u16, 1), PEL_OK);
    EXPECT_EQ(u16[0], 0xABCD);
    char rest[8];
    size_t got = 99;
    EXPECT_EQ(pelFileRead(&got, rest, sizeof rest, file), PEL_OK);
    EXPECT_EQ(got, 1u);
    EXPECT_EQ(pelFileReadU32(&u32, file), PEL_E_IO);

    uint64_t position = 0;
    EXPECT_EQ(pelFileSeek(file, -4, 2), PEL_OK);
    pelFileGetPosition(&position, file);
    EXPECT_EQ(position, 11u);
    EXPECT_EQ(pelFileSeek(file, 16, 0), PEL_E_IO);
    pelFileGetPosition(&position, file);
    EXPECT_EQ(position, 0u);
    EXPECT_EQ(pelFileReadU32(&u32, file), PEL_OK);
    EXPECT_EQ(u32, 0x12345678u);
    EXPECT_EQ(pelFileSeek(file, 0, 7), PEL_E_IO);
    EXPECT_EQ(pelFileSeek(file, 8, 0), PEL_OK);
    EXPECT_EQ(pelFileSeek(file, INT64_MAX, 1), PEL_E_IO);
    EXPECT_EQ(pelFileSeek(file, INT64_MIN, 2), PEL_E_IO);
    pelFileClose(file);
}

TEST_F(FileApi, SharingRules) {
    writeBesideExecutable("shared.bin", "abcdef");
    PEL_FILE* first = pelFileOpen(PEL_FILE_MODE_READ, u"shared.bin", 0);
    PEL_FILE* second = pelFileOpen(PEL_FILE_MODE_READ_SYSTEM, u"SHARED.bin", 0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->descriptor, second->descriptor);
    char a[2], b[3];
    size_t got;
    pelFileRead(&got, a, 2, first);
    pelFileRead(&got, b, 3, second);
    pelFileRead(&got, a, 2, first);
    EXPECT_EQ(std::string(a, 2), "cd");
    EXPECT_EQ(std::string(b, 3), "abc");
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_WRITE, u"shared.bin", PEL_FILE_CREATE), nullptr);
    pelFileClose(first);
    pelFileClose(second);

    PEL_FILE* writer = pelFileOpen(PEL_FILE_MODE_WRITE, u"shared.bin", 0);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_READ, u"shared.bin", 0), nullptr);
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_WRITE_ALT, u"shared.bin", 0), nullptr);
    pelFileClose(writer);
    EXPECT_EQ(pelFileOpen(PEL_FILE_MODE_WRITE, u"missing.bin", 0), nullptr);
}

TEST_F(FileApi, WritesBigEndianValuesAndKeepsPositions) {
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_WRITE, u"//<localappdata>/out.bin", PEL_FILE_CREATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(pelFileWriteU32(0x01020304u, file), PEL_OK);
    EXPECT_EQ(pelFileWriteU64(file, 0x1112131415161718ull), PEL_OK);
    EXPECT_EQ(pelFileWriteF32(file, 1.0f), PEL_OK);
    const uint16_t shorts[] = {0xA1B2, 0xC3D4};
    EXPECT_EQ(pelFileWriteU16Array(2, shorts, file), PEL_OK);
    uint64_t position = 0;
    pelFileGetPosition(&position, file);
    EXPECT_EQ(position, 20u);
    uint64_t size = 0;
    EXPECT_EQ(pelFileGetSize(&size, file), PEL_OK);
    EXPECT_EQ(size, 20u);
    EXPECT_EQ(pelFileSeek(file, 4, 0), PEL_OK);
    EXPECT_EQ(pelFileWriteU32(0xFFFFFFFFu, file), PEL_OK);
    EXPECT_EQ(pelFileSeek(file, 21, 0), PEL_E_IO);
    EXPECT_EQ(pelFileSeek(file, INT64_MAX, 2), PEL_E_IO);
    EXPECT_EQ(pelFileSeek(file, 16, 0), PEL_OK);
    EXPECT_EQ(pelFileTruncate(file), PEL_OK);
    EXPECT_EQ(pelFileCommit(file), PEL_OK);
    uint32_t ignored;
    EXPECT_LT(pelFileReadU32(&ignored, file), 0);
    pelFileClose(file);
    EXPECT_EQ(readFileBytes(temp().path() + "/data/out.bin"),
              std::string("\x01\x02\x03\x04\xFF\xFF\xFF\xFF\x15\x16\x17\x18\x3F\x80\x00\x00", 16));
}

TEST_F(FileApi, LargeWritesCrossTheBuffer) {
    const std::string bytes = pattern(5000);
    PEL_FILE* file =
        pelFileOpen(PEL_FILE_MODE_WRITE, u"big.bin", PEL_FILE_CREATE | PEL_FILE_SCRAMBLED);
    ASSERT_NE(file, nullptr);
    size_t put = 0;
    EXPECT_EQ(pelFileWrite(&put, bytes.data(), 700, file), PEL_OK);
    EXPECT_EQ(pelFileWrite(&put, bytes.data() + 700, bytes.size() - 700, file), PEL_OK);
    EXPECT_EQ(put, bytes.size() - 700);
    pelFileClose(file);
    const std::string stored = readFileBytes(executableFolder() + "/big.bin");
    ASSERT_EQ(stored.size(), bytes.size());
    for (size_t i = 0; i < stored.size(); ++i)
        ASSERT_EQ(static_cast<uint8_t>(stored[i] ^ bytes[i]), i & 0xFF) << i;
}

TEST_F(FileApi, TextIsUtf8WithMarkAndCrLf) {
    const struct {
        std::u16string text;
        std::string bytes;
        size_t characters;
    } cases[] = {
        {u"a\r\nb",
         "\xEF\xBB\xBF"
         "a\r\nb",
         3},
        {u"a\nb",
         "\xEF\xBB\xBF"
         "a\r\nb",
         3},
        {u"a\n\rb\r",
         "\xEF\xBB\xBF"
         "a\r\nb\r\n",
         4},
        {u"\n\n", "\xEF\xBB\xBF\r\n\r\n", 2},
        {u"\u3042\u00E9", "\xEF\xBB\xBF\xE3\x81\x82\xC3\xA9", 2},
    };
    for (const auto& c : cases) {
        PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_WRITE, u"//<tmp>/log.txt", PEL_FILE_CREATE);
        ASSERT_NE(file, nullptr);
        size_t written = 0;
        EXPECT_EQ(pelFileWriteText(file, &written, c.text.data(), c.text.size()), PEL_OK);
        EXPECT_EQ(written, c.characters);
        pelFileClose(file);
        EXPECT_EQ(readFileBytes(temp().path() + "/tmp/log.txt"), c.bytes);
    }
    // A second write continues the file without another mark; the reader sees the mark.
    PEL_FILE* file = pelFileOpen(PEL_FILE_MODE_WRITE, u"//<tmp>/log.txt", PEL_FILE_CREATE);
    size_t written = 0;
    pelFileWriteText(file, &written, u"x", 1);
    pelFileWriteText(file, &written, u"y", 1);
    pelFileClose(file);
    EXPECT_EQ(readFileBytes(temp().path() + "/tmp/log.txt"), "\xEF\xBB\xBFxy");
    file = pelFileOpen(PEL_FILE_MODE_READ, u"//<tmp>/log.txt", PEL_FILE_TEST_BOM);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->flags & PEL_FILE_HAS_BOM);
    uint64_t position = 1;
    pelFileGetPosition(&position, file);
    EXPECT_EQ(position, 0u);
    pelFileClose(file);
}

TEST_F(FileApi, ImageLookupAddsPng) {
    writeBesideExecutable("img/title.png", "png!");
    EXPECT_EQ(pelFileExistsImage(u"img/title"), PEL_OK);
    EXPECT_EQ(pelFileExistsImage(u"img/none"), PEL_E_NOTFOUND);
    PEL_FILE* file = pelFileOpenImage(u"img/title", PEL_FILE_MODE_READ);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(file), "png!");
    pelFileClose(file);
}

// Threads share the one file lock: each writes its own file in small pieces and reads it back
// while the others do the same, under the lock as callers of the raw operations must.
TEST_F(FileApi, ThreadsWriteAndReadTheirOwnFilesUnderTheFileLock) {
    constexpr int kThreads = 4;
    constexpr size_t kPieces = 200;
    std::vector<std::string> read(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, &read] {
            const std::u16string name = u"thread" + std::u16string(1, char16_t(u'0' + t)) + u".bin";
            PEL_FILE* out = pelFileOpen(PEL_FILE_MODE_WRITE, name.c_str(), PEL_FILE_CREATE);
            if (!out) return;
            for (size_t i = 0; i < kPieces; ++i) {
                const char piece[2] = {static_cast<char>('a' + t), static_cast<char>(i & 0x7F)};
                size_t written = 0;
                pelFileLock();
                pelFileWrite(&written, piece, sizeof piece, out);
                pelFileUnlock();
            }
            pelFileClose(out);
            PEL_FILE* in = pelFileOpen(PEL_FILE_MODE_READ, name.c_str(), 0);
            if (!in) return;
            pelFileLock();
            read[t] = readAll(in);
            pelFileUnlock();
            pelFileClose(in);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(read[t].size(), 2 * kPieces) << t;
        for (size_t i = 0; i < kPieces; ++i) {
            EXPECT_EQ(read[t][2 * i], 'a' + t);
            EXPECT_EQ(read[t][2 * i + 1], static_cast<char>(i & 0x7F));
        }
    }
}

}  // namespace
