#include "platform/os/open_url.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace tessera::test {
namespace {

// Puts a fake xdg-open first on PATH that writes its arguments, one per line, into a FIFO.
class OpenUrlTest : public testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        savedPath_ = path ? path : "";
        fifo_ = temp_.file("opened");
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        const std::string script = temp_.write(
            "bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + fifo_ + "'\n");
        ASSERT_EQ(chmod(script.c_str(), 0700), 0);
        setenv("PATH", (temp_.path() + "/bin:" + savedPath_).c_str(), 1);
        // Opened for reading and writing, so the open does not wait for the writer.
        reader_ = open(fifo_.c_str(), O_RDWR);
        ASSERT_GE(reader_, 0);
    }
    void TearDown() override {
        setenv("PATH", savedPath_.c_str(), 1);
        if (reader_ >= 0) close(reader_);
    }

    // The lines the fake wrote: the argument count, then each argument.
    std::vector<std::string> received(size_t lines) {
        std::vector<std::string> out;
        std::string line;
        while (out.size() < lines) {
            pollfd waiting{reader_, POLLIN, 0};
            // A generous guard against a launch that never happens, not a speed check.
            if (poll(&waiting, 1, 60'000) != 1) {
                ADD_FAILURE() << "xdg-open was not started";
                break;
            }
            char c = 0;
            if (read(reader_, &c, 1) != 1) break;
            if (c == '\n') {
                out.push_back(line);
                line.clear();
            } else {
                line += c;
            }
        }
        return out;
    }

    TempDir temp_;
    std::string savedPath_;
    std::string fifo_;
    int reader_ = -1;
};

TEST_F(OpenUrlTest, AddressReachesXdgOpenAsOneArgument) {
    const std::string marker = temp_.file("x");
    for (const std::string& url :
         {std::string("http://maker.test:8000/"),
          "http://maker.test/a b;$(touch " + marker + ")`touch " + marker + "`'\"&|*"}) {
        SCOPED_TRACE(url);
        EXPECT_TRUE(platform::os::openUrl(url));
        EXPECT_EQ(received(2), (std::vector<std::string>{"1", url}));
    }
    EXPECT_NE(access(marker.c_str(), F_OK), 0);  // nothing in the address was run
}

TEST_F(OpenUrlTest, RecorderReplacesXdgOpen) {
    std::vector<std::string> recorded;
    platform::os::setUrlOpener([&](const std::string& url) {
        recorded.push_back(url);
        return false;
    });
    EXPECT_FALSE(platform::os::openUrl("http://a.test/"));
    platform::os::setUrlOpener(nullptr);
    EXPECT_EQ(recorded, std::vector<std::string>{"http://a.test/"});
    EXPECT_TRUE(platform::os::openUrl("http://b.test/"));
    EXPECT_EQ(received(2), (std::vector<std::string>{"1", "http://b.test/"}));
}

}  // namespace
}  // namespace tessera::test
