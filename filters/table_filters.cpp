#include "filters/table_filters.h"

#include "core/colour_model.h"
#include "core/pixel_math.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace qm {

namespace {

uint8_t clampByte(double v)
{
    // NaN lands on 0 as well.
    if (!(v > 0.0))
        return 0;
    return v >= 255.0 ? uint8_t(255) : uint8_t(v);
}

// Visits every pixel with alpha > 0 and m > 0; pixelFn(source pixel) gives the new colour,
// whose alpha byte is ignored.
template <typename PixelFn>
bool applyColourMap(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                    const TRect* clip, PixelFn&& pixelFn)
{
    TFilterFrame frame(source, layer, mask, clip);
    if (!frame.valid())
        return false;
    const int32_t x0 = frame.workRect().left, n = frame.workRect().width();
    std::vector<uint32_t> src(size_t(std::max(n, 0)));
    return frame.forEachRow([&](int32_t y, const uint8_t* m, uint32_t* dest) {
        frame.sourceRow(x0, y, n, src.data());
        for (int32_t i = 0; i < n; ++i) {
            const uint32_t s = src[size_t(i)];
            if ((s >> 24) == 0 || m[i] == 0)
                continue;
            dest[i] = writeColourKeepAlpha(pixelFn(s), dest[i], m[i]);
        }
    });
}

} // namespace

TFilterTable levelsTable(const TLevelsParams& p)
{
    const auto in = [](int32_t v) { return double(std::clamp(v, 0, 255)); };
    const double a = in(p.inputMin), e = in(p.inputMid), d = in(p.inputMax);
    const double c = in(p.outputMin), b = in(p.outputMax);
    // A zero span only occurs with a zero numerator; that fraction counts as 0.
    const auto fraction = [](double num, double den) { return den > 0.0 ? num / den : 0.0; };
    TFilterTable t{};
    for (int32_t i = 0; i < 256; ++i) {
        const double g = std::max(double(i), a);
        const double k = std::min(g, d);
        const double v =
            e > k ? fraction(k - a, e - a) * 0.5 : fraction(k - e, d - e) * 0.5 + 0.5;
        t[size_t(i)] = clampByte(std::floor((b - c) * v) + c);
    }
    return t;
}

TFilterTable gammaTable(float gamma)
{
    const double g = gamma < 0.0f ? 0.01 : double(gamma);
    TFilterTable t{};
    for (int32_t i = 0; i < 256; ++i)
        t[size_t(i)] = clampByte(std::floor(255.0 * std::pow(i / 255.0, g)));
    return t;
}

TFilterTable brightnessContrastTable(float brightness, int32_t contrast)
{
    // Beyond ±100 the exponents would pass through zero.
    const double v = std::clamp(double(brightness), -100.0, 100.0);
    const int32_t k = std::clamp(contrast, -100, 100);
    const double C = v > 0 ? 1.0 - 0.007 * v : 1.0 / (1.0 - 0.007 * std::abs(v));
    const auto bend = [](int32_t kk) {
        return kk >= 0 ? 1.0 / (1.0 - 0.007 * kk) : 1.0 - 0.007 * std::abs(kk);
    };
    const double P = bend(k), N = bend(-k);
    std::array<double, 256> o{};
    for (int32_t i = 0; i < 256; ++i)
        o[size_t(i)] = std::pow(i / 255.0, C) - i / 255.0;
    for (int32_t j = 0; j < 128; ++j) {
        o[size_t(j)] += std::pow(j / 127.0, P) - j / 127.0;
        o[size_t(128 + j)] += std::pow(j / 127.0, N) - j / 127.0;
    }
    TFilterTable t{};
    for (int32_t i = 0; i < 256; ++i)
        t[size_t(i)] = clampByte(std::floor(255.0 * std::clamp(i / 255.0 + o[size_t(i)], 0.0, 1.0)));
    return t;
}

bool posterizeTable(int32_t levels, TFilterTable& table)
{
    if (levels < 2 || levels > 254)
        return false;
    double s = 0.0, edge = 0.0;
    const double width = 255.0 / levels, step = 255.0 / (levels - 1);
    for (int32_t i = 0; i < 256; ++i) {
        table[size_t(i)] = uint8_t(std::min(std::floor(s), 255.0));
        if (i >= edge + width) {
            s += step;
            edge += width;
        }
    }
    return true;
}

TFilterTable hlsSaturationTable(int32_t saturation)
{
    const int32_t B = int32_t(std::floor(2.55 * std::clamp(saturation, -100, 100)));
    TFilterTable t{};
    for (int32_t i = 0; i < 256; ++i) {
        if (B < 0) {
            t[size_t(i)] = uint8_t((B + 256) * i / 255);
        } else {
            const int32_t top = 256 - B;
            t[size_t(i)] = i <= top ? uint8_t(255 * i / top) : uint8_t(255);
        }
    }
    return t;
}

TFilterTable hlsLightnessTable(int32_t lightness)
{
    const int32_t l = std::clamp(lightness, -100, 100);
    const double L1 = 1.0 / (1.0 - 0.007 * std::abs(l));
    const double L2 = 1.0 - 0.007 * std::abs(l);
    TFilterTable t{};
    const int32_t knee = 128 - l; // maps to 128
    for (int32_t i = 0; i <= knee; ++i)
        t[size_t(i)] = clampByte(128.0 * std::pow(double(i) / knee, L1));
    for (int32_t s = 1; s <= l + 127; ++s)
        t[size_t(knee + s)] = clampByte(127.0 * std::pow(double(s) / (l + 127), L2) + 128.0);
    return t;
}

bool applyColourTables(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                       const TRect* clip, const TFilterTable& blue, const TFilterTable& green,
                       const TFilterTable& red)
{
    return applyColourMap(source, layer, mask, clip, [&](uint32_t s) {
        return uint32_t(red[(s >> 16) & 0xFF]) << 16 | uint32_t(green[(s >> 8) & 0xFF]) << 8 |
               blue[s & 0xFF];
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TLevelsParams& p)
{
    const TFilterTable t = levelsTable(p);
    return applyColourTables(source, layer, mask, clip, t, t, t);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TGammaParams& p)
{
    return applyColourTables(source, layer, mask, clip, gammaTable(p.blue), gammaTable(p.green),
                             gammaTable(p.red));
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TBrightnessContrastParams& p)
{
    const TFilterTable t = brightnessContrastTable(p.brightness, p.contrast);
    return applyColourTables(source, layer, mask, clip, t, t, t);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TPosterizeParams& p)
{
    TFilterTable t{};
    if (!posterizeTable(p.levels, t))
        return false;
    return applyColourTables(source, layer, mask, clip, t, t, t);
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const THueSaturationParams& p)
{
    const TFilterTable ts = hlsSaturationTable(p.saturation);
    const TFilterTable tl = hlsLightnessTable(p.lightness);
    // Whole turns change nothing, and the remainder keeps the 16.16 sum in range.
    const int32_t shift = (p.hue % 360) * 65536;
    constexpr int32_t kFull = 360 * 65536;
    // Neighbouring pixels are often equal; the conversion is the costly part.
    uint32_t lastIn = 0, lastOut = 0;
    bool haveLast = false;
    return applyColourMap(source, layer, mask, clip, [&](uint32_t s) {
        s &= 0x00FFFFFFu;
        if (haveLast && s == lastIn)
            return lastOut;
        THLS hls = pixelToHLS(s);
        hls.H += shift;
        while (hls.H >= kFull)
            hls.H -= kFull;
        while (hls.H < 0)
            hls.H += kFull;
        hls.S = int32_t(ts[size_t(std::clamp(hls.S >> 16, 0, 255))]) << 16;
        hls.L = int32_t(tl[size_t(std::clamp(hls.L >> 16, 0, 255))]) << 16;
        lastIn = s;
        lastOut = hlsToPixel(hls);
        haveLast = true;
        return lastOut;
    });
}

bool applyFilter(const CBlockVMTC& source, CLayerData& layer, const CMaskData* mask,
                 const TRect* clip, const TMonochromeParams&)
{
    return applyColourMap(source, layer, mask, clip, [](uint32_t s) {
        const uint32_t l = Luma(s);
        return l << 16 | l << 8 | l;
    });
}

} // namespace qm
