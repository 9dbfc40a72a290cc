#include "core/colour_model.h"

#include "core/pixel_math.h"

#include <algorithm>

namespace qm {

namespace {

constexpr int32_t kOne = 0x10000;   // 1.0
constexpr int32_t k60 = 0x3C0000;   // 60.0
constexpr int32_t k120 = 0x780000;  // 120.0
constexpr int32_t k180 = 0xB40000;  // 180.0
constexpr int32_t k240 = 0xF00000;  // 240.0
constexpr int32_t k255 = 0xFF0000;  // 255.0
constexpr int32_t k360 = 0x1680000; // 360.0

constexpr int32_t clampLevel(int32_t v)
{
    return std::clamp(v, 0, k255);
}

constexpr uint32_t packRGB(int32_t r, int32_t g, int32_t b)
{
    return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Byte 0 .. 255 as a fraction of 1.0: (x × 32897) >> 7, so 255 becomes exactly 1.0.
constexpr int32_t byteFraction(int32_t x)
{
    return (x * 32897) >> 7;
}

// 16.16 level 0 .. 255.0 as a fraction of 1.0, from the 64-bit product.
constexpr int32_t levelFraction(int32_t v)
{
    return int32_t((int64_t(v) * 32897) >> 23);
}

// (a × b) ÷ 255.0 for levels a, b in 0 .. 255.0, as a 16.16 product then a 16.16 division.
// The product reaches 65025.0, past the int32_t range but within 32 unsigned bits, so it is
// carried unsigned; the division is fixedDiv's, on that unsigned value.
int32_t productOver255(int32_t a, int32_t b)
{
    const uint64_t product = (uint64_t(a) * uint64_t(b)) >> 16;
    const uint64_t quotient = product / k255;
    const uint64_t remainder = product % k255;
    return int32_t((quotient << 16) | (((remainder << 32) / k255) >> 16));
}

// One HLS component at hue n (degrees, any angle), from the two HLS levels m1 <= m2.
uint32_t hlsComponent(int64_t n, int32_t m1, int32_t m2)
{
    // Wrapped into 0 .. 360.0 inclusive: both ends give m1, so either is fine.
    while (n > k360)
        n -= k360;
    while (n < 0)
        n += k360;
    const int32_t hue = int32_t(n);
    int32_t v;
    if (hue < k60)
        v = m1 + FixedMul(m2 - m1, hue) / 60;
    else if (hue < k180)
        v = m2;
    else if (hue < k240)
        v = m1 + FixedMul(m2 - m1, k240 - hue) / 60;
    else
        v = m1;
    return uint32_t((v * 255) >> 16);
}

} // namespace

THSV rgbToHSV(uint32_t rgb)
{
    const int32_t R = int32_t((rgb >> 16) & 0xFF);
    const int32_t G = int32_t((rgb >> 8) & 0xFF);
    const int32_t B = int32_t(rgb & 0xFF);

    // Ties go to R, then G: it decides which hue formula runs.
    enum { kRed, kGreen, kBlue } maxIs;
    int32_t max;
    if (R >= G && R >= B) {
        maxIs = kRed;
        max = R;
    } else if (G >= B) {
        maxIs = kGreen;
        max = G;
    } else {
        maxIs = kBlue;
        max = B;
    }
    const int32_t min = std::min({R, G, B});

    THSV hsv{0, 0, max << 16};
    if (max == 0) return hsv;

    const int32_t V = hsv.V;
    const int32_t d = (max - min) << 16;
    // d ÷ V as a 0.32 quotient, taken back to 16.16; d <= V, so it never exceeds 1.0.
    hsv.S = int32_t(((uint64_t(d) << 32) / uint64_t(V)) >> 16) * 255;
    if (hsv.S == 0) return hsv;

    const int32_t r = fixedDiv(V - (R << 16), d);
    const int32_t g = fixedDiv(V - (G << 16), d);
    const int32_t b = fixedDiv(V - (B << 16), d);
    int32_t h;
    if (maxIs == kRed)
        h = b - g;
    else if (maxIs == kGreen)
        h = 2 * kOne + r - b;
    else
        h = 4 * kOne + g - r;
    hsv.H = h * 60;
    if (hsv.H < 0) hsv.H += k360;
    return hsv;
}

uint32_t hsvToRGB(const THSV& hsv)
{
    const int32_t S = clampLevel(hsv.S);
    const int32_t V = clampLevel(hsv.V);
    if (S == 0) {
        const int32_t level = V >> 16;
        return packRGB(level, level, level);
    }

    int32_t H = hsv.H % k360;
    if (H < 0) H += k360;
    const int32_t sector = H / k60;
    const int64_t rest = H % k60;
    const int32_t f = int32_t(((rest << 32) / k60) >> 16);

    const int32_t fS = FixedMul(f, S);
    const int32_t p = productOver255(k255 - S, V);
    const int32_t q = productOver255(k255 - fS, V);
    const int32_t t = productOver255(k255 - S + fS, V);

    // (R, G, B) of each sector, as indices into {V, p, q, t}.
    static constexpr int kSectorChannels[6][3] = {{0, 3, 1}, {2, 0, 1}, {1, 0, 3},
                                                  {1, 2, 0}, {3, 1, 0}, {0, 1, 2}};
    const int32_t values[4] = {V, p, q, t};
    const int* channels = kSectorChannels[sector];
    return packRGB(values[channels[0]] >> 16, values[channels[1]] >> 16, values[channels[2]] >> 16);
}

THLS pixelToHLS(uint32_t pixel)
{
    const int32_t c0 = int32_t(pixel & 0xFF);
    const int32_t c1 = int32_t((pixel >> 8) & 0xFF);
    const int32_t c2 = int32_t((pixel >> 16) & 0xFF);

    // The order of these comparisons decides which byte counts as the maximum on ties.
    int maxIs;
    int32_t max, min;
    if (c0 < c1) {
        if (c2 >= c1) {
            maxIs = 2;
            max = c2;
            min = c0;
        } else {
            maxIs = 1;
            max = c1;
            min = std::min(c2, c0);
        }
    } else if (c2 < c0) {
        maxIs = 0;
        max = c0;
        min = std::min(c2, c1);
    } else {
        maxIs = 2;
        max = c2;
        min = c1;
    }

    if (max == min) return THLS{0, min << 16, 0};

    const int32_t maxF = byteFraction(max);
    const int32_t minF = byteFraction(min);
    const int32_t sum = maxF + minF;
    const int32_t den = sum / 2 <= 0x8000 ? sum : 2 * kOne - sum;
    const int32_t diff = maxF - minF;

    THLS hls;
    hls.S = fixedDiv(diff, den) * 255;
    hls.L = (sum >> 1) * 255;

    const int32_t f0 = byteFraction(c0);
    const int32_t f1 = byteFraction(c1);
    const int32_t f2 = byteFraction(c2);
    int32_t h;
    if (maxIs == 0)
        h = fixedDiv(f1 - f2, diff);
    else if (maxIs == 1)
        h = 2 * kOne + fixedDiv(f2 - f0, diff);
    else
        h = 4 * kOne + fixedDiv(f0 - f1, diff);
    hls.H = h * 60;
    if (hls.H < 0) hls.H += k360;
    return hls;
}

uint32_t hlsToPixel(const THLS& hls)
{
    const int32_t L = clampLevel(hls.L);
    const int32_t S = clampLevel(hls.S);
    if (S == 0) {
        const uint32_t level = uint32_t(L >> 16);
        return (level << 16) | (level << 8) | level;
    }

    const int32_t lF = levelFraction(L);
    const int32_t sF = levelFraction(S);
    const int32_t m2 = lF > 0x8000 ? sF + lF - FixedMul(lF, sF) : FixedMul(lF, sF + kOne);
    const int32_t m1 = 2 * lF - m2;

    const int64_t H = hls.H;
    const uint32_t byte0 = hlsComponent(H + k120, m1, m2);
    const uint32_t byte1 = hlsComponent(H, m1, m2);
    const uint32_t byte2 = hlsComponent(H - k120, m1, m2);
    return (byte2 << 16) | (byte1 << 8) | byte0;
}

uint32_t cmykToRGB(int32_t C, int32_t M, int32_t Y, int32_t K)
{
    const int32_t k = fixedDiv(k255 - clampLevel(K), k255);
    // Adding 0.5 before the shift rounds to the nearest level.
    const auto component = [k](int32_t ink) {
        return std::min(k255, FixedMul(k255 - clampLevel(ink), k) + 0x8000) >> 16;
    };
    return packRGB(component(C), component(M), component(Y));
}

} // namespace qm
