#include "foundation/DMathTrig.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace mirel {

namespace {

// pi/2 in three parts: the first two have 25 significant bits, so their products with a
// quadrant count below 2^28 are exact doubles, and the third holds the next 53 bits.
constexpr double kHalfPi1 = 0x1.921fb5p+0;
constexpr double kHalfPi2 = 0x1.110b46p-26;
constexpr double kHalfPi3 = 0x1.1a62633145c07p-54;
constexpr double kHalfPi = 0x1.921fb54442d18p+0;
constexpr double kPi = 0x1.921fb54442d18p+1;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;

// The first 256 fraction bits of 2/pi, most significant first: enough to reduce any float.
constexpr uint32_t kTwoOverPiBits[8] = {0xA2F9836E, 0x4E441529, 0xFC2757D1, 0xF534DDC0,
                                        0xDB629599, 0x3C439041, 0xFE5163AB, 0xDEBBC561};

constexpr uint32_t kExponentMask = 0x7F800000u;
// Bits of the float below pi/4: smaller arguments need no reduction.
constexpr uint32_t kQuarterTurnBits = 0x3F490FDAu;
// Bits of 2^28: below it the reduction by the split pi/2 is exact enough.
constexpr uint32_t kMediumLimitBits = 0x4D800000u;

uint32_t FloatBits(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// Polynomial coefficients, lowest power first.
template <int N>
struct SeriesTable {
    double c[N];
};

// sin(r) = r + r z S(z) with z = r^2 <= (pi/4 + 1/1000)^2: S fitted to (sin(r) / r - 1) / z by
// Chebyshev interpolation of degree 3 (the Taylor series would need a term more); within
// 2e-11 relative.
constexpr SeriesTable<4> kSine = {
    {-0x1.555555545b845p-3, 0x1.11110de90cf7ap-7, -0x1.a0139f4f37f26p-13, 0x1.6dbb5b0003bbfp-19}};

// (-1)^n / (2n)! for n = 1 .. N: the cosine series after its first term.
template <int N>
constexpr SeriesTable<N> CosineSeries() {
    SeriesTable<N> table{};
    double term = 1.0;
    for (int n = 1; n <= N; ++n) {
        term = -term / ((2.0 * n - 1.0) * (2.0 * n));
        table.c[n - 1] = term;
    }
    return table;
}

// cos(r) = 1 + z C(z): the series up to r^12, within 1e-12 relative for |r| <= pi/4.
constexpr auto kCosine = CosineSeries<6>();

// asin(y) = y + y z P(z) with z = y^2 <= 1/4: P fitted to (asin(y) / y - 1) / z by Chebyshev
// interpolation of degree 7 on [0, 1/4] (the series would need 12 terms); within 4e-12
// relative.
constexpr SeriesTable<8> kArcSine = {
    {0x1.55555554ee47bp-3, 0x1.333334ceb6520p-4, 0x1.6db5cfb6af282p-5, 0x1.f208eb1ddd0fbp-6,
     0x1.6a9e3262c37dbp-6, 0x1.3c5053c2afce1p-6, 0x1.64b97e009bd03p-8, 0x1.e0231588b1e55p-6}};

// The polynomial c[0] + c[1] z + ... as two halves in z^2 (even and odd powers), which a
// processor evaluates side by side.
template <int N>
double Polynomial(const SeriesTable<N>& table, double z) {
    const double z2 = z * z;
    double even = table.c[(N - 1) & ~1], odd = table.c[(N - 2) | 1];
    for (int i = ((N - 1) & ~1) - 2; i >= 0; i -= 2) even = table.c[i] + z2 * even;
    for (int i = ((N - 2) | 1) - 2; i >= 1; i -= 2) odd = table.c[i] + z2 * odd;
    return even + z * odd;
}

double SinOfReduced(double r) {
    const double z = r * r;
    return r + r * z * Polynomial(kSine, z);
}

double CosOfReduced(double r) {
    const double z = r * r;
    return 1.0 + z * Polynomial(kCosine, z);
}

double ArcSine(double y) {
    const double z = y * y;
    return y + y * z * Polynomial(kArcSine, z);
}

double PowerOfTwo(int exponent) {
    const uint64_t bits = static_cast<uint64_t>(1023 + exponent) << 52;
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

int LeadingZeros(unsigned __int128 value) {
    const auto high = static_cast<uint64_t>(value >> 64);
    if (high != 0) return __builtin_clzll(high);
    return 64 + __builtin_clzll(static_cast<uint64_t>(value));
}

// |x| = m 2^e with an integer m of 24 bits and e >= 5. Bits of 2/pi weighted 2^(e-2) and
// more only add multiples of four quarter turns, so the 128 bits after them, times m modulo
// 2^128, give the quarter turns (top two bits) and their fraction to within 2^-102.
double ReduceLarge(uint32_t bits, uint32_t& quadrant) {
    const auto mantissa = static_cast<unsigned __int128>((bits & 0x7FFFFFu) | 0x800000u);
    const int exponent = static_cast<int>(bits >> 23) - 150;
    const int first = exponent - 2;  // the bit of 2/pi weighted 2^(1-e)
    const int word = first >> 5, shift = first & 31;
    unsigned __int128 window = 0;
    for (int k = 0; k < 4; ++k) {
        uint32_t part = kTwoOverPiBits[word + k] << shift;
        if (shift != 0) part |= kTwoOverPiBits[word + k + 1] >> (32 - shift);
        window = (window << 32) | part;
    }
    // Rounded to the nearest quarter turn, the fraction is in [-1/2, 1/2).
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << 125;
    const unsigned __int128 turns = window * mantissa + half;
    quadrant = static_cast<uint32_t>(turns >> 126) & 3u;
    const unsigned __int128 offset = turns & ((half << 1) - 1);
    const bool negative = offset < half;
    const unsigned __int128 magnitude = negative ? half - offset : offset - half;
    if (magnitude == 0) return 0.0;
    const int zeros = LeadingZeros(magnitude);
    const auto top = static_cast<uint64_t>((magnitude << zeros) >> 64);
    const double fraction = static_cast<double>(top) * PowerOfTwo(-62 - zeros);
    return (negative ? -fraction : fraction) * kHalfPi;
}

// The remainder r of |x| (finite) after whole quarter turns, |r| a little over pi/4 at most;
// quadrant = the count of quarter turns modulo 4.
double Reduce(float ax, uint32_t bits, uint32_t& quadrant) {
    if (bits >= kMediumLimitBits) return ReduceLarge(bits, quadrant);
    const double x = ax;
    // Adding 1.5 2^52 leaves the nearest integer in the low bits of the sum.
    const double shifted = x * kTwoOverPi + 0x1.8p52;
    uint64_t shiftedBits;
    std::memcpy(&shiftedBits, &shifted, sizeof shiftedBits);
    quadrant = static_cast<uint32_t>(shiftedBits) & 3u;
    const double n = shifted - 0x1.8p52;
    // Both first steps are exact; only the last rounds.
    return ((x - n * kHalfPi1) - n * kHalfPi2) - n * kHalfPi3;
}

// sin(r + q pi/2) for the quadrant q.
double OfQuadrant(double r, uint32_t quadrant) {
    static constexpr double kSigns[4] = {1.0, 1.0, -1.0, -1.0};
    const double value = (quadrant & 1u) ? CosOfReduced(r) : SinOfReduced(r);
    return value * kSigns[quadrant & 3u];
}

}  // namespace

float DMathSin(float x) {
    const uint32_t signAndBits = FloatBits(x), bits = signAndBits & 0x7FFFFFFFu;
    if ((bits & kExponentMask) == kExponentMask) return x - x;
    if (bits == 0) return x;  // keeps the sign of zero
    if (bits < kQuarterTurnBits) return static_cast<float>(SinOfReduced(x));
    uint32_t quadrant;
    const double r = Reduce(std::fabs(x), bits, quadrant);
    // sin(-x) = -sin(x) = sin(x + pi): two quarter turns more.
    return static_cast<float>(OfQuadrant(r, quadrant + ((signAndBits >> 30) & 2u)));
}

float DMathCos(float x) {
    const uint32_t bits = FloatBits(x) & 0x7FFFFFFFu;
    if ((bits & kExponentMask) == kExponentMask) return x - x;
    if (bits < kQuarterTurnBits) return static_cast<float>(CosOfReduced(x));
    uint32_t quadrant;
    const double r = Reduce(std::fabs(x), bits, quadrant);
    return static_cast<float>(OfQuadrant(r, quadrant + 1u));
}

float DMathAcos(float x) {
    if (x != x) return x + x;
    const float ax = std::fabs(x);
    if (ax > 1.0f) return std::numeric_limits<float>::quiet_NaN();
    if (ax <= 0.5f) return static_cast<float>(kHalfPi - ArcSine(x));
    // acos(|x|) = 2 asin(sqrt((1 - |x|) / 2)), and acos(-|x|) = pi - acos(|x|).
    const double angle = 2.0 * ArcSine(std::sqrt((1.0 - static_cast<double>(ax)) * 0.5));
    return static_cast<float>(x < 0.0f ? kPi - angle : angle);
}

}  // namespace mirel
