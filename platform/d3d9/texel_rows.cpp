#include "platform/d3d9/texel_rows.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace platform::d3d9 {
namespace {

// target[i] = (texels[i] | sourceAlpha) written as `write` asks, for four pixels.
template <TexelWrite write>
void writeFour(std::uint32_t* target, const std::uint32_t* texels, __m128i sourceAlpha,
               __m128i targetAlpha) {
    __m128i result =
        _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(texels)), sourceAlpha);
    if constexpr (write == TexelWrite::add)
        result = _mm_adds_epu8(result, _mm_loadu_si128(reinterpret_cast<const __m128i*>(target)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(target), _mm_or_si128(result, targetAlpha));
}

template <TexelWrite write>
void writeTexels(std::uint32_t* target, const std::uint32_t* texels, int count,
                 std::uint32_t sourceAlpha, std::uint32_t targetAlpha) {
    const __m128i source = _mm_set1_epi32(static_cast<int>(sourceAlpha));
    const __m128i result = _mm_set1_epi32(static_cast<int>(targetAlpha));
    int i = 0;
    for (; i + 4 <= count; i += 4) writeFour<write>(target + i, texels + i, source, result);
    if (i == count) return;
    // The last one to three pixels go through a block of four.
    const std::size_t bytes = static_cast<std::size_t>(count - i) * 4;
    std::uint32_t block[4] = {}, blockTexels[4] = {};
    std::memcpy(block, target + i, bytes);
    std::memcpy(blockTexels, texels + i, bytes);
    writeFour<write>(block, blockTexels, source, result);
    std::memcpy(target + i, block, bytes);
}

// Columns that do not read consecutive texels (or read the border) are gathered first.
template <TexelWrite write>
void writeGathered(std::uint32_t* target, const std::uint32_t* texelRow, const int* columns,
                   int count, const TexelLevel& level, std::uint32_t targetAlpha) {
    constexpr int kBlock = 64;
    std::uint32_t gathered[kBlock];
    for (int first = 0; first < count; first += kBlock) {
        const int n = std::min(kBlock, count - first);
        for (int i = 0; i < n; ++i) {
            const int column = columns[first + i];
            gathered[i] = texelRow && column >= 0 ? texelRow[column] | level.alpha : level.border;
        }
        writeTexels<write>(target + first, gathered, n, 0, targetAlpha);
    }
}

template <TexelWrite write>
void writeRow(std::uint32_t* target, const std::uint32_t* texelRow, const TexelMapping& mapping,
              int left, int right, const TexelLevel& level, std::uint32_t targetAlpha) {
    for (const ColumnRun& run : mapping.runs) {
        const int from = std::max(left, run.left), to = std::min(right, run.right);
        if (from >= to) continue;
        const int* columns = &mapping.columns[static_cast<std::size_t>(from - mapping.pixels.left)];
        if (run.contiguous && texelRow)
            writeTexels<write>(target + from, texelRow + columns[0], to - from, level.alpha,
                               targetAlpha);
        else
            writeGathered<write>(target + from, texelRow, columns, to - from, level, targetAlpha);
    }
}

}  // namespace

void writeTexelRow(std::uint32_t* target, const std::uint32_t* texelRow,
                   const TexelMapping& mapping, int left, int right, const TexelLevel& level,
                   TexelWrite write, std::uint32_t targetAlpha) {
    if (write == TexelWrite::add)
        writeRow<TexelWrite::add>(target, texelRow, mapping, left, right, level, targetAlpha);
    else
        writeRow<TexelWrite::copy>(target, texelRow, mapping, left, right, level, targetAlpha);
}

}  // namespace platform::d3d9
