#include "foundation/DString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace mirel {
namespace {

TEST(DString, ReserveRoundsToSteps) {
    DString s;
    s.Reserve(0);
    EXPECT_EQ(s.Capacity(), 0u);
    EXPECT_EQ(s.GetHandle().UseCount(), 0);  // no buffer yet: the shared ""
    EXPECT_STREQ(s.GetHandle().Get(), "");
    s.Reserve(1);
    EXPECT_EQ(s.Capacity(), 32u);
    s.Reserve(33);
    EXPECT_EQ(s.Capacity(), 64u);
    s.Reserve(10);
    EXPECT_EQ(s.Capacity(), 64u);
}

TEST(DString, AssignReplaceAndAppend) {
    DString s("abcdef");
    EXPECT_EQ(s.Length(), 6u);
    s.Replace(2, "xyz", 3);
    EXPECT_STREQ(s.Text(), "xyzcdef");
    s.Replace(4, "Q", 1);
    EXPECT_STREQ(s.Text(), "Qdef");
    s.Append("!");
    EXPECT_STREQ(s.Text(), "Qdef!");
    s.Append(nullptr);
    EXPECT_EQ(s.Length(), 5u);

    const char* buffer = s.Text();
    s.Assign("");
    EXPECT_EQ(s.Text(), buffer);  // the buffer is kept
    EXPECT_EQ(s.Length(), 0u);
    s.Replace(0, nullptr, 3);
    EXPECT_STREQ(s.Text(), "");

    DString copy(s);
    s.Assign("original");
    copy = s;
    s.Append(" changed");
    EXPECT_STREQ(copy.Text(), "original");
}

TEST(DString, HandlesSeeInPlaceChangesUntilGrowth) {
    DString s("abc");
    rcptr<char> handle = s.GetHandle();
    EXPECT_EQ(handle.UseCount(), 2);
    s.Append("def");
    EXPECT_STREQ(handle.Get(), "abcdef");
    s.Append(std::string(40, 'x').c_str());  // past 32: a new array
    EXPECT_NE(s.GetHandle().Get(), handle.Get());
    EXPECT_STREQ(handle.Get(), "abcdef");
    EXPECT_EQ(s.Length(), 46u);
    EXPECT_EQ(handle.UseCount(), 1);
}

TEST(DString, AppendingItsOwnText) {
    DString small("abc");
    small.AppendStr(small.GetHandle());
    EXPECT_STREQ(small.Text(), "abcabc");

    const std::string twenty(20, 'q');
    DString grows(twenty.c_str());
    grows.AppendStr(grows.GetHandle());  // grows from 32 to 64 while reading the old buffer
    EXPECT_EQ(std::string(grows.Text()), twenty + twenty);
    grows.Append(grows.Text());  // a raw pointer into the buffer, also across growth
    EXPECT_EQ(grows.Length(), 80u);
}

TEST(DString, EqualsMeansEqualWithOrWithoutABuffer) {
    DString empty;
    EXPECT_TRUE(empty.Equals(nullptr));
    EXPECT_TRUE(empty.Equals(""));
    EXPECT_FALSE(empty.Equals("a"));
    DString s("abc");
    EXPECT_TRUE(s.Equals("abc"));
    EXPECT_FALSE(s.Equals("abd"));
    EXPECT_FALSE(s.Equals("ab"));
    EXPECT_FALSE(s.Equals(nullptr));
    s.Assign("");
    EXPECT_TRUE(s.Equals(nullptr));
}

TEST(DString, RecountAfterWritingThroughTheHandle) {
    DString s;
    s.Reserve(6);
    char* buffer = s.GetHandle().Get();
    std::memcpy(buffer, "ab\0cd", 6);
    s._Recount();
    EXPECT_EQ(s.Length(), 2u);
    std::memset(buffer, 'x', s.Capacity());  // no NUL at all: ends at the last byte
    s._Recount();
    EXPECT_EQ(s.Length(), s.Capacity() - 1);
    EXPECT_EQ(s.Text()[s.Length()], '\0');
}

}  // namespace
}  // namespace mirel
