#pragma once
// The level kernels for W lanes (W / 4 quads) a call, written once in the compiler's generic
// vectors and included by the files built for the instruction sets that suit a width:
// level_lanes_avx2.cpp (eight lanes) and level_lanes_avx512.cpp (sixteen). The operations are
// those of the four-lane kernels in level_lanes_kernel.h on the same values in the same order,
// so every build gives the same bits. Everything here has internal linkage, so each build
// keeps its own copy.
#include <immintrin.h>

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/level_lanes.h"

namespace platform::d3d9 {
namespace {

// The vector types of W lanes. typedef, not using: g++ drops a dependent vector_size from an
// alias declaration; and a struct of their own, so that Wide's members see them as dependent
// types rather than as their element types.
template <int W>
struct WideTypes {
    typedef float F __attribute__((vector_size(4 * W)));
    typedef std::int32_t I __attribute__((vector_size(4 * W)));
    typedef std::uint32_t U __attribute__((vector_size(4 * W)));
    typedef std::uint64_t Pairs __attribute__((vector_size(8 * W)));
    typedef std::uint64_t HalfPairs __attribute__((vector_size(4 * W)));
};

template <int W>
struct Wide {
    using F = typename WideTypes<W>::F;
    using I = typename WideTypes<W>::I;
    using U = typename WideTypes<W>::U;
    using Pairs = typename WideTypes<W>::Pairs;
    using HalfPairs = typename WideTypes<W>::HalfPairs;

    // Whether every lane of a comparison's result is set.
    static bool all(I mask) {
        if constexpr (W == 8) {
            return _mm256_movemask_epi8(reinterpret_cast<__m256i>(mask)) == -1;
        } else {
            static_assert(W == 16);
            return _mm512_cmpeq_epi32_mask(reinterpret_cast<__m512i>(mask),
                                           _mm512_set1_epi32(-1)) == 0xFFFF;
        }
    }

    // Lane `corner` of each quad in all four of its lanes.
    static I spreadMask(int corner) {
        I mask{};
        for (int lane = 0; lane < W; ++lane) mask[lane] = (lane & ~3) + corner;
        return mask;
    }

    // Lane index[l] of v in each lane l (indices in [0, W)); the compilers' own shuffles of a
    // variable mask differ, the instructions do not.
    template <typename V>
    static V permute(V v, I index) {
        if constexpr (W == 8) {
            return reinterpret_cast<V>(_mm256_permutevar8x32_epi32(
                reinterpret_cast<__m256i>(v), reinterpret_cast<__m256i>(index)));
        } else {
            static_assert(W == 16);
            // The zero-masked form, as with the gathers below.
            return reinterpret_cast<V>(_mm512_maskz_permutexvar_epi32(
                0xFFFF, reinterpret_cast<__m512i>(index), reinterpret_cast<__m512i>(v)));
        }
    }

    static F load(const float* p) {
        F v;
        std::memcpy(&v, p, sizeof v);
        return v;
    }

    static void store(float* p, F v) { std::memcpy(p, &v, sizeof v); }

    static I floor(F x) {
        // Added as unsigned: out-of-range lanes (whose results the callers drop) wrap.
        const I truncated = __builtin_convertvector(x, I);
        return reinterpret_cast<I>(reinterpret_cast<U>(truncated) +
                                   reinterpret_cast<U>(x < __builtin_convertvector(truncated, F)));
    }

    static F limit(F value, DWORD address) {
        if (address == D3DTADDRESS_WRAP) {
            const F magnitude = reinterpret_cast<F>(reinterpret_cast<I>(value) & 0x7FFFFFFF);
            const I finite = magnitude <= FLT_MAX;
            const I whole = magnitude >= 8388608.0f;
            const F floored = whole ? value : __builtin_convertvector(floor(value), F);
            return reinterpret_cast<F>(finite & reinterpret_cast<I>(value - floored));
        }
        const F number = reinterpret_cast<F>((value == value) & reinterpret_cast<I>(value));
        const F smaller = number < 3.0f ? number : F{} + 3.0f;
        return smaller > -2.0f ? smaller : F{} - 2.0f;
    }

    static F quantise(F f) {
        const F scaled = f * 256.0f + 0.5f;
        return __builtin_convertvector(__builtin_convertvector(scaled, I), F) * (1.0f / 256.0f);
    }

    static I address(I i, int size, DWORD address) {
        const I below = i < 0;
        const I above = i > size - 1;
        switch (address) {
        case D3DTADDRESS_WRAP:
            return i + (below & size) - (above & size);
        case D3DTADDRESS_BORDER:
            return i | below | above;
        default:
            return above ? I{} + (size - 1) : i & ~below;
        }
    }

    // Texel bits of W lanes and the mask of those that read the border colour.
    struct Texels {
        I bits, border;
    };

    static Texels withBorder(const LevelTexels& level, U texels, I border) {
        return {border ? I{} + static_cast<std::int32_t>(level.borderBits)
                       : reinterpret_cast<I>(texels),
                border};
    }

    // The texels at addressed (x, y); -1 in either reads the border colour.
    static Texels fetch(const LevelTexels& level, I x, I y) {
        const I border = (x | y) >> 31;
        const I xs = x & ~border, ys = y & ~border;
        return withBorder(level, texelsAt(level, ys * level.width + xs), border);
    }

    // The texels at `index` (y * width + x) of every lane. Levels hold fewer than 2^31
    // texels. Sixteen lanes read through hardware gathers, eight one by one (which measured
    // faster there).
    static U texelsAt(const LevelTexels& level, I index) {
        if constexpr (W == 16) {
            // The masked forms: the plain ones start from an undefined vector, which g++ 12
            // warns of.
            return reinterpret_cast<U>(_mm512_mask_i32gather_epi32(
                _mm512_setzero_si512(), 0xFFFF, reinterpret_cast<__m512i>(index), level.texels, 4));
        } else {
            U texels;
            for (int lane = 0; lane < W; ++lane)
                texels[lane] = level.texels[static_cast<std::size_t>(index[lane])];
            return texels;
        }
    }

    // The pairs of texels at `index` and index + 1 of every lane, as 64-bit values.
    static Pairs pairsAt(const LevelTexels& level, I index) {
        if constexpr (W == 16) {
            const __m512i all = reinterpret_cast<__m512i>(index);
            const auto gather = [&](__m256i half) {
                return _mm512_mask_i32gather_epi64(_mm512_setzero_si512(), 0xFF, half, level.texels,
                                                   4);
            };
            const __m512i low = gather(_mm512_maskz_extracti64x4_epi64(0xF, all, 0));
            const __m512i high = gather(_mm512_maskz_extracti64x4_epi64(0xF, all, 1));
            Pairs pairs;
            std::memcpy(&pairs, &low, sizeof low);
            std::memcpy(reinterpret_cast<char*>(&pairs) + sizeof low, &high, sizeof high);
            return pairs;
        } else {
            Pairs pairs;
            for (int lane = 0; lane < W; ++lane) {
                std::uint64_t pair;
                std::memcpy(&pair, level.texels + index[lane], sizeof pair);
                pairs[lane] = pair;
            }
            return pairs;
        }
    }

    // The 64-bit pair of texels at (x, y), (x + 1, y).
    static std::uint64_t pairAt(const LevelTexels& level, std::int32_t x, std::int32_t y) {
        std::uint64_t pair;
        std::memcpy(&pair,
                    level.texels +
                        static_cast<std::size_t>(y) * static_cast<std::size_t>(level.width) +
                        static_cast<std::size_t>(x),
                    sizeof pair);
        return pair;
    }

    struct Channels {
        F c[4];  // red, green, blue, alpha
    };

    static Channels unpack(const LevelTexels& level, const Texels& texels) {
        const U bits = reinterpret_cast<U>(texels.bits);
        const auto channel = [](U shifted) {
            return __builtin_convertvector(reinterpret_cast<I>(shifted & 0xFF), F) *
                   (1.0f / 255.0f);
        };
        Channels out{{channel(bits >> 16), channel(bits >> 8), channel(bits), channel(bits >> 24)}};
        if (level.opaque) out.c[3] = texels.border ? out.c[3] : F{} + 1.0f;
        return out;
    }

    static Channels mix(const Channels& a, const Channels& b, F t) {
        Channels out;
        for (int k = 0; k < 4; ++k) out.c[k] = a.c[k] + (b.c[k] - a.c[k]) * t;
        return out;
    }

    static void store(const Channels& colours, const LaneRows& out) {
        for (int k = 0; k < 4; ++k) store(out.channel[k], colours.c[k]);
    }

    // Each kernel is flattened into one function, so that its vectors stay in registers.
    [[gnu::flatten]] static void point(const LevelTexels& level, const float* u, const float* v,
                                       const LaneRows& out) {
        const F tu = limit(load(u), level.addressU) * static_cast<float>(level.width);
        const F tv = limit(load(v), level.addressV) * static_cast<float>(level.height);
        const I x = address(floor(tu), level.width, level.addressU);
        const I y = address(floor(tv), level.height, level.addressV);
        store(unpack(level, fetch(level, x, y)), out);
    }

    // What bilinear filtering needs before it reads texels, as setUpBilinear.
    struct Setup {
        I x;          // column of the left texels, before addressing
        I x0, x1;     // addressed columns of the left and right texels
        I y, y0, y1;  // row of the top texels before addressing; addressed rows
        F wx, wy;     // weights of the right and bottom texels
        bool readsRight, readsBelow, readsPairs;
        // Each quad's four lanes read the same 2x2 texels (a magnified quad): the texels are
        // loaded and unpacked once per quad.
        bool sharesFootprints;
    };

    static Setup setUp(const LevelTexels& level, const float* u, const float* v) {
        const F tu = limit(load(u), level.addressU) * static_cast<float>(level.width);
        const F tv = limit(load(v), level.addressV) * static_cast<float>(level.height);
        const F fu = tu - 0.5f, fv = tv - 0.5f;
        Setup s;
        s.x = floor(fu);
        s.y = floor(fv);
        s.wx = quantise(fu - __builtin_convertvector(s.x, F));
        s.wy = quantise(fv - __builtin_convertvector(s.y, F));
        s.x0 = address(s.x, level.width, level.addressU);
        s.x1 = address(s.x + 1, level.width, level.addressU);
        s.y0 = address(s.y, level.height, level.addressV);
        s.y1 = address(s.y + 1, level.height, level.addressV);
        s.readsRight = !all(s.wx == 0.0f);
        s.readsBelow = !all(s.wy == 0.0f);
        s.readsPairs = s.readsRight && all((s.x >= 0) & (s.x < level.width - 1));
        s.sharesFootprints =
            all((s.x == permute(s.x, spreadMask(0))) & (s.y == permute(s.y, spreadMask(0))));
        return s;
    }

    // The left and right texels of one row.
    struct Row {
        Texels left, right;
    };

    // Pairs at (x, y), (x + 1, y) of every lane, for lanes whose x and x + 1 lie inside the
    // level; BORDER rows (-1) read the border colour.
    static Row pairRow(const LevelTexels& level, I x, I y) {
        const I border = y >> 31;
        const I ys = y & ~border;
        const Pairs pairs = pairsAt(level, ys * level.width + x);
        return {withBorder(level, __builtin_convertvector(pairs, U), border),
                withBorder(level, __builtin_convertvector(pairs >> 32, U), border)};
    }

    static Row loadRow(const LevelTexels& level, const Setup& s, I y) {
        if (s.readsPairs) return pairRow(level, s.x, y);
        return {fetch(level, s.x0, y), s.readsRight ? fetch(level, s.x1, y) : Texels{}};
    }

    static Channels filterRow(const LevelTexels& level, const Setup& s, const Row& row) {
        const Channels left = unpack(level, row.left);
        return s.readsRight ? mix(left, unpack(level, row.right), s.wx) : left;
    }

    // Quads whose lanes share their footprint: each quad's top and bottom pairs are read and
    // unpacked once, as lanes [top left, top right, bottom left, bottom right] of the quad,
    // and spread over its four lanes.
    static void bilinearShared(const LevelTexels& level, const Setup& s, const LaneRows& out) {
        HalfPairs pairs;
        for (int q = 0; q < W / 4; ++q) {
            const int lane = 4 * q;
            pairs[2 * q] = pairAt(level, s.x[lane], s.y0[lane] & ~(s.y0[lane] >> 31));
            pairs[2 * q + 1] = pairAt(level, s.x[lane], s.y1[lane] & ~(s.y1[lane] >> 31));
        }
        I bottomLanes{};  // lanes 2 and 3 of each quad, which take the bottom pair
        for (int lane = 0; lane < W; ++lane) bottomLanes[lane] = (lane & 2) ? -1 : 0;
        const I quadStart = spreadMask(0);
        const I border = (permute(s.y1 >> 31, quadStart) & bottomLanes) |
                         (permute(s.y0 >> 31, quadStart) & ~bottomLanes);
        const Channels corners =
            unpack(level, withBorder(level, reinterpret_cast<U>(pairs), border));
        Channels spread[4];
        for (int corner = 0; corner < 4; ++corner)
            for (int k = 0; k < 4; ++k)
                spread[corner].c[k] = permute(corners.c[k], spreadMask(corner));
        store(mix(mix(spread[0], spread[1], s.wx), mix(spread[2], spread[3], s.wx), s.wy), out);
    }

    [[gnu::flatten]] static void bilinear(const LevelTexels& level, const float* u, const float* v,
                                          const LaneRows& out) {
        const Setup s = setUp(level, u, v);
        if (s.readsPairs && s.readsBelow && s.sharesFootprints) {
            bilinearShared(level, s, out);
            return;
        }
        const Row top = loadRow(level, s, s.y0);
        const Channels upper = filterRow(level, s, top);
        if (!s.readsBelow) {
            store(upper, out);
            return;
        }
        store(mix(upper, filterRow(level, s, loadRow(level, s, s.y1)), s.wy), out);
    }
};

// A kernel of groups of quads: Q quads (4 * Q lanes) a call.
using GroupKernel = void (*)(const LevelTexels&, const float*, const float*, const LaneRows&);

// Runs `group` over as many groups of Q quads as fit, then `rest` over the quads left.
template <std::size_t Q, GroupKernel group, LevelQuadsFunction rest>
void groupsThen(const LevelTexels& level, const float* u, const float* v, std::size_t quads,
                const LaneRows& out) {
    std::size_t q = 0;
    for (; q + Q <= quads; q += Q) group(level, u + 4 * q, v + 4 * q, out.advanced(4 * q));
    if (q < quads) rest(level, u + 4 * q, v + 4 * q, quads - q, out.advanced(4 * q));
}

}  // namespace
}  // namespace platform::d3d9
