#include "foundation/DBuffer.h"

#include <gtest/gtest.h>

#include "foundation/DArray.h"

namespace mirel {
namespace {

TEST(DBuffer, ConstructionAllocatesNothing) {
    DBuffer<int, 32> buffer;
    EXPECT_EQ(buffer.Items(), nullptr);
    EXPECT_EQ(buffer.Capacity(), 0);
    DArray<int, 32> array;
    EXPECT_EQ(array.Items(), nullptr);
    EXPECT_EQ(array.Count(), 0);
}

TEST(DBuffer, ReserveGrowsInWholeSteps) {
    DBuffer<int, 32> small;
    struct Step {
        int64_t n;
        int32_t capacity;
    };
    for (const Step s : {Step{1, 32}, Step{33, 64}, Step{64, 64}, Step{10, 64}, Step{65, 96}}) {
        small.Reserve(s.n);
        EXPECT_EQ(small.Capacity(), s.capacity) << s.n;
    }
    DBuffer<unsigned short, 768> large;
    large.Reserve(769);
    EXPECT_EQ(large.Capacity(), 1536);
    DBuffer<float, 3> odd;  // a step that is not a power of two
    odd.Reserve(4);
    EXPECT_EQ(odd.Capacity(), 6);
    EXPECT_THROW(odd.Reserve(int64_t{INT32_MAX} + 1), std::bad_alloc);
    EXPECT_EQ(odd.Capacity(), 6);
}

TEST(DBuffer, GrowthKeepsElementsAndOnlyMovesWhenNeeded) {
    DBuffer<rcptr<int>, 4> buffer;
    rcptr<int> value;
    value.Create();
    *value = 5;
    buffer.At(3) = value;
    int* before = reinterpret_cast<int*>(buffer.Items());
    buffer.Reserve(4);
    EXPECT_EQ(reinterpret_cast<int*>(buffer.Items()), before);
    buffer.At(4);
    EXPECT_EQ(buffer.Capacity(), 8);
    EXPECT_EQ(*buffer[3], 5);
    EXPECT_EQ(value.UseCount(), 2);  // the old array released its copy
    EXPECT_THROW(buffer.At(-1), std::out_of_range);
}

TEST(DArray, AllocAndCount) {
    DArray<unsigned short, 2304> array;
    array.SetCount(10);
    EXPECT_EQ(array.Count(), 10);
    EXPECT_EQ(array.Capacity(), 2304);
    array.Alloc(5);
    EXPECT_EQ(array.Capacity(), 5);
    EXPECT_EQ(array.Count(), 5);
    array[4] = 7;
    array.Alloc(0);
    EXPECT_EQ(array.Items(), nullptr);
    EXPECT_EQ(array.Capacity(), 0);
    EXPECT_EQ(array.Count(), 0);
    EXPECT_THROW(array.SetCount(-1), std::out_of_range);
}

}  // namespace
}  // namespace mirel
