#include <gtest/gtest.h>

#include <string>

#include "platform/os/large_file.h"
#include "platform/os/processor_count.h"
#include "tests/support/temp_dir.h"

namespace {

TEST(LargeFile, ReadsAndWritesAtOffsetsAndFindsNamesInAnyCase) {
    tessera::test::TempDir temp;
    temp.write("Dir/Data.BIN", "0123456789");
    const platform::os::LargeFile reader =
        platform::os::largeFileOpenRead(temp.path() + "/dir/data.bin");
    ASSERT_NE(reader, platform::os::kInvalidLargeFile);
    char bytes[4] = {};
    EXPECT_EQ(platform::os::largeFileReadAt(reader, 6, bytes, 4), 4);
    EXPECT_EQ(std::string(bytes, 4), "6789");
    EXPECT_EQ(platform::os::largeFileReadAt(reader, 8, bytes, 4), 2);
    uint64_t size = 0;
    EXPECT_TRUE(platform::os::largeFileSize(reader, &size));
    EXPECT_EQ(size, 10u);
    platform::os::largeFileClose(reader);

    EXPECT_EQ(platform::os::largeFileOpenRead(temp.path() + "/dir"),
              platform::os::kInvalidLargeFile);
    EXPECT_TRUE(platform::os::largeFileIsRegular(temp.path() + "/DIR/DATA.bin"));
    EXPECT_FALSE(platform::os::largeFileIsRegular(temp.path() + "/Dir"));

    const platform::os::LargeFile writer =
        platform::os::largeFileOpenWrite(temp.path() + "/dir/new.bin", true);
    ASSERT_NE(writer, platform::os::kInvalidLargeFile);
    EXPECT_EQ(platform::os::largeFileWriteAt(writer, 2, "ab", 2), 2);
    EXPECT_TRUE(platform::os::largeFileTruncate(writer, 3));
    EXPECT_TRUE(platform::os::largeFileSync(writer));
    platform::os::largeFileClose(writer);
    EXPECT_EQ(tessera::test::readFileBytes(temp.path() + "/Dir/new.bin"), std::string("\0\0a", 3));
    EXPECT_EQ(platform::os::largeFileOpenWrite(temp.path() + "/dir/missing.bin", false),
              platform::os::kInvalidLargeFile);

    EXPECT_TRUE(platform::os::largeFileMakeDirectory(temp.path() + "/dir/sub"));
    EXPECT_TRUE(platform::os::largeFileMakeDirectory(temp.path() + "/DIR/SUB"));
    EXPECT_FALSE(platform::os::largeFileMakeDirectory(temp.path() + "/dir/data.bin"));
}

TEST(ProcessorCount, IsAtLeastOne) { EXPECT_GE(platform::os::processorCount(), 1u); }

}  // namespace
