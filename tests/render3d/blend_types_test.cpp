#include <gtest/gtest.h>

#include <map>

#include "render3d/blend_types.h"

namespace tessera::test {
namespace {

using States = std::map<uint32_t, uint32_t>;

// Render-state numbers and values written out, so that a misnamed enumerator is caught too.
constexpr uint32_t ZWrite = 14, AlphaTest = 15, Src = 19, Dest = 20, Ref = 24, Func = 25,
                   Blend = 27, Separate = 206, SrcA = 207, DestA = 208;

States blended(uint32_t src, uint32_t dest, uint32_t srcAlpha, uint32_t destAlpha) {
    return {{ZWrite, 0},   {Blend, 1},       {Src, src},        {Dest, dest},
            {Separate, 1}, {SrcA, srcAlpha}, {DestA, destAlpha}};
}

States with(States s, const States& more) {
    s.insert(more.begin(), more.end());
    return s;
}

const States kTestGreater0 = {{AlphaTest, 1}, {Func, 5}, {Ref, 0}};

TEST(BlendTypes, EachTypeSetsItsStatesOnly) {
    const struct {
        uint32_t type;
        States states;
    } cases[] = {
        {0, {}},
        {1, with(blended(5, 6, 1, 6), kTestGreater0)},
        {2, with(blended(5, 2, 1, 2), kTestGreater0)},
        {3, blended(2, 6, 1, 2)},
        {4, blended(9, 1, 1, 2)},
        {5, blended(10, 6, 1, 2)},
        {6, blended(9, 2, 1, 2)},
        {7,
         {{Blend, 1},
          {Src, 2},
          {Dest, 1},
          {Separate, 1},
          {SrcA, 1},
          {DestA, 1},
          {AlphaTest, 1},
          {Func, 7},
          {Ref, 255}}},
        {8, with({{Blend, 1}, {Src, 5}, {Dest, 6}, {Separate, 1}, {SrcA, 1}, {DestA, 6}},
                 kTestGreater0)},
        {9, blended(2, 2, 1, 2)},
        {10, blended(9, 5, 1, 2)},
        {11, blended(10, 1, 1, 2)},
        {12, {}},
        {13, with({{ZWrite, 0}, {Blend, 1}, {Src, 2}, {Dest, 2}}, kTestGreater0)},
        {14, {}},
    };
    for (const auto& c : cases) {
        States actual;
        for (const L3DRenderStateRow& row : l3dBlendTypeStates(c.type)) {
            EXPECT_TRUE(actual.emplace(row.state, row.value).second)
                << "type " << c.type << " sets state " << row.state << " twice";
        }
        EXPECT_EQ(actual, c.states) << "type " << c.type;
    }
}

TEST(BlendTypes, ZeroedAlphaTypes) {
    for (uint32_t type = 0; type < 16; ++type) {
        const bool zeroes = type == 0 || type == 4 || type == 6 || type == 9 || type == 11;
        EXPECT_EQ(l3dBlendTypeZeroesAlpha(type), zeroes) << "type " << type;
    }
}

}  // namespace
}  // namespace tessera::test
