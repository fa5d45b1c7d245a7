#include "pixelconv/ycbcr_tables.h"

#include <cmath>

namespace mirel {

DimgYCbCrTableSet DimgYCbCrTables;

namespace {

// The product is formed and rounded in single precision, then rounded to the nearest integer
// with ties to even (the default rounding mode).
int32_t RoundedProduct(int i, float factor) {
    const float product = static_cast<float>(i) * factor;
    return static_cast<int32_t>(std::nearbyint(product));
}

}  // namespace

bool DimgInitYCbCrTables() {
    DimgYCbCrTableSet& t = DimgYCbCrTables;
    for (int i = 0; i < 256; ++i) {
        t.YFromR[i] = RoundedProduct(i, 38.272f);
        t.YFromG[i] = RoundedProduct(i, 75.136f);
        t.YFromB[i] = RoundedProduct(i, 14.592f);
        t.CrFromR[i] = RoundedProduct(i, 64.0f);
        t.CrFromG[i] = RoundedProduct(i, -53.59232f);
        t.CrFromB[i] = RoundedProduct(i, -10.40768f);
        t.CbFromR[i] = RoundedProduct(i, -21.59872f);
        t.CbFromG[i] = RoundedProduct(i, -42.40128f);
        t.CbFromB[i] = RoundedProduct(i, 64.0f);
        t.RFromCr[i] = RoundedProduct(i - 128, 1.402f);
        t.GFromCr[i] = RoundedProduct(i - 128, -91.40992f);
        t.GFromCb[i] = RoundedProduct(i - 128, -44.04992f);
        t.BFromCb[i] = RoundedProduct(i - 128, 1.772f);
    }
    return true;
}

}  // namespace mirel
