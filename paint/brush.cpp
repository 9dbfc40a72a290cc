// Dab rules of the nine brush kinds (pixel formats in brush_plot.h).
#include "paint/brush.h"

#include "core/aa_disc.h"
#include "core/colour_model.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace qm {

namespace {

// The box of whole pixels a dab of radius r at (cx, cy) can touch, clipped to the image.
bool dabBox(const CDibCore& image, float cx, float cy, float r, TBox& box)
{
    if (!std::isfinite(cx) || !std::isfinite(cy) || !(r > 0.0f) || std::fabs(cx) > 1.0e7f ||
        std::fabs(cy) > 1.0e7f || r > 1.0e6f)
        return false;
    const int32_t left = std::max(int32_t(std::floor(cx - r)), 0);
    const int32_t top = std::max(int32_t(std::floor(cy - r)), 0);
    const int32_t right = std::min(int32_t(std::ceil(cx + r)), image.width());
    const int32_t bottom = std::min(int32_t(std::ceil(cy + r)), image.height());
    if (left >= right || top >= bottom)
        return false;
    box = {left, top, right - left, bottom - top};
    return true;
}

uint32_t byteOf(float unit)
{
    return uint32_t(std::clamp(std::lround(unit * 255.0f), 0L, 255L));
}

// Profile entry (16.16) × dab alpha byte, as a byte.
inline uint32_t profileAlpha(uint32_t profile, uint32_t dabAlpha)
{
    return uint32_t(((uint64_t(profile) * dabAlpha >> 16) * 32897u) >> 23);
}

// Calls fn(row, x, y, alpha) for every pixel of the work image inside the circle, alpha being
// profile(distance) × dabAlpha; the distance is measured from the pixel's centre.
template <typename Fn>
void forEachProfiledPixel(TMTC& work, const TDab& dab, const TProfileTable& profile,
                          uint32_t dabAlpha, Fn&& fn)
{
    TBox box;
    if (dabAlpha == 0 || !dabBox(work, dab.x, dab.y, dab.radius, box))
        return;
    const float r2 = dab.radius * dab.radius;
    const float scale = float(kProfileSize - 1) / dab.radius;
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        const float dy = float(y) + 0.5f - dab.y;
        const float dy2 = dy * dy;
        if (dy2 >= r2)
            continue;
        uint32_t* row = work.row(y);
        for (int32_t x = box.x; x < box.x + box.width; ++x) {
            const float dx = float(x) + 0.5f - dab.x;
            const float d2 = dx * dx + dy2;
            if (d2 >= r2)
                continue;
            const int32_t index = std::min(int32_t(std::sqrt(d2) * scale + 0.5f), kProfileSize - 1);
            const uint32_t alpha = profileAlpha(profile[size_t(index)], dabAlpha);
            if (alpha != 0)
                fn(row[x], x, y, alpha);
        }
    }
}

// ---- pen ----

void coverageSpanDisc(TBrushCanvas& c, const TDab& dab, uint32_t value, float opacity,
                      bool vertical)
{
    TChannel& cov = *c.coverage;
    spanDisc(cov.width(), cov.height(), dab.x, dab.y, dab.radius, uint8_t(value), opacity,
             vertical, [&](int32_t x, int32_t y, uint32_t v) {
                 c.plot.coverage(cov.row(y)[x], x, y, v, 255);
             });
}

void coverageDisc(TBrushCanvas& c, const TDab& dab, uint8_t value, float opacity)
{
    TChannel& cov = *c.coverage;
    aaDisc8(cov, value, true, true, opacity, dab.radius, dab.x, dab.y,
            [&](int32_t x, int32_t y, uint32_t alpha, uint32_t v) {
                c.plot.coverage(cov.row(y)[x], x, y, v, alpha);
            });
}

void penDab(TBrushCanvas& c, const TStroke& s, const TDab& dab)
{
    if (dab.radius < 3.0f) {
        coverageSpanDisc(c, dab, 255, dab.alpha, false);
        coverageSpanDisc(c, dab, 255, dab.alpha, true);
    } else if (s.dabCount < 5) {
        coverageDisc(c, dab, 255, dab.alpha);
    } else {
        // Moving along y, horizontal spans run across the motion; along x, vertical ones.
        coverageSpanDisc(c, dab, 255, dab.alpha, c.stepAxis == 1);
    }
}

// ---- colour discs: wc, eraser ----

void colourDisc(TBrushCanvas& c, const TStroke& s, const TDab& dab, uint32_t colour, float opacity)
{
    TMTC& work = *c.work;
    aaDisc32(work, colour, true, s.ifEdge != 0, opacity, dab.radius, dab.x, dab.y,
             [&](int32_t x, int32_t y, uint32_t col, uint32_t alpha) {
                 c.plot.plotColour(work.row(y)[x], x, y, col, alpha);
             });
}

// Moves a running average towards a sample by at most `step`.
float approach(float average, float sample, float step)
{
    if (std::fabs(sample - average) >= step)
        return sample > average ? average + step : average - step;
    return sample;
}

void wcDab(TBrushCanvas& c, TStroke& s, const TDab& dab, float minusSide)
{
    // The further the stroke has run, the nearer the paint is to the pen colour.
    float f = 1.0f;
    if (s.speed != 0.0f)
        f = std::min(s.inkDistance / (s.speed * s.width * 2.0f), 1.0f);
    uint32_t brush = 0;
    const uint32_t towardsPen = byteOf(f);
    const TStrokeSource src = c.source(0, 0, s.fillValue);
    const float r = dab.radius;
    const float points[4][2] = {{dab.x, dab.y + r + 1.0f},
                                {dab.x, dab.y - r + minusSide},
                                {dab.x + r + 1.0f, dab.y},
                                {dab.x - r + minusSide, dab.y}};
    uint32_t sum[3] = {0, 0, 0};
    for (const auto& p : points) {
        const uint32_t px = src.pixelClamped(int32_t(std::lround(p[0])), int32_t(std::lround(p[1])));
        for (int ch = 0; ch < 3; ++ch)
            sum[ch] += (px >> (16 - 8 * ch)) & 0xFF;
    }
    const uint32_t pickWeight = uint32_t(std::clamp(std::lround(s.env * 2.55f), 0L, 255L));
    for (int ch = 0; ch < 3; ++ch) {
        const int shift = 16 - 8 * ch;
        const uint32_t mixed = Lerp255((s.color >> shift) & 0xFF, (s.wcMix >> shift) & 0xFF,
                                       towardsPen);
        float& average = s.wcPickedAverage[size_t(ch)];
        average = approach(average, float(sum[ch] / 4), s.env / 10.0f);
        const uint32_t picked = uint32_t(std::clamp(std::lround(average), 0L, 255L));
        brush |= Lerp255(picked, mixed, pickWeight) << shift;
    }
    colourDisc(c, s, dab, brush, s.effectiveOpacity() * dab.alpha * 0.35f);
}

void eraserDab(TBrushCanvas& c, const TStroke& s, const TDab& dab, float opacity)
{
    TMTC& work = *c.work;
    const bool keepAlpha = c.plot.keepAlpha;
    aaDisc32(work, c.neutral, true, s.ifEdge != 0, opacity, dab.radius, dab.x, dab.y,
             [&](int32_t x, int32_t y, uint32_t colour, uint32_t alpha) {
                 const uint32_t w = c.plot.weight(x, y, alpha);
                 if (w == 0)
                     return;
                 uint32_t& p = work.row(y)[x];
                 if (keepAlpha) {
                     p = mixColour(p, colour, w);
                 } else {
                     const uint32_t a = p >> 24;
                     p = ((a - Mul255(a, w)) << 24) | (p & 0xFFFFFFu);
                 }
             });
}

// ---- smudging kinds: blur, rubpen ----

// Takes `source` (alpha and colour) into p with weight w: without keep-alpha the alpha moves
// first and the colour follows only where something is left.
inline uint32_t takeOver(uint32_t p, uint32_t source, uint32_t w, bool keepAlpha)
{
    if (keepAlpha)
        return mixColour(p, source, w);
    const uint32_t alpha = Lerp255(source >> 24, p >> 24, w);
    p = (alpha << 24) | (p & 0xFFFFFFu);
    return alpha != 0 ? mixColour(p, source, w) : p;
}

void blurDab(TBrushCanvas& c, const TDab& dab, int32_t n, uint32_t plotAlpha)
{
    TMTC& work = *c.work;
    TBox box;
    if (!c.layer || !c.layer->IsValid() || plotAlpha == 0 ||
        !dabBox(work, dab.x, dab.y, dab.radius, box))
        return;
    n = std::clamp(n, 0, 4096);
    // The layer's pixels around the dab, edges repeated.
    const int32_t sw = box.width + 2 * n, sh = box.height + 2 * n;
    if (c.scratch.width() < sw || c.scratch.height() < sh)
        c.scratch.Resize(std::max(sw, c.scratch.width()), std::max(sh, c.scratch.height()));
    for (int32_t j = 0; j < sh; ++j) {
        uint32_t* row = c.scratch.row(j);
        for (int32_t i = 0; i < sw; ++i)
            row[i] = c.layer->GetPixelClamped(box.x - n + i, box.y - n + j);
    }
    // Box sums, separable: first along each scratch row, then down the columns.
    struct TSums {
        uint64_t a = 0, r = 0, g = 0, b = 0;
    };
    std::vector<TSums> across(size_t(sh) * size_t(box.width));
    for (int32_t j = 0; j < sh; ++j) {
        const uint32_t* row = c.scratch.row(j);
        TSums run;
        auto add = [&](uint32_t px, int sign) {
            const uint64_t a = px >> 24;
            run.a += sign * a;
            run.r += sign * a * ((px >> 16) & 0xFF);
            run.g += sign * a * ((px >> 8) & 0xFF);
            run.b += sign * a * (px & 0xFF);
        };
        for (int32_t i = 0; i < 2 * n + 1; ++i)
            add(row[i], 1);
        for (int32_t x = 0; x < box.width; ++x) {
            across[size_t(j) * size_t(box.width) + size_t(x)] = run;
            if (x + 1 < box.width) {
                add(row[x + 2 * n + 1], 1);
                add(row[x], -1);
            }
        }
    }
    const uint64_t count = uint64_t(2 * n + 1) * uint64_t(2 * n + 1);
    const float r2 = dab.radius * dab.radius;
    for (int32_t x = 0; x < box.width; ++x) {
        TSums run;
        for (int32_t j = 0; j < 2 * n + 1; ++j) {
            const TSums& s = across[size_t(j) * size_t(box.width) + size_t(x)];
            run.a += s.a, run.r += s.r, run.g += s.g, run.b += s.b;
        }
        const int32_t px = box.x + x;
        const float dx = float(px) + 0.5f - dab.x;
        for (int32_t y = 0; y < box.height; ++y) {
            const int32_t py = box.y + y;
            const float dy = float(py) + 0.5f - dab.y;
            if (dx * dx + dy * dy < r2) {
                uint32_t mean = 0;
                if (run.a != 0)
                    mean = uint32_t(run.a / count) << 24 | uint32_t(run.r / run.a) << 16 |
                           uint32_t(run.g / run.a) << 8 | uint32_t(run.b / run.a);
                const uint32_t w = c.plot.weight(px, py, plotAlpha);
                if (w != 0) {
                    uint32_t& p = work.row(py)[px];
                    p = takeOver(p, mean, w, c.plot.keepAlpha);
                }
            }
            if (y + 1 < box.height) {
                const TSums& in = across[size_t(y + 2 * n + 1) * size_t(box.width) + size_t(x)];
                const TSums& out = across[size_t(y) * size_t(box.width) + size_t(x)];
                run.a += in.a - out.a, run.r += in.r - out.r;
                run.g += in.g - out.g, run.b += in.b - out.b;
            }
        }
    }
}

void rubpenDab(TBrushCanvas& c, TStroke& s, const TDab& dab, uint32_t dabAlpha)
{
    const TStrokeSource src = c.source(0, 0, s.fillValue);
    const CPenTC* tip = s.updateTip(src, dab.x, dab.y);
    if (!tip || tip->isEmpty())
        return;
    const int32_t cx = int32_t(std::lround(dab.x)), cy = int32_t(std::lround(dab.y));
    const int32_t tipX = int32_t(std::lround(tip->centerX)) - tip->left;
    const int32_t tipY = int32_t(std::lround(tip->centerY)) - tip->top;
    const uint32_t fill = s.fillValue & 0xFFFFFFu;
    const bool keepAlpha = c.plot.keepAlpha;
    forEachProfiledPixel(*c.work, dab, airProfile(s.airMap), dabAlpha,
                         [&](uint32_t& p, int32_t x, int32_t y, uint32_t alpha) {
                             const uint32_t w = c.plot.weight(x, y, alpha);
                             if (w == 0)
                                 return;
                             const int32_t tx = std::clamp(x - cx + tipX, 0, tip->side - 1);
                             const int32_t ty = std::clamp(y - cy + tipY, 0, tip->side - 1);
                             uint32_t t = tip->pixels[size_t(ty) * size_t(tip->side) + size_t(tx)];
                             if ((t >> 24) == 0)
                                 t = fill;
                             p = takeOver(p, t, w, keepAlpha);
                         });
}

void lightnessDab(TBrushCanvas& c, const TStroke& s, const TDab& dab, uint32_t dabAlpha)
{
    forEachProfiledPixel(*c.work, dab, airProfile(s.airMap), dabAlpha,
                         [&](uint32_t& p, int32_t x, int32_t y, uint32_t alpha) {
                             const uint32_t w = c.plot.weight(x, y, alpha);
                             if (w == 0)
                                 return;
                             THLS hls = pixelToHLS(p);
                             const int64_t index = std::clamp<int64_t>(
                                 int64_t(hls.L) * (kProfileSize - 1) / (255 << 16), 0,
                                 kProfileSize - 1);
                             hls.L = int32_t(255u * c.curve[size_t(index)]);
                             p = mixColour(p, hlsToPixel(hls), w);
                         });
}

} // namespace

TStrokeSource TBrushCanvas::source(int32_t offsetX, int32_t offsetY, uint32_t fillValue) const
{
    TStrokeSource s;
    if (work && work->IsValid()) {
        s.pixels = work->row(0);
        s.width = work->width();
        s.height = work->height();
        s.stride = work->RowStep();
    }
    s.offsetX = offsetX;
    s.offsetY = offsetY;
    s.fillValue = fillValue;
    return s;
}

void prepareBrush(TBrushCanvas& canvas, const TStroke& stroke)
{
    if (stroke.kind == uint8_t(TBrushKind::darken) || stroke.kind == uint8_t(TBrushKind::lighten))
        canvas.curve = lightnessCurve(stroke.curveExponent);
}

void paintDab(TBrushCanvas& c, TStroke& s, const TDab& dab)
{
    if (!c.work || !c.coverage)
        return;
    const float o = s.effectiveOpacity();
    switch (TBrushKind(s.kind)) {
    case TBrushKind::pen: penDab(c, s, dab); break;
    case TBrushKind::wc: wcDab(c, s, dab, 1.0f); break;
    case TBrushKind::blur:
        blurDab(c, dab, std::max(1, int32_t(std::lround(dab.radius * s.effect / 100.0f))),
                byteOf(o * dab.alpha));
        break;
    case TBrushKind::eraser: eraserDab(c, s, dab, o * dab.alpha); break;
    case TBrushKind::blur2: break; // the coverage alone drives its compose step
    case TBrushKind::airbrush:
        forEachProfiledPixel(*c.work, dab, airProfile(s.airMap), byteOf(o * dab.alpha),
                             [&](uint32_t& p, int32_t x, int32_t y, uint32_t alpha) {
                                 c.plot.plotColour(p, x, y, s.color, alpha);
                             });
        break;
    case TBrushKind::rubpen: rubpenDab(c, s, dab, byteOf(o * dab.alpha)); break;
    case TBrushKind::darken:
    case TBrushKind::lighten: lightnessDab(c, s, dab, byteOf(o * dab.alpha)); break;
    }
}

void paintDabLegacy(TBrushCanvas& c, TStroke& s, const TDab& dab)
{
    if (!c.work || !c.coverage)
        return;
    switch (TBrushKind(s.kind)) {
    case TBrushKind::pen:
        if (dab.radius > 1.0f)
            coverageDisc(c, dab, 255, dab.alpha);
        if (dab.radius < 8.0f)
            coverageSpanDisc(c, dab, 255, dab.alpha, c.stepAxis == 1);
        break;
    case TBrushKind::wc: wcDab(c, s, dab, -1.0f); break;
    case TBrushKind::blur:
        blurDab(c, dab, int32_t(std::lround(s.width * s.effect / 100.0f)), byteOf(dab.alpha));
        break;
    case TBrushKind::eraser: eraserDab(c, s, dab, dab.alpha); break;
    case TBrushKind::blur2:
        coverageDisc(c, dab, uint8_t(std::clamp(std::lround(dab.alpha * 32.0f), 0L, 255L)), 1.0f);
        break;
    default: break; // the version 1.1 engine knows only the first five kinds
    }
}

void composeStroke(TBrushCanvas& c, const TStroke& s, TBox box)
{
    if (!usesCoverage(s.kind) || !c.work || !c.coverage || !c.layer || !c.layer->IsValid())
        return;
    TMTC& work = *c.work;
    if (!clipBoxToSize(box, std::min(work.width(), c.layer->width()),
                       std::min(work.height(), c.layer->height())))
        return;
    // Always from the layer's own pixels, so repeated composes never accumulate.
    c.layer->ExportTo(work, {box.x, box.y}, false, 255, box);
    const TChannel& cov = *c.coverage;
    if (s.kind == uint8_t(TBrushKind::pen)) {
        const uint32_t opacity = s.opacityByte();
        for (int32_t y = box.y; y < box.y + box.height; ++y) {
            const uint8_t* cr = cov.row(y);
            uint32_t* row = work.row(y);
            for (int32_t x = box.x; x < box.x + box.width; ++x)
                if (cr[x] != 0)
                    row[x] = c.plot.blend(row[x], x, y, s.color, Mul255(cr[x], opacity));
        }
        return;
    }
    // blur2: the more coverage, the less the centre counts in a 3 × 3 mean of the layer.
    const CBlockVMTC& layer = *c.layer;
    for (int32_t y = std::max(box.y, 1); y < box.y + box.height; ++y) {
        const uint8_t* cr = cov.row(y);
        uint32_t* row = work.row(y);
        for (int32_t x = std::max(box.x, 1); x < box.x + box.width; ++x) {
            const uint32_t s2 = cr[x];
            if (s2 < 2)
                continue;
            const uint32_t centre = 32 - std::min(s2, 31u);
            uint32_t sum[3] = {0, 0, 0};
            for (int32_t j = -1; j <= 1; ++j)
                for (int32_t i = -1; i <= 1; ++i) {
                    const uint32_t px = layer.GetPixelClamped(x + i, y + j);
                    const uint32_t w = (i == 0 && j == 0) ? centre : 1;
                    for (int ch = 0; ch < 3; ++ch)
                        sum[ch] += w * ((px >> (8 * ch)) & 0xFF);
                }
            const uint32_t total = centre + 8;
            row[x] = 0xFF000000u | (sum[2] / total) << 16 | (sum[1] / total) << 8 | sum[0] / total;
        }
    }
}

} // namespace qm
