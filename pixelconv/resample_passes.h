#pragma once
#include <algorithm>
#include <cstdint>

#include "foundation/DImage.h"
#include "pixelconv/image_rows.h"
#include "pixelconv/pixel_rule.h"
#include "pixelconv/resample_steps.h"

namespace mirel {

// The separable passes of the texture resampler. The horizontal passes read source rows of
// kind S into the temporary RGBA32 image (as wide as the destination, as high as the source);
// the vertical passes read the temporary image into destination rows of kind D.

// Pixel x of a row of the temporary image.
inline DimgRgba DimgTemporaryPixel(const uint8_t* row, uint32_t x) {
    return DimgGetPixel<DImageKind::RGBA32>(row + size_t(x) * 4);
}

template <DImageKind S>
void l3dResampleEnlargeH(uint8_t* tmpFirst, DImage& tmp, uint32_t dstWidth, uint8_t* srcFirst,
                         DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
    constexpr uint32_t sBytes = DimgBytesPerPixel(S);
    for (uint32_t y = 0; y < srcHeight; ++y) {
        DimgLinearWalk walk(srcWidth, dstWidth);
        uint8_t* out = tmpFirst;
        for (uint32_t x = 0; x < dstWidth; ++x, out += 4) {
            const DimgLinearSample at = walk.Next();
            const DimgRgba x0 = DimgGetPixel<S>(srcFirst + size_t(at.i0) * sBytes);
            const DimgRgba x1 = DimgGetPixel<S>(srcFirst + size_t(at.i1) * sBytes);
            DimgPutPixel<DImageKind::RGBA32>(DimgLerp(x0, x1, at.f), out);
        }
        if (y + 1 < srcHeight) {
            tmpFirst = tmp.NextRow(tmpFirst);
            srcFirst = src.NextRow(srcFirst);
        }
    }
}

// Per-channel sums of a box span, each partial sample floored first.
struct DimgChannelSums {
    uint64_t r = 0, g = 0, b = 0, a = 0;

    void AddPartial(DimgRgba c, uint32_t weight) {
        r += DimgPartial(c.r, weight), g += DimgPartial(c.g, weight);
        b += DimgPartial(c.b, weight), a += DimgPartial(c.a, weight);
    }
    void AddWhole(DimgRgba c) { r += c.r, g += c.g, b += c.b, a += c.a; }

    DimgRgba Quotient(const DimgBoxSpans& spans) const {
        return {spans.Quotient(r), spans.Quotient(g), spans.Quotient(b), spans.Quotient(a)};
    }
};

template <DImageKind S>
void l3dResampleReduceH(uint8_t* tmpFirst, DImage& tmp, uint32_t dstWidth, uint8_t* srcFirst,
                        DImage& src, uint32_t srcWidth, uint32_t srcHeight) {
    constexpr uint32_t sBytes = DimgBytesPerPixel(S);
    const DimgBoxSpans spans(srcWidth, dstWidth);
    for (uint32_t y = 0; y < srcHeight; ++y) {
        uint8_t* out = tmpFirst;
        for (uint32_t x = 0; x < dstWidth; ++x, out += 4) {
            const uint32_t first = spans.First(x);
            const DimgRgba head = DimgGetPixel<S>(srcFirst + size_t(first) * sBytes);
            if (spans.Single(x)) {
                DimgPutPixel<DImageKind::RGBA32>(head, out);
                continue;
            }
            const uint32_t last = spans.Last(x);
            DimgChannelSums sums;
            sums.AddPartial(head, spans.HeadWeight(x));
            for (uint32_t i = first + 1; i < last; ++i) {
                sums.AddWhole(DimgGetPixel<S>(srcFirst + size_t(i) * sBytes));
            }
            sums.AddPartial(DimgGetPixel<S>(srcFirst + size_t(last) * sBytes), spans.TailWeight(x));
            DimgPutPixel<DImageKind::RGBA32>(sums.Quotient(spans), out);
        }
        if (y + 1 < srcHeight) {
            tmpFirst = tmp.NextRow(tmpFirst);
            srcFirst = src.NextRow(srcFirst);
        }
    }
}

template <DImageKind D>
void l3dResampleEnlargeV(uint8_t* dstFirst, DImage& dst, uint32_t dstHeight, uint8_t* tmpTop,
                         DImage& tmp, uint32_t srcHeight, uint32_t dstWidth) {
    constexpr uint32_t dBytes = DimgBytesPerPixel(D);
    DimgLinearWalk walk(srcHeight, dstHeight);
    for (uint32_t y = 0; y < dstHeight; ++y) {
        const DimgLinearSample at = walk.Next();
        const uint8_t* row0 = DimgRowAt(tmp, tmpTop, at.i0);
        const uint8_t* row1 = DimgRowAt(tmp, tmpTop, at.i1);
        uint8_t* out = dstFirst;
        for (uint32_t x = 0; x < dstWidth; ++x, out += dBytes) {
            DimgPutPixel<D>(
                DimgLerp(DimgTemporaryPixel(row0, x), DimgTemporaryPixel(row1, x), at.f), out);
        }
        if (y + 1 < dstHeight) dstFirst = dst.NextRow(dstFirst);
    }
}

// The vertical reduction sums a band of columns at a time, walking the covered rows once per
// band, so the temporary image is read row by row and nothing is allocated per band.
template <DImageKind D>
void l3dResampleReduceV(uint8_t* dstFirst, DImage& dst, uint32_t dstHeight, uint8_t* tmpTop,
                        DImage& tmp, uint32_t srcHeight, uint32_t dstWidth) {
    constexpr uint32_t dBytes = DimgBytesPerPixel(D);
    constexpr uint32_t band = 64;
    const DimgBoxSpans spans(srcHeight, dstHeight);
    for (uint32_t y = 0; y < dstHeight; ++y) {
        const uint32_t first = spans.First(y);
        uint8_t* headRow = DimgRowAt(tmp, tmpTop, first);
        if (spans.Single(y)) {
            for (uint32_t x = 0; x < dstWidth; ++x) {
                DimgPutPixel<D>(DimgTemporaryPixel(headRow, x), dstFirst + size_t(x) * dBytes);
            }
        } else {
            const uint32_t last = spans.Last(y);
            for (uint32_t x0 = 0; x0 < dstWidth; x0 += band) {
                const uint32_t n = std::min(band, dstWidth - x0);
                DimgChannelSums sums[band];
                uint8_t* row = headRow;
                for (uint32_t i = 0; i < n; ++i) {
                    sums[i].AddPartial(DimgTemporaryPixel(row, x0 + i), spans.HeadWeight(y));
                }
                for (uint32_t r = first + 1; r < last; ++r) {
                    row = tmp.NextRow(row);
                    for (uint32_t i = 0; i < n; ++i) {
                        sums[i].AddWhole(DimgTemporaryPixel(row, x0 + i));
                    }
                }
                row = tmp.NextRow(row);
                for (uint32_t i = 0; i < n; ++i) {
                    sums[i].AddPartial(DimgTemporaryPixel(row, x0 + i), spans.TailWeight(y));
                    DimgPutPixel<D>(sums[i].Quotient(spans), dstFirst + size_t(x0 + i) * dBytes);
                }
            }
        }
        if (y + 1 < dstHeight) dstFirst = dst.NextRow(dstFirst);
    }
}

}  // namespace mirel
