#include "tone/tone_attr.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace qm {

namespace {

const char* const kShapeNames[kToneShapeCount] = {
    "Round", "Dot", "Dot(Cos)", "Line", "Line(X)", "Line(Y)", "Square", "Cross", "Diamond",
    "Rhomboid"};

const char* const kShapeCaptions[kToneShapeCount] = {
    "円(網点)", "円(単純)", "円(コサイン)", "線", "線(X)", "線(Y)", "スクエア", "クロス",
    "ダイヤモンド", "菱形"};

// Truncation towards zero that cannot overflow: names are built from whatever a file held.
int32_t truncated(float value)
{
    if (!(std::fabs(value) < 2.0e9f))
        return std::isnan(value) ? 0 : (value < 0 ? -2000000000 : 2000000000);
    return int32_t(value);
}

} // namespace

int32_t ClampToneShape(int32_t shape)
{
    return std::clamp(shape, 0, kToneShapeCount - 1);
}

double SpotFunction(int32_t shape, double u, double v)
{
    const double a = std::fabs(u);
    const double b = std::fabs(v);
    switch (ClampToneShape(shape)) {
    case 0: // Round
        if (a + b > 1.0)
            return (b - 1.0) * (b - 1.0) + (a - 1.0) * (a - 1.0) - 1.0;
        return 1.0 - b * b - a * a;
    case 1: // Dot
        return 1.0 - v * v - u * u;
    case 2: // Dot(Cos)
        return (std::cos(std::numbers::pi * v) + std::cos(std::numbers::pi * u)) / 2.0;
    case 3: // Line
        return -a;
    case 4: // Line(X)
        return v;
    case 5: // Line(Y)
        return u;
    case 6: // Square
        return -std::max(a, b);
    case 7: // Cross
        return -std::min(a, b);
    case 8: { // Diamond
        const double s = a + b;
        if (s <= 0.75)
            return 1.0 - b * b - a * a;
        if (s <= 1.23)
            return 1.0 - (a + 0.85 * b);
        return (b - 1.0) * (b - 1.0) + (a - 1.0) * (a - 1.0) - 1.0;
    }
    default: // Rhomboid
        return (0.9 * b + a) / 2.0;
    }
}

const char* ToneShapeName(int32_t shape)
{
    return shape >= 0 && shape < kToneShapeCount ? kShapeNames[shape] : "???";
}

const char* ToneShapeCaption(int32_t shape)
{
    return shape >= 0 && shape < kToneShapeCount ? kShapeCaptions[shape] : "???";
}

std::string ToneName(const SToneAttr& attr)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s %dL %d%% %dD %d, %ddpi", ToneShapeName(attr.shape),
                  truncated(attr.lines), truncated(attr.percent), truncated(attr.angle),
                  int(attr.blur), truncated(attr.dpi));
    return text;
}

} // namespace qm
