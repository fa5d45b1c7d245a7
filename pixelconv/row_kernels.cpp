#include "pixelconv/row_kernels.h"

#include <emmintrin.h>
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

void DimgSwapRedBlueRow(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n) {
    for (size_t x = 0; x < n; ++x) StorePixel(d + 4 * x, SwapRedBlue(LoadPixel(s + 4 * x)));
}

void DimgSwapRedBlueRowWithAlpha(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n,
                                 uint8_t alpha) {
    const uint32_t a = uint32_t(alpha) << 24;
    for (size_t x = 0; x < n; ++x) {
        StorePixel(d + 4 * x, (SwapRedBlue(LoadPixel(s + 4 * x)) & 0x00FFFFFFu) | a);
    }
}

void DimgCopyRowWithAlpha(uint8_t* __restrict d, const uint8_t* __restrict s, uint32_t n,
                          uint8_t alpha) {
    const uint32_t a = uint32_t(alpha) << 24;
    for (size_t x = 0; x < n; ++x) StorePixel(d + 4 * x, (LoadPixel(s + 4 * x) & 0x00FFFFFFu) | a);
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

}  // namespace

bool DimgHasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}

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
