#include "render3d/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// The order the sort promises, written the slow way: keys ascending by their bit patterns made
// monotone (so -0.0 comes before 0.0); equal non-negative keys in input order, equal negative
// keys in reverse input order; input that already ascends as floats comes back unchanged.
float bitsToFloat(uint32_t b) {
    float f;
    std::memcpy(&f, &b, sizeof f);
    return f;
}

std::vector<uint32_t> referenceOrder(const std::vector<float>& keys) {
    std::vector<uint32_t> order(keys.size());
    std::iota(order.begin(), order.end(), 0u);
    if (std::is_sorted(keys.begin(), keys.end())) return order;
    auto monotone = [&](uint32_t i) {
        const uint32_t b = bitsOf(keys[i]);
        return (b & 0x80000000u) ? ~b : b | 0x80000000u;
    };
    std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        if (monotone(a) != monotone(b)) return monotone(a) < monotone(b);
        return (bitsOf(keys[a]) & 0x80000000u) && a > b;
    });
    return order;
}

std::vector<uint32_t> radixOrder(const std::vector<float>& keys) {
    const uint32_t* list = l3dRadixSortFloat(keys.data(), static_cast<uint32_t>(keys.size()));
    return std::vector<uint32_t>(list, list + keys.size());
}

// Checks the sort against std::stable_sort (the keys come out in the same float order) and
// against the reference for the exact placement of equal keys.
void expectSorted(const std::vector<float>& keys, const std::string& name) {
    SCOPED_TRACE(name);
    const std::vector<uint32_t> got = radixOrder(keys);
    std::vector<uint32_t> stable(keys.size());
    std::iota(stable.begin(), stable.end(), 0u);
    std::stable_sort(stable.begin(), stable.end(),
                     [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
    for (size_t i = 0; i < keys.size(); ++i)
        ASSERT_EQ(keys[got[i]], keys[stable[i]]) << "position " << i;
    EXPECT_EQ(got, referenceOrder(keys));
}

TEST(RadixSortFloat, OrdersKeySetsLikeStableSort) {
    struct Case {
        const char* name;
        std::vector<float> keys;
    };
    const std::vector<Case> cases = {
        {"mixed signs", {3.5f, -1.0f, 0.25f, -7.0f, 100.0f, -0.5f, 2.0f}},
        {"negative zero beside zero", {1.0f, 0.0f, -0.0f, -1.0f, 0.0f, -0.0f}},
        {"equal keys keep their order", {2.0f, 1.0f, 2.0f, 1.0f, 2.0f, 0.5f}},
        {"equal negative keys", {-2.0f, -1.0f, -2.0f, -3.0f, -2.0f, 1.0f}},
        {"already sorted", {-3.0f, -1.0f, -1.0f, 0.0f, 2.0f, 2.0f, 9.0f}},
        {"all negative", {-1.0f, -4.0f, -2.5f, -4.0f, -0.125f}},
        {"all negative, one high byte", {-1.0f, -1.5f, -1.25f, -1.75f, -1.5f}},
        {"reverse sorted", {9.0f, 8.0f, 7.0f, 6.0f, 5.0f, 4.0f}},
        // 1.0, 1.5, 1.25 differ only in byte 2; bytes 0 and 1 are the same in every key.
        {"one byte varies", {1.5f, 1.0f, 1.25f, 1.0f}},
        {"low byte varies only",
         {bitsToFloat(0x3F800003), bitsToFloat(0x3F800001), bitsToFloat(0x3F800002),
          bitsToFloat(0x3F800001)}},
        {"single key", {42.0f}},
        {"tiny and huge", {1e-30f, 1e30f, -1e30f, -1e-30f, 0.0f}},
    };
    for (const Case& c : cases) expectSorted(c.keys, c.name);
}

TEST(RadixSortFloat, NoKeysGiveNoList) {
    const float key = 1.0f;
    EXPECT_EQ(l3dRadixSortFloat(&key, 0), nullptr);
    EXPECT_EQ(l3dRadixSortFloat(nullptr, 5), nullptr);
}

TEST(RadixSortFloat, RandomKeySetsMatchTheReference) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 200; ++round) {
        const uint32_t n = 1 + rng() % (round < 150 ? 300 : 5000);
        std::vector<float> keys(n);
        const int style = round % 4;
        for (float& k : keys) {
            switch (style) {
            case 0:
                k = std::uniform_real_distribution<float>(-1e4f, 1e4f)(rng);
                break;
            case 1:
                k = static_cast<float>(static_cast<int>(rng() % 9) - 4);
                break;  // many ties
            case 2:
                k = std::uniform_real_distribution<float>(0.0f, 50.0f)(rng);
                break;
            default: {  // any finite bit pattern
                uint32_t b;
                float f;
                do {
                    b = rng();
                    std::memcpy(&f, &b, sizeof f);
                } while (!std::isfinite(f));
                k = f;
            }
            }
        }
        expectSorted(keys, "round " + std::to_string(round));
    }
}

TEST(RadixSortFloat, ListStaysValidUntilTheNextCallOfTheSameThread) {
    const std::vector<float> keys = {3.0f, 1.0f, 2.0f};
    const uint32_t* list = l3dRadixSortFloat(keys.data(), 3);
    std::vector<uint32_t> fromOtherThread;
    std::thread([&] {
        const std::vector<float> other = {5.0f, 4.0f};
        const uint32_t* own = l3dRadixSortFloat(other.data(), 2);
        fromOtherThread.assign(own, own + 2);
    }).join();
    EXPECT_EQ(std::vector<uint32_t>(list, list + 3), (std::vector<uint32_t>{1, 2, 0}));
    EXPECT_EQ(fromOtherThread, (std::vector<uint32_t>{1, 0}));
}

}  // namespace
