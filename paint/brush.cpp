// Dab rules of the nine brush kinds (pixel formats in brush_plot.h).
#include "paint/brush.h"

#include "core/aa_disc.h"
#include "core/colour_model.h"
#include "paint/brush_rows.h"

#include <algorithm>
#include <climits>
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

// Calls rowFn(row, left, y, alpha, count) for every row of the work image the circle
// touches: alpha[i] is profile(distance) × dabAlpha for the pixel at left + i (0 outside the
// circle), the distance measured from the pixel's centre. The profile indices of a row are
// found first, in one loop the compiler can vectorise.
template <typename RowFn>
void forEachProfiledRow(TBrushCanvas& c, const TDab& dab, int32_t profile, uint32_t dabAlpha,
                        RowFn&& rowFn)
{
    TMTC& work = *c.work;
    TBox box;
    if (dabAlpha == 0 || !dabBox(work, dab.x, dab.y, dab.radius, box))
        return;
    // Pressure moves the dab alpha slowly, so the scaled table is mostly reused.
    const int32_t key = std::clamp(profile, 0, kAirProfileCount - 1) * 256 + int32_t(dabAlpha);
    if (c.profileKey != key) {
        const TProfileTable& table = airProfile(profile);
        for (int32_t i = 0; i < kProfileSize; ++i)
            c.profileBytes[size_t(i)] = uint8_t(profileAlpha(table[size_t(i)], dabAlpha));
        c.profileKey = key;
    }
    const uint8_t* bytes = c.profileBytes.data();
    const float r2 = dab.radius * dab.radius;
    const float scale = float(kProfileSize - 1) / dab.radius;
    thread_local std::vector<int32_t> indices;
    thread_local std::vector<uint8_t> alphas;
    indices.resize(size_t(box.width));
    alphas.resize(size_t(box.width));
    for (int32_t y = box.y; y < box.y + box.height; ++y) {
        const float dy = float(y) + 0.5f - dab.y;
        const float dy2 = dy * dy;
        if (dy2 >= r2)
            continue;
        // A span that holds every pixel of the row inside the circle (the test below decides).
        const float half = std::sqrt(r2 - dy2);
        const int32_t left = std::max(box.x, int32_t(std::floor(dab.x - 0.5f - half)));
        const int32_t right =
            std::min(box.x + box.width, int32_t(std::ceil(dab.x - 0.5f + half)) + 1);
        const int32_t count = right - left;
        if (count <= 0)
            continue;
        int32_t* index = indices.data();
        const float x0 = float(left) + 0.5f - dab.x;
        for (int32_t i = 0; i < count; ++i) {
            const float dx = x0 + float(i);
            const float d2 = dx * dx + dy2;
            // Clamped as a float (a tiny radius makes the product huge), branch-free so that
            // the loop vectorises; −1 marks a pixel outside the circle.
            const float scaled = std::min(std::sqrt(d2) * scale + 0.5f, float(kProfileSize - 1));
            index[i] = int32_t(scaled) | -int32_t(d2 >= r2);
        }
        uint8_t* alpha = alphas.data();
        for (int32_t i = 0; i < count; ++i)
            alpha[i] = index[i] < 0 ? 0 : bytes[index[i]];
        rowFn(work.row(y) + left, left, y, static_cast<const uint8_t*>(alpha), count);
    }
}

// The same pixel by pixel: fn(pixel, x, y, alpha) for the pixels with alpha above 0.
template <typename Fn>
void forEachProfiledPixel(TBrushCanvas& c, const TDab& dab, int32_t profile, uint32_t dabAlpha,
                          Fn&& fn)
{
    forEachProfiledRow(c, dab, profile, dabAlpha,
                       [&](uint32_t* row, int32_t left, int32_t y, const uint8_t* alpha,
                           int32_t count) {
                           for (int32_t i = 0; i < count; ++i)
                               if (alpha[i] != 0)
                                   fn(row[i], left + i, y, uint32_t(alpha[i]));
                       });
}

// ---- pen ----

// Notes the box a coverage dab may have touched (the soft span ends reach a pixel further).
void markCoverage(TBrushCanvas& c, const TDab& dab)
{
    TBox box;
    if (!dabBox(*c.coverage, dab.x, dab.y, dab.radius + 1.0f, box))
        return;
    if (c.uncomposed.width <= 0 || c.uncomposed.height <= 0) {
        c.uncomposed = box;
        return;
    }
    c.uncomposed = toBox(unionRect(toRect(c.uncomposed), toRect(box)));
}

void coverageSpanDisc(TBrushCanvas& c, const TDab& dab, uint32_t value, float opacity,
                      bool vertical)
{
    markCoverage(c, dab);
    TChannel& cov = *c.coverage;
    auto one = [&](int32_t x, int32_t y, uint32_t v) { c.plot.coverage(cov.row(y)[x], x, y, v, 255); };
    if (!c.plot.unweighted()) {
        spanDisc(cov.width(), cov.height(), dab.x, dab.y, dab.radius, uint8_t(value), opacity,
                 vertical, one, [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t v) {
                     for (int32_t y = y0; y <= y1; ++y)
                         for (int32_t x = x0; x <= x1; ++x)
                             one(x, y, v);
                 });
        return;
    }
    // Wholly covered stretches rise straight to their value. Vertical ones are gathered per
    // column first and written row by row: walking down a column would step a whole row of
    // the channel at a time and keep evicting its own cache lines.
    thread_local std::vector<int32_t> firsts, lasts;
    thread_local std::vector<uint8_t> values;
    int32_t left = 0, count = 0, top = INT32_MAX, bottom = INT32_MIN;
    if (vertical) {
        TBox box;
        if (!dabBox(cov, dab.x, dab.y, dab.radius + 1.0f, box))
            return;
        left = box.x;
        count = box.width;
        firsts.assign(size_t(count), INT32_MAX);
        lasts.assign(size_t(count), INT32_MIN);
        values.assign(size_t(count), 0);
    }
    spanDisc(cov.width(), cov.height(), dab.x, dab.y, dab.radius, uint8_t(value), opacity,
             vertical, one, [&](int32_t x0, int32_t y0, int32_t x1, int32_t y1, uint32_t v) {
                 if (vertical) {
                     const int32_t i = x0 - left;
                     if (i < 0 || i >= count)
                         return;
                     firsts[size_t(i)] = y0;
                     lasts[size_t(i)] = y1;
                     values[size_t(i)] = uint8_t(v);
                     top = std::min(top, y0);
                     bottom = std::max(bottom, y1);
                     return;
                 }
                 uint8_t* row = cov.row(y0);
                 for (int32_t x = x0; x <= x1; ++x)
                     row[x] = std::max(row[x], uint8_t(v));
             });
    const int32_t* __restrict first = firsts.data();
    const int32_t* __restrict last = lasts.data();
    const uint8_t* __restrict v = values.data();
    const int32_t columns = count, rowsFrom = top, rowsTo = bottom;
    for (int32_t y = rowsFrom; y <= rowsTo; ++y) {
        uint8_t* __restrict row = cov.row(y) + left;
        for (int32_t i = 0; i < columns; ++i) {
            // Branch-free so that it vectorises: outside its run a column offers 0.
            const uint8_t inside = uint8_t(-int32_t((y >= first[i]) & (y <= last[i])));
            const uint8_t put = v[i] & inside;
            row[i] = row[i] > put ? row[i] : put;
        }
    }
}

void coverageDisc(TBrushCanvas& c, const TDab& dab, uint8_t value, float opacity)
{
    markCoverage(c, dab);
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
    forEachProfiledPixel(c, dab, s.airMap, dabAlpha,
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

void airbrushDab(TBrushCanvas& c, const TStroke& s, const TDab& dab, uint32_t dabAlpha)
{
    const uint32_t colour = s.color;
    if (c.plot.unweighted() && !c.plot.gradation && !c.plot.keepAlpha) {
        // The common case without selection, tone or gradation: straight to the blend.
        forEachProfiledRow(c, dab, s.airMap, dabAlpha,
                           [&](uint32_t* row, int32_t, int32_t, const uint8_t* alpha,
                               int32_t count) { blendOverRow(row, alpha, colour, count); });
        return;
    }
    forEachProfiledPixel(c, dab, s.airMap, dabAlpha,
                         [&](uint32_t& p, int32_t x, int32_t y, uint32_t alpha) {
                             c.plot.plotColour(p, x, y, colour, alpha);
                         });
}

void lightnessDab(TBrushCanvas& c, const TStroke& s, const TDab& dab, uint32_t dabAlpha)
{
    forEachProfiledPixel(c, dab, s.airMap, dabAlpha,
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
    case TBrushKind::airbrush: airbrushDab(c, s, dab, byteOf(o * dab.alpha)); break;
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
    // Only what the dabs changed needs composing; the rest of the box already is.
    const TBox pending = c.uncomposed;
    if (!intersectBox(box, pending, box))
        return;
    if (box.x == pending.x && box.y == pending.y && box.width == pending.width &&
        box.height == pending.height)
        c.uncomposed = {};
    // Always from the layer's own pixels, so repeated composes never accumulate.
    c.layer->ExportTo(work, {box.x, box.y}, false, 255, box);
    const TChannel& cov = *c.coverage;
    if (s.kind == uint8_t(TBrushKind::pen)) {
        const uint32_t opacity = s.opacityByte();
        if (!c.plot.gradation) {
            // Whole rows: the weights first (Mul255 in 16-bit lanes), then the row blend.
            thread_local std::vector<uint8_t> weights;
            weights.resize(size_t(box.width));
            const uint16_t o = uint16_t(opacity);
            for (int32_t y = box.y; y < box.y + box.height; ++y) {
                const uint8_t* cr = cov.row(y) + box.x;
                for (int32_t i = 0; i < box.width; ++i) {
                    const uint16_t m = uint16_t(cr[i] * o);
                    weights[size_t(i)] = uint8_t(uint16_t(m + 1 + (m >> 8)) >> 8);
                }
                uint32_t* row = work.row(y) + box.x;
                if (c.plot.keepAlpha)
                    mixColourRow(row, weights.data(), s.color, box.width);
                else
                    blendOverRow(row, weights.data(), s.color, box.width);
            }
            return;
        }
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
