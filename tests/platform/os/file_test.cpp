#include "platform/os/file.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/os/case_insensitive_path.h"
#include "platform/os/system_path.h"
#include "tests/support/temp_dir.h"

namespace platform::os {
namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

// Closes the handle at the end of a test.
struct OpenFile {
    FileHandle handle;
    explicit OpenFile(FileHandle h) : handle(h) {}
    ~OpenFile() {
        if (handle != kInvalidFileHandle) closeFile(handle);
    }
    bool valid() const { return handle != kInvalidFileHandle; }
};

std::string readAll(FileHandle file) {
    std::string bytes(64, '\0');
    uint32_t done = 0;
    EXPECT_TRUE(readFile(file, bytes.data(), 64, done));
    bytes.resize(done);
    return bytes;
}

TEST(File, DispositionsFollowWindowsRules) {
    TempDir dir;
    const std::string existing = dir.write("existing.bin", "old contents");
    const std::string missing = dir.file("missing.bin");
    const uint32_t rw = kGenericRead | kGenericWrite;

    EXPECT_FALSE(OpenFile(createFile(missing, kGenericRead, Disposition::OpenExisting)).valid());
    EXPECT_FALSE(OpenFile(createFile(existing, rw, Disposition::CreateNew)).valid());
    {
        OpenFile file(createFile(existing, rw, Disposition::OpenAlways));
        ASSERT_TRUE(file.valid());
        EXPECT_EQ(getFileSize(file.handle), 12u);  // opened, not truncated
    }
    {
        OpenFile file(createFile(existing, rw, Disposition::CreateAlways));
        ASSERT_TRUE(file.valid());
        EXPECT_EQ(getFileSize(file.handle), 0u);  // truncated
    }
    {
        OpenFile file(createFile(missing, kGenericWrite, Disposition::CreateNew));
        ASSERT_TRUE(file.valid());
        uint32_t done = 0;
        EXPECT_TRUE(writeFile(file.handle, "abc", 3, done));
        EXPECT_EQ(done, 3u);
        EXPECT_TRUE(flushFileBuffers(file.handle));
    }
    EXPECT_EQ(readFileBytes(missing), "abc");
    EXPECT_FALSE(OpenFile(createFile("", kGenericRead, Disposition::OpenExisting)).valid());
}

TEST(File, ReadsReportEndOfFileAsSuccessWithZeroBytes) {
    TempDir dir;
    OpenFile file(createFile(dir.write("f.bin", "hello"), kGenericRead, Disposition::OpenExisting));
    ASSERT_TRUE(file.valid());
    char buffer[16];
    uint32_t done = 99;
    EXPECT_TRUE(readFile(file.handle, buffer, 16, done));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(readFile(file.handle, buffer, 16, done));
    EXPECT_EQ(done, 0u);
    // Writing through a read-only handle fails.
    EXPECT_FALSE(writeFile(file.handle, "x", 1, done));
}

TEST(File, SeekTable) {
    TempDir dir;
    OpenFile file(
        createFile(dir.write("f.bin", "0123456789"), kGenericRead, Disposition::OpenExisting));
    ASSERT_TRUE(file.valid());
    struct Case {
        int32_t distance;
        SeekOrigin origin;
        uint32_t result;
        uint32_t positionAfter;
    };
    const Case cases[] = {
        {4, SeekOrigin::Begin, 4, 4},
        {2, SeekOrigin::Current, 6, 6},
        {-1, SeekOrigin::Current, 5, 5},
        {-7, SeekOrigin::Current, kInvalidSetFilePointer, 5},  // negative target: unchanged
        {-3, SeekOrigin::End, 7, 7},
        {-11, SeekOrigin::End, kInvalidSetFilePointer, 7},
        {-1, SeekOrigin::Begin, kInvalidSetFilePointer, 7},
        {20, SeekOrigin::Begin, 20, 20},  // past the end is allowed
        {0, SeekOrigin::End, 10, 10},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(setFilePointer(file.handle, c.distance, c.origin), c.result) << c.distance;
        EXPECT_EQ(setFilePointer(file.handle, 0, SeekOrigin::Current), c.positionAfter);
    }
    setFilePointer(file.handle, 0x7FFFFFF0, SeekOrigin::Begin);
    EXPECT_EQ(setFilePointer(file.handle, 0x20, SeekOrigin::Current), kInvalidSetFilePointer);
}

TEST(File, DirectoriesAreRefused) {
    TempDir dir;
    dir.write("sub/x.txt", "x");
    for (uint32_t access : {kGenericRead, kGenericWrite, kGenericRead | kGenericWrite}) {
        for (auto disposition : {Disposition::OpenExisting, Disposition::OpenAlways}) {
            EXPECT_FALSE(OpenFile(createFile(dir.file("sub"), access, disposition)).valid());
        }
    }
    EXPECT_FALSE(isRegularFile(dir.file("sub")));
    EXPECT_TRUE(isRegularFile(dir.file("sub/x.txt")));
    EXPECT_FALSE(isRegularFile(dir.file("sub/none.txt")));
}

TEST(File, SocketIsNotARegularFile) {
    TempDir dir;
    const std::string path = dir.file("sock");
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_FALSE(isRegularFile(path));
    close(fd);
}

TEST(File, PathsAreCp932WithBackslashes) {
    TempDir dir;
    // "ソフト" on disk in UTF-8; the trail byte 0x5C of "ソ" must not split the name.
    dir.write("\xE3\x82\xBD\xE3\x83\x95\xE3\x83\x88/a.txt", "kana");
    EXPECT_EQ(systemPathFromCp932("a\\\x83\x5C\\b"), "a/\xE3\x82\xBD/b");
    const std::string cp932 = dir.path() + "\\\x83\x5C\x83\x74\x83\x67\\a.txt";
    OpenFile file(createFile(cp932, kGenericRead, Disposition::OpenExisting));
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(readAll(file.handle), "kana");
    EXPECT_TRUE(isRegularFile(cp932));
}

TEST(File, MissingPathFallsBackToCaseInsensitiveMatch) {
    TempDir dir;
    dir.write("Data/Sub/File.TXT", "found");
    OpenFile file(
        createFile(dir.path() + "\\data\\SUB\\file.txt", kGenericRead, Disposition::OpenExisting));
    ASSERT_TRUE(file.valid());
    EXPECT_EQ(readAll(file.handle), "found");
    EXPECT_TRUE(isRegularFile(dir.path() + "/DATA/sub/FILE.txt"));

    // A create resolves the existing directories and keeps the new name as written.
    {
        OpenFile created(
            createFile(dir.path() + "/data/sub/New.bin", kGenericWrite, Disposition::CreateNew));
        ASSERT_TRUE(created.valid());
    }
    EXPECT_EQ(readFileBytes(dir.file("Data/Sub/New.bin")), "");
    // CreateNew on an existing file under another case fails, as on Windows.
    EXPECT_FALSE(OpenFile(createFile(dir.path() + "/data/sub/file.txt", kGenericWrite,
                                     Disposition::CreateNew))
                     .valid());
}

TEST(CaseInsensitivePath, ResolvesAgainstFreshListings) {
    TempDir dir;
    dir.write("Folder/One.txt", "1");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/folder/one.TXT", false),
              dir.path() + "/Folder/One.txt");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/folder/two.txt", false), std::nullopt);
    // A file created right after a look-up is found: the listing is not stale.
    dir.write("Folder/Two.txt", "2");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/folder/two.txt", false),
              dir.path() + "/Folder/Two.txt");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/folder/three.txt", true),
              dir.path() + "/Folder/three.txt");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/nothing/three.txt", true), std::nullopt);
    // Non-ASCII bytes are not folded.
    dir.write("\xC3\x89t\xC3\xA9.txt", "e");
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/\xC3\xA9T\xC3\xA9.txt", false), std::nullopt);
    EXPECT_EQ(resolvePathIgnoringCase(dir.path() + "/\xC3\x89T\xC3\xA9.TXT", false),
              dir.path() + "/\xC3\x89t\xC3\xA9.txt");
}

}  // namespace
}  // namespace platform::os
