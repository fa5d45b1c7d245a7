#pragma once
#include <cstdint>

namespace mirel {

// Fixed-point tables of the full-range YCbCr conversion. The first nine give a channel's
// contribution to Y, Cr or Cb scaled by 128; RFromCr and BFromCb are unscaled, GFromCr and
// GFromCb scaled by 128. Zero until DimgInitYCbCrTables runs at start-up.
struct DimgYCbCrTableSet {
    int32_t YFromR[256], YFromG[256], YFromB[256];
    int32_t CrFromR[256], CrFromG[256], CrFromB[256];
    int32_t CbFromR[256], CbFromG[256], CbFromB[256];
    int32_t RFromCr[256], GFromCr[256], GFromCb[256], BFromCb[256];
};

extern DimgYCbCrTableSet DimgYCbCrTables;

// Fills the tables once, before any conversion runs; always true.
bool DimgInitYCbCrTables();

inline uint8_t DimgClampByte(int32_t v) {
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The sums are shifted arithmetically, so negative sums round toward minus infinity.
inline uint8_t DimgRgbToY(uint8_t r, uint8_t g, uint8_t b) {
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    return DimgClampByte((t.YFromR[r] + t.YFromG[g] + t.YFromB[b]) >> 7);
}

inline uint8_t DimgRgbToCr(uint8_t r, uint8_t g, uint8_t b) {
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    return DimgClampByte(((t.CrFromR[r] + t.CrFromG[g] + t.CrFromB[b]) >> 7) + 128);
}

inline uint8_t DimgRgbToCb(uint8_t r, uint8_t g, uint8_t b) {
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    return DimgClampByte(((t.CbFromR[r] + t.CbFromG[g] + t.CbFromB[b]) >> 7) + 128);
}

// A YCbCr24 pixel is the bytes Y, Cr, Cb.
inline uint8_t DimgYCbCrToR(const uint8_t* pixel) {
    return DimgClampByte(pixel[0] + DimgYCbCrTables.RFromCr[pixel[1]]);
}

inline uint8_t DimgYCbCrToG(uint8_t cr, uint8_t cb, uint8_t y) {
    const DimgYCbCrTableSet& t = DimgYCbCrTables;
    return DimgClampByte(y + ((t.GFromCr[cr] + t.GFromCb[cb]) >> 7));
}

inline uint8_t DimgYCbCrToB(const uint8_t* pixel) {
    return DimgClampByte(pixel[0] + DimgYCbCrTables.BFromCb[pixel[2]]);
}

}  // namespace mirel
