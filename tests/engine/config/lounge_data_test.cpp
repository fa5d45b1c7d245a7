#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "engine/config/config.h"
#include "platform/os/broken_pipe.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

// A pipe pair standing for the lobby program: the game reads `toGame[0]` and writes
// `fromGame[1]`.
class LoungeDataTest : public ::testing::Test {
protected:
    LoungeDataTest() {
        EXPECT_EQ(pipe(toGame_), 0);
        EXPECT_EQ(pipe(fromGame_), 0);
        StartOptions options;
        options.mode = StartMode::Lounge;
        options.inputPipe = static_cast<uint32_t>(toGame_[0]);
        options.outputPipe = static_cast<uint32_t>(fromGame_[1]);
        EXPECT_TRUE(config_.applyStartOptions(options));
    }
    ~LoungeDataTest() override {
        for (int fd : {toGame_[0], toGame_[1], fromGame_[0], fromGame_[1]})
            if (fd >= 0) close(fd);
    }

    void send(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(write(toGame_[1], bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    static std::vector<uint8_t> recordBytes(uint32_t type, uint8_t fill) {
        std::vector<uint8_t> bytes(276, fill);
        std::memcpy(bytes.data(), &type, 4);
        return bytes;
    }

    int toGame_[2] = {-1, -1};
    int fromGame_[2] = {-1, -1};
    Config config_;
};

TEST_F(LoungeDataTest, ReadsOnlyWholeRecords) {
    std::vector<uint8_t> bytes = recordBytes(0x01020304, 0xAB);
    LoungeRecord record;
    EXPECT_FALSE(config_.readLoungeData(&record));
    send(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1));
    EXPECT_FALSE(config_.readLoungeData(&record));  // 275 bytes: nothing is taken
    send({bytes.back()});
    ASSERT_TRUE(config_.readLoungeData(&record));
    EXPECT_EQ(record.type, 0x01020304u);
    EXPECT_EQ(record.payload[0], 0xAB);
    EXPECT_EQ(record.payload[271], 0xAB);
    EXPECT_FALSE(config_.readLoungeData(&record));  // the pipe is empty again
}

TEST_F(LoungeDataTest, TwoRecordsInARow) {
    std::vector<uint8_t> bytes = recordBytes(7, 1);
    const std::vector<uint8_t> second = recordBytes(8, 2);
    bytes.insert(bytes.end(), second.begin(), second.end());
    send(bytes);
    LoungeRecord record;
    ASSERT_TRUE(config_.readLoungeData(&record));
    EXPECT_EQ(record.type, 7u);
    ASSERT_TRUE(config_.readLoungeData(&record));
    EXPECT_EQ(record.type, 8u);
    EXPECT_EQ(record.payload[100], 2);
}

TEST_F(LoungeDataTest, WritesTypeAndZeroPayload) {
    config_.writeLoungeData(0x11223344);
    std::vector<uint8_t> got(300);
    ASSERT_EQ(read(fromGame_[0], got.data(), got.size()), 276);
    got.resize(276);
    std::vector<uint8_t> expected(276, 0);
    expected[0] = 0x44;
    expected[1] = 0x33;
    expected[2] = 0x22;
    expected[3] = 0x11;
    EXPECT_EQ(got, expected);
}

TEST_F(LoungeDataTest, ClosedDescriptorsAreFatal) {
    ReportCapture capture;
    close(toGame_[0]);
    toGame_[0] = -1;
    LoungeRecord record;
    EXPECT_THROW(config_.readLoungeData(&record), FatalReport);
    close(fromGame_[0]);  // the reading end gone: the write fails (SIGPIPE ignored)
    fromGame_[0] = -1;
    platform::os::ignoreBrokenPipeSignal();
    EXPECT_THROW(config_.writeLoungeData(1), FatalReport);
    ASSERT_EQ(ReportCapture::entries().size(), 2u);
    EXPECT_EQ(ReportCapture::entries()[0].text,
              u"Error: [Config::readLoungeData] ラウンジとの通信エラー");
    EXPECT_EQ(ReportCapture::entries()[1].text,
              u"Error: [Config::writeLoungeData] ラウンジとの通信エラー");
}

TEST(LoungeData, WithoutLoungeFlagNothingIsRead) {
    Config config;
    StartOptions options;
    options.mode = StartMode::Adjuster;
    options.inputPipe = 3;
    options.outputPipe = 4;
    ASSERT_TRUE(config.applyStartOptions(options));
    EXPECT_FALSE(config.loungeFlag);
    LoungeRecord record;
    EXPECT_FALSE(config.readLoungeData(&record));
}

}  // namespace
}  // namespace tessera::test
