#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "foundation/DImage.h"
#include "pixelconv/image_rows.h"
#include "pixelconv/pixel_rule.h"

namespace mirel {

// Every converter family has one member per (destination kind, source kind) pair; Pair<D, S>
// is a struct whose static Run (a function or a function pointer) converts between the
// top-row addresses of two images. The dispatch picks the member once per call from a table
// of all 64.
template <template <DImageKind, DImageKind> class Pair, size_t... I>
constexpr auto DimgMakePairTable(std::index_sequence<I...>) {
    return std::array{Pair<DImageKind(I / DimgKindCount), DImageKind(I % DimgKindCount)>::Run...};
}

// Asks the destination, then the source, for its kind and does nothing at all when either is
// not one of the eight; otherwise runs the pair's member on the images' top rows with the
// four sizes and any trailing arguments, then ends access to the source and the destination.
template <template <DImageKind, DImageKind> class Pair, typename... Extra>
void DimgDispatchPair(DImage& dst, DImage& src, uint32_t dstWidth, uint32_t dstHeight,
                      uint32_t srcWidth, uint32_t srcHeight, Extra... extra) {
    static constexpr auto table =
        DimgMakePairTable<Pair>(std::make_index_sequence<DimgKindCount * DimgKindCount>());
    const uint32_t dstKind = static_cast<uint32_t>(dst.Kind());
    if (dstKind >= DimgKindCount) return;
    const uint32_t srcKind = static_cast<uint32_t>(src.Kind());
    if (srcKind >= DimgKindCount) return;
    uint8_t* dstTop = dst.FirstRow();
    uint8_t* srcTop = src.FirstRow();
    table[dstKind * DimgKindCount + srcKind](dstTop, dst, dstWidth, dstHeight, srcTop, src,
                                             srcWidth, srcHeight, extra...);
    src.EndAccess();
    dst.EndAccess();
}

}  // namespace mirel
