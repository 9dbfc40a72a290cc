#include "colour/colour_mngr.h"

#include <algorithm>
#include <utility>

namespace qm {

namespace {

constexpr int32_t kFull = 255 << 16; // 255.0 in 16.16

uint32_t pureOf(int32_t hue) { return hsvToRGB({hue, kFull, kFull}); }

// a + d × (b − a) ÷ c per channel, truncating towards zero.
uint32_t interpolate(uint32_t a, uint32_t b, int32_t d, int32_t c)
{
    if (c <= 0)
        return a;
    uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t ca = int32_t(a >> shift & 0xFF), cb = int32_t(b >> shift & 0xFF);
        out |= uint32_t(ca + d * (cb - ca) / c) << shift;
    }
    return out;
}

int32_t distance2(uint32_t a, uint32_t b)
{
    int32_t sum = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int32_t d = int32_t(a >> shift & 0xFF) - int32_t(b >> shift & 0xFF);
        sum += d * d;
    }
    return sum;
}

} // namespace

CColorMngr::CColorMngr(TStroke& stroke, uint32_t mainColour, uint32_t secondColour)
    : stroke_(stroke)
{
    stroke_.color = mainColour & 0xFFFFFF;
    stroke_.secondColor = secondColour & 0xFFFFFF;
    hsv_ = rgbToHSV(mainColor());
}

bool CColorMngr::setColor(uint32_t colour, int32_t source, bool main)
{
    colour &= 0xFFFFFF;
    uint32_t& target = main ? stroke_.color : stroke_.secondColor;
    const bool changed = (target & 0xFFFFFF) != colour;
    if (source == kColourSourceNone && !changed)
        return false;
    target = colour;
    stroke_.changed = 1;
    if (source != kColourSourceHsvSet && source != kColourSourceHsv)
        hsv_ = rgbToHSV(mainColor());
    followHue(main, source);
    notify(main, source);
    return changed;
}

void CColorMngr::followHue(bool main, int32_t source)
{
    // The square follows a new main colour unless it chose it; a grey has no hue to follow.
    if (main && source != kColourSourceSquare && source != kColourSourceHsv && hsv_.S != 0 &&
        hsv_.H != hue_)
        setHue(hsv_.H);
}

void CColorMngr::setHue(int32_t hue)
{
    hue_ = hue;
    pure_ = pureOf(hue);
    if (onHueChanged)
        onHueChanged();
}

void CColorMngr::setHSV(const THSV& record, uint32_t colour)
{
    hsv_ = record;
    setHue(record.H);
    setColor(colour, kColourSourceHsv, true);
}

void CColorMngr::swapColors()
{
    std::swap(stroke_.color, stroke_.secondColor);
    stroke_.changed = 1;
    hsv_ = rgbToHSV(mainColor());
    followHue(true, kColourSourceWindow);
    notify(true, kColourSourceWindow);
    notify(false, kColourSourceWindow);
}

uint32_t CColorMngr::hueBarColour(int32_t row, int32_t rows)
{
    const int32_t degrees = rows > 1 ? row * 359 / (rows - 1) : 0;
    return pureOf(degrees << 16);
}

int32_t CColorMngr::hueBarRow(int32_t hue, int32_t rows)
{
    return int32_t(int64_t(hue >> 16) * (rows - 1) / 359);
}

bool CColorMngr::pickHue(int32_t y, int32_t rows)
{
    if (rows < 2)
        return false;
    y = std::clamp(y, 0, rows - 1);
    const int32_t hue = fixedDiv(y * 359, rows - 1);
    if (hue == hue_)
        return false;
    THSV record = rgbToHSV(mainColor());
    record.H = hue;
    setHSV(record, hsvToRGB(record));
    return true;
}

uint32_t CColorMngr::squareColour(uint32_t pure, int32_t x, int32_t y, int32_t width, int32_t height)
{
    const uint32_t left = interpolate(0xFFFFFF, 0x000000, y, height - 1);
    const uint32_t right = interpolate(pure & 0xFFFFFF, 0x000000, y, height - 1);
    return interpolate(left, right, x, width - 1);
}

bool CColorMngr::findMarker(int32_t width, int32_t height, TPoint& marker) const
{
    const uint32_t target = mainColor();
    int32_t best = 10000;
    TPoint found = marker;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t d = distance2(squareColour(pure_, x, y, width, height), target);
            if (d < best) {
                best = d;
                found = {x, y};
                if (d == 0) {
                    y = height; // the first exact match ends the search
                    break;
                }
            }
        }
    const bool moved = !(found == marker);
    marker = found;
    return moved;
}

bool CColorMngr::pickInSquare(int32_t x, int32_t y, int32_t width, int32_t height, TPoint& marker)
{
    if (width < 1 || height < 1)
        return false;
    const TPoint at{std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1)};
    if (at == marker)
        return false;
    marker = at;
    setColor(squareColour(pure_, at.x, at.y, width, height), kColourSourceSquare, true);
    return true;
}

void CColorMngr::clickSwatches(bool inFirst, bool inSecond)
{
    if ((inSecond && !swatchOrder_) || (inFirst && !inSecond && swatchOrder_))
        swatchOrder_ ^= 1;
    swapColors();
}

} // namespace qm
