#include "pixelconv/row_kernels.h"

#include <emmintrin.h>
#include <immintrin.h>
#include <tmmintrin.h>

#include <bit>
#include <cstring>

namespace mirel {

static_assert(std::endian::native == std::endian::little, "pixels are read as words");

namespace {

uint32_t LoadPixel(const uint8_t* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
}

void StorePixel(uint8_t* p, uint32_t w) { std::memcpy(p, &w, 4); }

uint32_t SwapRedBlue(uint32_t w) {
    return (w & 0xFF00FF00u) | ((w >> 16) & 0xFFu) | ((w & 0xFFu) << 16);
}

}  // namespace

bool DimgHasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

namespace {

// The byte shuffle of four 32-bit pixels: byte i of each destination pixel is byte order[i]
// of the source pixel, or 0 for -1.
__m128i ShuffleOfFour(const int8_t (&order)[4]) {
    int8_t lanes[16];
    for (int i = 0; i < 16; ++i) {
        const int8_t from = order[i % 4];
        lanes[i] = from < 0 ? int8_t(-1) : int8_t(i - i % 4 + from);
    }
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(lanes));
}

__attribute__((target("avx2"))) size_t Shuffle32Avx2(uint8_t* __restrict d,
                                                     const uint8_t* __restrict s, size_t n,
                                                     __m128i shuffle, uint32_t fill) {
    const __m256i shuffles = _mm256_broadcastsi128_si256(shuffle);
    const __m256i fills = _mm256_set1_epi32(int32_t(fill));
    size_t x = 0;
    for (; x + 8 <= n; x += 8) {
        const __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + 4 * x));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 4 * x),
                            _mm256_or_si256(_mm256_shuffle_epi8(in, shuffles), fills));
    }
    return x;
}

__attribute__((target("ssse3"))) size_t Shuffle32Ssse3(uint8_t* __restrict d,
                                                       const uint8_t* __restrict s, size_t n,
                                                       __m128i shuffle, uint32_t fill) {
    const __m128i fills = _mm_set1_epi32(int32_t(fill));
    size_t x = 0;
    for (; x + 4 <= n; x += 4) {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x),
                         _mm_or_si128(_mm_shuffle_epi8(in, shuffle), fills));
    }
    return x;
}

// 32-bit pixels through the byte shuffle of `order`, each or-ed with the pixel `fill`, eight at
// a time with AVX2 and four at a time with SSSE3 where the processor has them. Returns the
// pixels done; the rest of the row is the caller's.
size_t Shuffle32(uint8_t* d, const uint8_t* s, size_t n, const int8_t (&order)[4], uint32_t fill) {
    if (!DimgHasSsse3()) return 0;
    const __m128i shuffle = ShuffleOfFour(order);
    static const bool hasAvx2 = __builtin_cpu_supports("avx2");
    const size_t wide = hasAvx2 ? Shuffle32Avx2(d, s, n, shuffle, fill) : 0;
    return wide + Shuffle32Ssse3(d + 4 * wide, s + 4 * wide, n - wide, shuffle, fill);
}

}  // namespace

void DimgSwapRedBlueRow(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n) {
    const size_t done = Shuffle32(d, s, n, {2, 1, 0, 3}, 0);
    for (size_t x = done; x < n; ++x) StorePixel(d + 4 * x, SwapRedBlue(LoadPixel(s + 4 * x)));
}

void DimgSwapRedBlueRowWithAlpha(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n,
                                 uint8_t alpha) {
    const uint32_t a = uint32_t(alpha) << 24;
    const size_t done = Shuffle32(d, s, n, {2, 1, 0, -1}, a);
    for (size_t x = done; x < n; ++x) {
        StorePixel(d + 4 * x, (SwapRedBlue(LoadPixel(s + 4 * x)) & 0x00FFFFFFu) | a);
    }
}

void DimgCopyRowWithAlpha(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n,
                          uint8_t alpha) {
    const uint32_t a = uint32_t(alpha) << 24;
    const size_t done = Shuffle32(d, s, n, {0, 1, 2, -1}, a);
    for (size_t x = done; x < n; ++x) {
        StorePixel(d + 4 * x, (LoadPixel(s + 4 * x) & 0x00FFFFFFu) | a);
    }
}

namespace {

// Source pixels x to x + 3 into destination pixels x to x + 3; reads 16 source bytes.
__attribute__((target("ssse3"))) inline void ExpandFour(uint8_t* __restrict d,
                                                        const uint8_t* __restrict s, uint32_t x,
                                                        __m128i order, __m128i alphas) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * size_t(x)));
    const __m128i out = _mm_or_si128(_mm_shuffle_epi8(in, order), alphas);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * size_t(x)), out);
}

// Source pixels x to x + 3 into destination pixels x to x + 3; writes 16 destination bytes,
// the last 4 of them zero, which the next pixels overwrite.
__attribute__((target("ssse3"))) inline void ShrinkFour(uint8_t* __restrict d,
                                                        const uint8_t* __restrict s, uint32_t x,
                                                        __m128i order) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * size_t(x)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 3 * size_t(x)), _mm_shuffle_epi8(in, order));
}

}  // namespace

__attribute__((target("ssse3"))) uint32_t DimgExpandRowSsse3(uint8_t* __restrict d,
                                                             const uint8_t* __restrict s,
                                                             uint32_t n, uint8_t alpha,
                                                             bool swapRedBlue) {
    // Four pixels per step from a 16-byte load, of which 12 bytes are used: the loop stops
    // while the load still ends inside the row.
    const __m128i order = swapRedBlue
                              ? _mm_setr_epi8(2, 1, 0, -1, 5, 4, 3, -1, 8, 7, 6, -1, 11, 10, 9, -1)
                              : _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i alphas = _mm_set1_epi32(int32_t(uint32_t(alpha) << 24));
    uint32_t x = 0;
    for (; x + 18 <= n; x += 16) {
        ExpandFour(d, s, x, order, alphas);
        ExpandFour(d, s, x + 4, order, alphas);
        ExpandFour(d, s, x + 8, order, alphas);
        ExpandFour(d, s, x + 12, order, alphas);
    }
    for (; x + 6 <= n; x += 4) ExpandFour(d, s, x, order, alphas);
    return x;
}

__attribute__((target("ssse3"))) uint32_t DimgShrinkRowSsse3(uint8_t* __restrict d,
                                                             const uint8_t* __restrict s,
                                                             uint32_t n, bool swapRedBlue) {
    // The 16-byte store of four pixels reaches 4 bytes into the pixels after them: the loop
    // stops while it still ends inside the row.
    const __m128i order =
        swapRedBlue ? _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1)
                    : _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    uint32_t x = 0;
    for (; x + 18 <= n; x += 16) {
        ShrinkFour(d, s, x, order);
        ShrinkFour(d, s, x + 4, order);
        ShrinkFour(d, s, x + 8, order);
        ShrinkFour(d, s, x + 12, order);
    }
    for (; x + 6 <= n; x += 4) ShrinkFour(d, s, x, order);
    return x;
}

void DimgBoxRow32(uint8_t* __restrict d, const uint8_t* __restrict upper,
                  const uint8_t* __restrict lower, uint32_t n) {
    const __m128i zero = _mm_setzero_si128();
    uint32_t x = 0;
    for (; x + 2 <= n; x += 2) {
        const __m128i u = _mm_loadu_si128(reinterpret_cast<const __m128i*>(upper + 8 * x));
        const __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(lower + 8 * x));
        // Column sums of source pixels 0 and 1 (first), 2 and 3 (second), 16 bits a channel.
        const __m128i first = _mm_add_epi16(_mm_unpacklo_epi8(u, zero), _mm_unpacklo_epi8(l, zero));
        const __m128i second =
            _mm_add_epi16(_mm_unpackhi_epi8(u, zero), _mm_unpackhi_epi8(l, zero));
        const __m128i boxes =
            _mm_add_epi16(_mm_unpacklo_epi64(first, second), _mm_unpackhi_epi64(first, second));
        const __m128i means = _mm_srli_epi16(boxes, 2);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(d + 4 * x), _mm_packus_epi16(means, means));
    }
    for (; x < n; ++x) {
        for (int c = 0; c < 4; ++c) {
            const uint8_t* u = upper + 8 * x + c;
            const uint8_t* l = lower + 8 * x + c;
            d[4 * x + c] = uint8_t((u[0] + u[4] + l[0] + l[4]) >> 2);
        }
    }
}

}  // namespace mirel
