#include "paint/stroke.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace qm {

namespace {

// Per kind: fixed spacing and fixed min-size ratio (negative: take the setting), the radius
// below which every step gets a dab and the radius below which the walk takes half steps.
struct TKindGeometry {
    float fixedSpacing;
    float fixedMinRatio;
    float dabEveryStepRadius;
    float halfStepRadius;
};

constexpr TKindGeometry kKindGeometry[kBrushKindCount] = {
    {0.1667f, -1.0f, 8.0f, 2.0f}, // pen
    {0.0833f, 0.333f, 0.0f, 0.0f}, // wc
    {0.25f, 1.0f, 0.0f, 0.0f}, // blur
    {0.25f, 1.0f, 4.0f, 3.0f}, // eraser
    {0.25f, 1.0f, 0.0f, 0.0f}, // blur2
    {-1.0f, -1.0f, 0.0f, 0.0f}, // airbrush
    {-1.0f, -1.0f, 0.0f, 0.0f}, // rubpen
    {-1.0f, -1.0f, 0.0f, 0.0f}, // darken
    {-1.0f, -1.0f, 0.0f, 0.0f}, // lighten
};

const TKindGeometry& geometryOf(uint8_t kind)
{
    return kKindGeometry[kind < kBrushKindCount ? kind : 0];
}

float clampFloat(float v, float lo, float hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}

// Input pressure outside 0 … 1 (or not a number) would make the gamma power undefined.
float saneUnitPressure(float p)
{
    return std::isfinite(p) ? clampFloat(p, 0.0f, 1.0f) : 0.0f;
}

// Float to int for rectangle edges; out-of-range values would be undefined behaviour.
int32_t edgeToInt(float v)
{
    constexpr float kLimit = 1073741824.0f; // 2^30
    if (!(v > -kLimit))
        return -(1 << 30);
    if (v > kLimit)
        return 1 << 30;
    return static_cast<int32_t>(v);
}

int32_t downToEven(int32_t v)
{
    return v & ~1;
}

TRect integerRect(float left, float top, float right, float bottom)
{
    TRect r;
    r.left = downToEven(edgeToInt(std::floor(left)));
    r.top = downToEven(edgeToInt(std::floor(top)));
    r.right = downToEven(edgeToInt(std::ceil(right)) + 1);
    r.bottom = downToEven(edgeToInt(std::ceil(bottom)) + 1);
    return r;
}

} // namespace

const char* brushKindName(int32_t kind)
{
    static constexpr const char* kNames[kBrushKindCount] = {
        "pen", "wc", "blur", "eraser", "blur2", "airbrush", "rubpen", "darken", "lighten"};
    return kind >= 0 && kind < kBrushKindCount ? kNames[kind] : nullptr;
}

uint32_t TStrokeSource::pixelClamped(int32_t x, int32_t y) const
{
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return pixels[static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x)];
}

TStroke::TStroke() = default;

// ---- setters ----

bool TStroke::setOpacity(float value)
{
    if (!std::isfinite(value))
        return false;
    const float v = clampFloat(value, 0.01f, 1.0f);
    const bool differs = opacity != v;
    opacity = v;
    return differs;
}

bool TStroke::setMinSize(float value)
{
    return std::isfinite(value) && setFlagged(minSize, value);
}

bool TStroke::addMinSize(float delta)
{
    return std::isfinite(delta) && setFlagged(minSize, clampFloat(minSize + delta, 0.0f, 100.0f));
}

bool TStroke::setWidth(float value)
{
    return std::isfinite(value) && setFlagged(width, clampFloat(value, 0.1f, 200.0f));
}

bool TStroke::addWidth(float delta)
{
    return std::isfinite(delta) && setFlagged(width, clampFloat(width + delta, 0.1f, 200.0f));
}

bool TStroke::setGamma(float value)
{
    if (!std::isfinite(value) || value == gamma)
        return false;
    return setFlagged(gamma, clampFloat(value, 0.01f, 6.0f));
}

bool TStroke::setEffect(float value)
{
    return std::isfinite(value) && setFlagged(effect, value);
}

bool TStroke::addEffect(float delta)
{
    return std::isfinite(delta) && setFlagged(effect, clampFloat(effect + delta, 0.0f, 100.0f));
}

bool TStroke::setEnv(float value)
{
    return std::isfinite(value) && setFlagged(env, value);
}

bool TStroke::addEnv(float delta)
{
    return std::isfinite(delta) && setFlagged(env, clampFloat(env + delta, 0.0f, 100.0f));
}

bool TStroke::setSpeed(float value)
{
    return std::isfinite(value) && setFlagged(speed, value);
}

bool TStroke::addSpeed(float delta)
{
    return std::isfinite(delta) && setFlagged(speed, clampFloat(speed + delta, 0.0f, 100.0f));
}

bool TStroke::setSpacing(float value)
{
    if (!std::isfinite(value))
        return false;
    const float v = clampFloat(value, 0.02f, 2.0f);
    const bool differs = spacing != v;
    spacing = v;
    return differs;
}

bool TStroke::setKind(int32_t value)
{
    return value >= 0 && value < kBrushKindCount && setFlagged(kind, uint8_t(value));
}

bool TStroke::setColor(uint32_t rgb)
{
    return setFlagged(color, rgb & 0xFFFFFFu);
}

bool TStroke::setSecondColor(uint32_t rgb)
{
    return setFlagged(secondColor, rgb & 0xFFFFFFu);
}

bool TStroke::setIfSize(bool value) { return setFlag(ifSize, value); }
bool TStroke::setIfTransparency(bool value) { return setFlag(ifTransparency, value); }
bool TStroke::setIfEdge(bool value) { return setFlag(ifEdge, value); }

bool TStroke::setUseTone(bool value)
{
    const bool differs = setFlag(useTone, value);
    reselect();
    return differs;
}

bool TStroke::setUseGradation(bool value)
{
    const bool differs = setFlag(useGradation, value);
    reselect();
    return differs;
}

bool TStroke::setKeepAlpha(bool value)
{
    const uint8_t v = value ? 1 : 0;
    const bool differs = keepAlpha != v;
    keepAlpha = v;
    reselect();
    return differs;
}

bool TStroke::setAirMap(int32_t value)
{
    if (airMap == value)
        return false;
    airMap = value;
    changed = 1;
    return true;
}

// ---- queries ----

float TStroke::effectiveOpacity() const
{
    return legacyEngine ? 1.0f : opacity;
}

uint8_t TStroke::opacityByte() const
{
    if (legacyEngine)
        return 255;
    return static_cast<uint8_t>(std::clamp(std::lround(effectiveOpacity() * 255.0f), 0L, 255L));
}

float TStroke::effectiveSpacingFor(int32_t forKind) const
{
    const float fixed =
        forKind >= 0 && forKind < kBrushKindCount ? geometryOf(static_cast<uint8_t>(forKind)).fixedSpacing : -1.0f;
    const float s = fixed >= 0.0f ? fixed : spacing;
    return s < 0.02f ? 0.02f : s;
}

// ---- stroke ----

void TStroke::startStroke(const TStrokeSource& flow, float x, float y, float pressure)
{
    // History holds paper points; only the kind-specific start works in image coordinates.
    start(flow, x, y, x + static_cast<float>(flow.offsetX), y + static_cast<float>(flow.offsetY),
          pressure);
}

void TStroke::startStrokeCompat(const TStrokeSource& work, float x, float y, float pressure)
{
    start(work, x, y, x, y, pressure);
}

void TStroke::start(const TStrokeSource& source, float px, float py, float x, float y,
                    float /*pressure*/)
{
    if (!std::isfinite(px) || !std::isfinite(py) || !std::isfinite(x) || !std::isfinite(y))
        px = py = x = y = 0.0f;
    // A stroke always begins at zero pressure, whatever the first sample says.
    dabCount = 0;
    stepCount = 0;
    inkDistance = 0.0f;
    fillValue = source.fillValue;
    boxLeft = boxTop = 65535.0f;
    boxRight = boxBottom = -65535.0f;
    segLeft = segTop = segRight = segBottom = 0.0f;
    for (TStrokePoint& h : history)
        h = {px, py, 0.0f};

    switch (static_cast<TBrushKind>(kind)) {
    case TBrushKind::wc: {
        uint32_t sum[3] = {0, 0, 0};
        if (source.isValid() && std::isfinite(x) && std::isfinite(y)) {
            const int32_t cx = edgeToInt(x);
            const int32_t cy = edgeToInt(y);
            for (int32_t dy = -5; dy <= 5; ++dy)
                for (int32_t dx = -5; dx <= 5; ++dx) {
                    const uint32_t px = source.pixelClamped(cx + dx, cy + dy);
                    sum[0] += (px >> 16) & 0xFF;
                    sum[1] += (px >> 8) & 0xFF;
                    sum[2] += px & 0xFF;
                }
        }
        const long w = 255 - std::clamp(std::lround(effect * 255.0f / 100.0f), 0L, 255L);
        uint32_t mix = 0;
        for (int c = 0; c < 3; ++c) {
            const uint32_t picked = sum[c] / 121;
            wcPickedBytes[static_cast<size_t>(c)] = static_cast<uint8_t>(picked);
            wcPickedAverage[static_cast<size_t>(c)] = static_cast<float>(picked);
            const uint32_t own = (color >> (16 - 8 * c)) & 0xFF;
            mix |= Lerp255(own, picked, static_cast<uint32_t>(w)) << (16 - 8 * c);
        }
        wcMix = mix;
        break;
    }
    case TBrushKind::rubpen:
        tipCount = 0;
        tips[0].clear();
        tips[1].clear();
        if (source.isValid() && std::isfinite(x) && std::isfinite(y)) {
            lastTipX = edgeToInt(std::round(x));
            lastTipY = edgeToInt(std::round(y));
            takeTip(source, x, y);
        }
        break;
    case TBrushKind::darken:
        curveExponent = 1.0f + effect * 0.002f;
        break;
    case TBrushKind::lighten:
        curveExponent = 1.0f / (1.0f + effect * 0.002f);
        break;
    default:
        break;
    }
}

void TStroke::addPoint(float x, float y, float pressure)
{
    if (!std::isfinite(x) || !std::isfinite(y))
        return; // a broken sample is dropped rather than poisoning the whole stroke
    for (size_t i = history.size() - 1; i > 0; --i)
        history[i] = history[i - 1];
    history[0] = {x, y, saneUnitPressure(pressure)};
    if (!rawPoints) {
        history[1].x = (history[0].x + history[2].x) / 2.0f;
        history[1].y = (history[0].y + history[2].y) / 2.0f;
        history[1].pressure = (history[0].pressure + history[2].pressure) / 2.0f;
    }
}

void TStroke::setSegment(float x0, float y0, float p0, float x1, float y1, float p1)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    history[2] = {x0, y0, saneUnitPressure(p0)};
    history[1] = {x1, y1, saneUnitPressure(p1)};
}

void TStroke::updateSegmentRect()
{
    const float w = width + 2.0f;
    const TStrokePoint& a = history[1];
    const TStrokePoint& b = history[2];
    segLeft = std::min(a.x - w, b.x - w);
    segTop = std::min(a.y - w, b.y - w);
    segRight = std::max(a.x + w, b.x + w);
    segBottom = std::max(a.y + w, b.y + w);
    boxLeft = std::min(boxLeft, segLeft);
    boxTop = std::min(boxTop, segTop);
    boxRight = std::max(boxRight, segRight);
    boxBottom = std::max(boxBottom, segBottom);
}

TRect TStroke::segmentRect() const
{
    return integerRect(segLeft, segTop, segRight, segBottom);
}

TRect TStroke::strokeRect() const
{
    return integerRect(boxLeft, boxTop, boxRight, boxBottom);
}

namespace {

// Far beyond any paper: such a segment can only come from a broken sample, and walking it
// would stall the program (and overflow the step count).
constexpr float kLongestSegment = 1048576.0f;

// Steps of one pixel along the major axis (or one step for a segment shorter than a pixel).
void planSteps(TSegmentPlan& plan, float dx, float dy, float dp, float a)
{
    const float adx = std::fabs(dx);
    const float ady = std::fabs(dy);
    plan.stepAxis = adx >= ady ? 1 : 0;
    if (a >= 1.0f) {
        const float d = adx >= ady ? adx : ady;
        plan.stepX = dx / d;
        plan.stepY = dy / d;
        plan.stepP = dp / d;
    } else {
        plan.stepX = dx;
        plan.stepY = dy;
        plan.stepP = dp;
    }
    plan.steps = static_cast<int32_t>(std::ceil(a));
}

void halveSteps(TSegmentPlan& plan)
{
    plan.stepX /= 2.0f;
    plan.stepY /= 2.0f;
    plan.stepP /= 2.0f;
    plan.steps *= 2;
}

} // namespace

TSegmentPlan TStroke::planSegment(float offsetX, float offsetY) const
{
    TSegmentPlan plan;
    const float x2 = history[2].x + offsetX;
    const float y2 = history[2].y + offsetY;
    const float x1 = history[1].x + offsetX;
    const float y1 = history[1].y + offsetY;
    const float p2 = std::pow(history[2].pressure, gamma);
    const float p1 = std::pow(history[1].pressure, gamma);

    const float dx = x1 - x2;
    const float dy = y1 - y2;
    const float a = std::max(std::fabs(dx), std::fabs(dy));
    if (!(a > 0.0f) || !(a <= kLongestSegment))
        return plan;
    planSteps(plan, dx, dy, p1 - p2, a);

    const TKindGeometry& g = geometryOf(kind);
    plan.sizeByPressure = ifSize != 0;
    float r1 = width, r2 = width;
    if (plan.sizeByPressure) {
        const float k = (strokeFormat > 0 || g.fixedMinRatio < 0.0f) ? minSize / 100.0f
                                                                      : g.fixedMinRatio;
        plan.rmin = width * k;
        plan.range = width - plan.rmin;
        r1 = plan.rmin + plan.range * p1;
        r2 = plan.rmin + plan.range * p2;
    }

    plan.interval = static_cast<int32_t>(std::ceil(width * effectiveSpacing()));
    if (r1 < g.dabEveryStepRadius || r2 < g.dabEveryStepRadius || plan.interval < 1)
        plan.interval = 1;
    if (r1 < g.halfStepRadius || r2 < g.halfStepRadius)
        halveSteps(plan);

    plan.x = x2 + 0.5f;
    plan.y = y2 + 0.5f;
    plan.p = p2;
    const float length = std::sqrt(dx * dx + dy * dy);
    plan.inkPerStep = length / a * 4.0f;
    return plan;
}

TSegmentPlan TStroke::planSegmentLegacy() const
{
    TSegmentPlan plan;
    const float x2 = history[2].x;
    const float y2 = history[2].y;
    const float x1 = history[1].x;
    const float y1 = history[1].y;
    float p2 = history[2].pressure;
    float p1 = history[1].pressure;
    if (gamma != 0.0f) {
        p2 = clampFloat(std::pow(p2, gamma), 0.0f, 1.0f);
        p1 = clampFloat(std::pow(p1, gamma), 0.0f, 1.0f);
    }

    const float dx = x1 - x2;
    const float dy = y1 - y2;
    const float a = std::max(std::fabs(dx), std::fabs(dy));
    if (!(a > 0.0f) || !(a <= kLongestSegment))
        return plan;
    planSteps(plan, dx, dy, p1 - p2, a);

    // The old radius law always takes the setting's ratio.
    plan.sizeByPressure = ifSize != 0;
    float r1 = width, r2 = width;
    if (plan.sizeByPressure) {
        plan.rmin = width * (minSize / 100.0f);
        plan.range = width - plan.rmin;
        r1 = plan.rmin + plan.range * p1;
        r2 = plan.rmin + plan.range * p2;
    }

    switch (static_cast<TBrushKind>(kind)) {
    case TBrushKind::pen:
        plan.interval = static_cast<int32_t>(
                            std::min(std::lround(r1 / 8.0f), std::lround(r2 / 8.0f))) + 1;
        break;
    case TBrushKind::eraser:
        plan.interval = static_cast<int32_t>(
                            std::min(std::lround(r1 / 4.0f), std::lround(r2 / 4.0f))) + 1;
        break;
    case TBrushKind::wc:
        plan.interval = static_cast<int32_t>(std::lround(width / 12.0f)) + 1;
        break;
    default:
        plan.interval = static_cast<int32_t>(std::lround(width / 4.0f)) + 1;
        break;
    }
    if (plan.interval < 1)
        plan.interval = 1;

    bool half = false;
    if (kind == static_cast<uint8_t>(TBrushKind::pen))
        half = plan.sizeByPressure ? (r1 < 2.0f || r2 < 2.0f) : width < 2.0f;
    else if (kind == static_cast<uint8_t>(TBrushKind::eraser))
        half = width < 3.0f;
    if (half)
        halveSteps(plan);

    plan.x = x2 + 0.5f;
    plan.y = y2 + 0.5f;
    plan.p = p2;
    const float length = std::sqrt(dx * dx + dy * dy);
    plan.inkPerStep = length / (static_cast<float>(std::lround(a)) + 1.0f) * 4.0f;
    return plan;
}

// ---- "rubpen" tips ----

void TStroke::takeTip(const TStrokeSource& source, float cx, float cy)
{
    CPenTC& tip = tips[static_cast<size_t>(tipCount % 2)];
    const int32_t h = static_cast<int32_t>(std::ceil(std::min(width, 200.0f))) + 3;
    tip.side = 2 * h + 1;
    tip.left = edgeToInt(std::round(cx)) - h;
    tip.top = edgeToInt(std::round(cy)) - h;
    tip.centerX = cx;
    tip.centerY = cy;
    tip.fracX = cx - std::floor(cx);
    tip.fracY = cy - std::floor(cy);
    tip.radius = width;
    tip.pixels.assign(static_cast<size_t>(tip.side) * static_cast<size_t>(tip.side), 0);
    for (int32_t y = 0; y < tip.side; ++y)
        for (int32_t x = 0; x < tip.side; ++x)
            tip.pixels[static_cast<size_t>(y) * static_cast<size_t>(tip.side) +
                       static_cast<size_t>(x)] = source.pixelClamped(tip.left + x, tip.top + y);
    ++tipCount;
}

const CPenTC* TStroke::updateTip(const TStrokeSource& source, float cx, float cy)
{
    if (tipCount >= 0 && source.isValid() && std::isfinite(cx) && std::isfinite(cy)) {
        const int32_t rx = edgeToInt(std::round(cx));
        const int32_t ry = edgeToInt(std::round(cy));
        if (rx != lastTipX || ry != lastTipY) {
            lastTipX = rx;
            lastTipY = ry;
            takeTip(source, cx, cy);
        }
    }
    if (tipCount < 2)
        return nullptr;
    return &tips[static_cast<size_t>((tipCount - 2) % 2)];
}

} // namespace qm
