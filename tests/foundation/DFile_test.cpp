#include "foundation/DFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "foundation/DExceptFile.h"
#include "tests/support/temp_dir.h"

namespace mirel {
namespace {

using tessera::test::readFileBytes;
using tessera::test::TempDir;

constexpr int32_t kBegin = DDataOverride::SeekBegin;
constexpr int32_t kCurrent = DDataOverride::SeekCurrent;
constexpr int32_t kEnd = DDataOverride::SeekEnd;

// An in-memory stream with the override interface.
class MemoryStream : public DDataOverride {
public:
    explicit MemoryStream(std::string bytes = {}) : bytes_(std::move(bytes)) {}

    int32_t Write(const void* bytes, int32_t count) override {
        if (position_ + count > static_cast<int32_t>(bytes_.size()))
            bytes_.resize(position_ + count);
        std::memcpy(bytes_.data() + position_, bytes, count);
        position_ += count;
        return count;
    }
    int32_t Read(void* buffer, int32_t count) override {
        const int32_t n =
            std::max(0, std::min(count, static_cast<int32_t>(bytes_.size()) - position_));
        std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        return n;
    }
    bool Seek(int32_t offset, int32_t whence) override {
        int64_t target = offset;
        if (whence == SeekCurrent) target += position_;
        if (whence == SeekEnd) target += static_cast<int64_t>(bytes_.size());
        if (target < 0) return false;
        position_ = static_cast<int32_t>(target);
        return true;
    }
    int32_t Tell() override { return position_; }
    int32_t Size() override { return static_cast<int32_t>(bytes_.size()); }
    bool Truncate() override {
        bytes_.resize(position_);
        return true;
    }
    bool Flush() override {
        ++flushes;
        return true;
    }

    const std::string& bytes() const { return bytes_; }
    int flushes = 0;

private:
    std::string bytes_;
    int32_t position_ = 0;
};

std::string Digits(int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += static_cast<char>('0' + i % 10);
    return s;
}

rcptr<DDataOverride> MakeStream(rcptr<MemoryStream>& memory, std::string bytes) {
    memory.Create();
    *memory = MemoryStream(std::move(bytes));
    return memory;
}

std::string ReadString(DFile& file, uint32_t n) {
    std::string s(n, '\0');
    const int32_t got = file.Read(s.data(), n);
    s.resize(got < 0 ? 0 : got);
    return s;
}

// The same cases run over a real file and over the stream.
class DFileBackends : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        const std::string content = Digits(200);
        if (GetParam()) {
            ASSERT_TRUE(file.AttachStream(nullptr, MakeStream(memory, content)));
        } else {
            ASSERT_TRUE(file.Open(dir.write("data.bin", content).c_str(), DFile::OpenRead));
        }
    }
    TempDir dir;
    rcptr<MemoryStream> memory;
    DFile file;
};

TEST_P(DFileBackends, ViewArithmetic) {
    DFile view;
    ASSERT_TRUE(view.OpenView(100, 50, file));
    EXPECT_EQ(view.Size(), 50);
    EXPECT_EQ(ReadString(view, 3), "012");  // byte 100 of the file
    EXPECT_FALSE(view.Seek(60, kBegin));
    EXPECT_EQ(view.Tell(), 50);
    char byte;
    EXPECT_EQ(view.Read(&byte, 1), -1);  // at the limit: an error, not the end
    EXPECT_TRUE(view.Seek(-5, kEnd));
    EXPECT_EQ(view.Tell(), 45);
    EXPECT_EQ(ReadString(view, 10), "56789");  // cut at the limit
    EXPECT_FALSE(view.Seek(-51, kEnd));
    EXPECT_EQ(view.Tell(), 0);
    EXPECT_FALSE(view.Seek(1, kEnd));
    EXPECT_EQ(view.Tell(), 50);
    EXPECT_TRUE(view.Seek(-20, kCurrent));
    EXPECT_EQ(view.Tell(), 30);
    EXPECT_FALSE(view.Seek(21, kCurrent));
    EXPECT_EQ(view.Tell(), 50);
    EXPECT_FALSE(view.Seek(-51, kCurrent));
    EXPECT_EQ(view.Tell(), 0);
    EXPECT_FALSE(view.Seek(-1, kBegin));
    EXPECT_EQ(view.Tell(), 0);

    // A view of a view: offsets add, limits only narrow.
    DFile inner;
    ASSERT_TRUE(inner.OpenView(40, 30, view));
    EXPECT_EQ(inner.Size(), 10);
    EXPECT_EQ(ReadString(inner, 20), "0123456789");  // bytes 140..149
    DFile unlimited;
    ASSERT_TRUE(unlimited.OpenView(45, -1, view));
    EXPECT_EQ(unlimited.Size(), 5);
    // Starting past the parent's window gives an empty view, never one outside it.
    DFile beyond;
    ASSERT_TRUE(beyond.OpenView(70, 10, view));
    EXPECT_EQ(beyond.Size(), 0);
    EXPECT_EQ(beyond.Read(&byte, 1), -1);
}

TEST_P(DFileBackends, UnlimitedViewSeeksFromTheEndOfTheWholeData) {
    DFile view;
    ASSERT_TRUE(view.OpenView(30, -1, file));
    EXPECT_EQ(view.Size(), 170);
    EXPECT_TRUE(view.Seek(-10, kEnd));
    EXPECT_EQ(view.Tell(), 160);  // 200 - 10 - 30
    EXPECT_EQ(ReadString(view, 20), "0123456789");
    EXPECT_EQ(view.Read(&view, 0), 0);
    char byte;
    EXPECT_EQ(view.Read(&byte, 1), 0);    // the end of an unlimited file: 0 bytes, no error
    EXPECT_FALSE(view.Seek(-180, kEnd));  // before the view's start
    EXPECT_EQ(view.Tell(), 0);
    EXPECT_FALSE(view.Seek(5, kEnd));
    EXPECT_EQ(view.Tell(), 170);
}

TEST_P(DFileBackends, ViewsInterleaveAndOutliveTheirOrigin) {
    DFile a;
    DFile b;
    ASSERT_TRUE(a.OpenView(0, -1, file));
    ASSERT_TRUE(b.OpenView(10, 20, file));
    EXPECT_EQ(ReadString(a, 2), "01");
    EXPECT_EQ(ReadString(b, 2), "01");
    EXPECT_EQ(ReadString(a, 2), "23");
    EXPECT_EQ(ReadString(b, 2), "23");
    ASSERT_TRUE(file.Close());
    EXPECT_FALSE(file.Close());
    EXPECT_EQ(ReadString(a, 2), "45");
    EXPECT_EQ(ReadString(b, 3), "456");
    DFile c;
    c.Assign(b);
    EXPECT_EQ(c.Tell(), 0);
    EXPECT_EQ(c.Size(), 20);
}

TEST_P(DFileBackends, ErrorsThrowOnlyWithTheThrowFlag) {
    DFile view;
    ASSERT_TRUE(view.OpenView(190, 10, file));
    EXPECT_FALSE(view.GetThrow());
    EXPECT_FALSE(view.SetThrow(true));
    EXPECT_TRUE(view.GetThrow());
    EXPECT_THROW(view.Seek(-1, kBegin), DExceptFile);
    EXPECT_THROW(view.Seek(0, 3), DExceptFile);  // unknown origin
    ASSERT_TRUE(view.Seek(10, kBegin));
    char byte;
    EXPECT_THROW(view.Read(&byte, 1), DExceptFile);
    DFile copy;
    ASSERT_TRUE(copy.OpenView(0, -1, view));
    EXPECT_TRUE(copy.GetThrow());  // views copy the flag
    view.SetThrow(false);
    EXPECT_EQ(view.Read(&byte, 1), -1);
    EXPECT_TRUE(view.Close());
    EXPECT_FALSE(view.GetThrow());
    EXPECT_EQ(view.Tell(), -1);  // closed
}

INSTANTIATE_TEST_SUITE_P(FileAndStream, DFileBackends, testing::Bool(),
                         [](const auto& info) { return info.param ? "Stream" : "File"; });

TEST(DFile, OpenFlags) {
    TempDir dir;
    const std::string path = dir.write("f.bin", "contents");
    DFile file;
    EXPECT_FALSE(file.Open(path.c_str(), DFile::OpenWrite | DFile::OpenNew));  // exists
    ASSERT_TRUE(file.Open(path.c_str(),
                          DFile::OpenRead | DFile::OpenWrite | DFile::OpenCreate | DFile::OpenNew));
    EXPECT_EQ(file.Size(), 0);                               // truncated
    EXPECT_FALSE(file.Open(path.c_str(), DFile::OpenRead));  // already open: unchanged
    EXPECT_STREQ(file.GetPath(), path.c_str());
    EXPECT_EQ(file.Write("abc", 3), 3);
    EXPECT_TRUE(file.Seek(1, kBegin));
    EXPECT_EQ(ReadString(file, 5), "bc");
    EXPECT_TRUE(file.Flush());
    file.Close();
    EXPECT_EQ(readFileBytes(path), "abc");

    ASSERT_TRUE(file.Open(dir.file("new.bin").c_str(), DFile::OpenWrite | DFile::OpenCreate));
    file.Close();
    EXPECT_EQ(readFileBytes(dir.file("new.bin")), "");

    // A failed open never throws and leaves the throw flag cleared.
    file.SetThrow(true);
    EXPECT_FALSE(file.Open(dir.file("missing.bin").c_str(), DFile::OpenRead));
    EXPECT_FALSE(file.GetThrow());
    EXPECT_FALSE(file.Open(dir.path().c_str(), DFile::OpenRead));  // a directory
    EXPECT_FALSE(file.IsOpen());
}

TEST(DFile, WritesThroughAViewStayInsideIt) {
    rcptr<MemoryStream> memory;
    DFile file;
    ASSERT_TRUE(file.AttachStream("log", MakeStream(memory, "..........")));
    EXPECT_STREQ(file.GetPath(), "log");
    DFile view;
    ASSERT_TRUE(view.OpenView(4, 3, file));
    EXPECT_EQ(view.Write("ABCDE", 5), 3);
    EXPECT_EQ(view.Write("F", 1), -1);
    EXPECT_EQ(memory->bytes(), "....ABC...");
    EXPECT_TRUE(view.Flush());
    EXPECT_EQ(memory->flushes, 1);
    DFile unnamed;
    ASSERT_TRUE(unnamed.AttachStream(nullptr, memory));
    EXPECT_STREQ(unnamed.GetPath(), "(override)");
    EXPECT_FALSE(unnamed.AttachStream(nullptr, memory));  // already open
    DFile none;
    EXPECT_FALSE(none.AttachStream("x", nullptr));
}

TEST(DFile, LongPathIsCutTo263Characters) {
    DFile file;
    const std::string longName(400, 'n');
    file.SetPath(longName.c_str());
    EXPECT_EQ(std::string(file.GetPath()), longName.substr(0, 263));
}

// Two views of one file read from two threads each see their own sequence of bytes.
TEST(DFile, ViewsReadFromTwoThreads) {
    TempDir dir;
    std::string content;
    for (int i = 0; i < 4096; ++i) content += static_cast<char>(i * 7);
    DFile file;
    ASSERT_TRUE(file.Open(dir.write("data.bin", content).c_str(), DFile::OpenRead));
    std::vector<std::thread> threads;
    int mismatches[2] = {0, 0};
    for (int t = 0; t < 2; ++t) {
        threads.emplace_back([&, t] {
            DFile view;
            if (!view.OpenView(t * 2048, 2048, file)) {
                ++mismatches[t];
                return;
            }
            for (int i = 0; i < 2048; i += 16) {
                char chunk[16];
                if (view.Read(chunk, 16) != 16 ||
                    std::memcmp(chunk, content.data() + t * 2048 + i, 16) != 0) {
                    ++mismatches[t];
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(mismatches[0], 0);
    EXPECT_EQ(mismatches[1], 0);
}

}  // namespace
}  // namespace mirel
