// One pressure stroke of each brush kind, compared bit for bit with the image stored under
// tests/data/strokes. Any change to the brush arithmetic shows here; regenerate the images
// (QUILLMERE_WRITE_GOLDEN=1) only on purpose and say why in the commit. The stored images
// were made by the code they check, so each stroke is also held to what its brush kind must do
// whatever the arithmetic: where it may paint, which way it may move each channel, and, where
// the rule is simple enough, the exact pixel.
#include "paper_fixture.h"

#include "files/png_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace qm::test {

namespace {

constexpr float kWidth = 9.0f;
constexpr uint32_t kPenColour = 0x3366CC;

uint32_t channel(uint32_t p, int i) // 0 blue, 1 green, 2 red, 3 alpha
{
    return (p >> (8 * i)) & 0xFF;
}

// Colour bands with a transparent corner, so that smudging kinds have something to move.
uint32_t bandPixel(int32_t x, int32_t y)
{
    const uint32_t alpha = (x < 20 && y < 20) ? 0 : 255;
    const uint32_t r = (x * 7) & 0xFF, g = (y * 11) & 0xFF, b = ((x + y) / 8 % 2) * 200;
    return alpha << 24 | r << 16 | g << 8 | b;
}

template <typename PixelAt> void paintLayer(PaperFixture& f, PixelAt&& pixelAt)
{
    CBlockVMTC& image = *f.paper->layer(0)->image();
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x)
            image.SetPixel(x, y, pixelAt(x, y));
    f.paper->refreshAll(f.flow, 0, false);
}

struct TInputPoint {
    float x, y, pressure;
};

// The golden stroke: a rising curve, pressure from light to full.
std::vector<TInputPoint> goldenInput()
{
    std::vector<TInputPoint> points = {{8.0f, 40.0f, 0.2f}};
    for (int i = 1; i <= 24; ++i) {
        const float t = float(i) / 24.0f;
        points.push_back({8.0f + 80.0f * t, 40.0f - 25.0f * std::sin(t * 3.0f), 0.2f + 0.8f * t});
    }
    return points;
}

void paintStroke(PaperFixture& f, const std::vector<TInputPoint>& points)
{
    f.paper->beginStroke(f.flow, f.stroke, true, points[0].x, points[0].y, points[0].pressure);
    for (size_t i = 1; i < points.size(); ++i)
        f.paper->continueStroke(f.flow, f.stroke, true, nullptr, points[i].x, points[i].y,
                                points[i].pressure);
    TRect rect;
    f.paper->endStroke(f.flow, f.stroke, true, rect, nullptr);
}

// The vertices the stroke walks through: every history slot starts at the first point with
// pressure 0; each new point shifts the history and slot 1 becomes the mean of slots 0 and 2
// (position and pressure); each segment runs from slot 2 to slot 1.
struct TWalkedPath {
    std::vector<TPointF> vertices;
    float maxPressure = 0.0f;
};

TWalkedPath walkedPath(const std::vector<TInputPoint>& points)
{
    TInputPoint slot0{points[0].x, points[0].y, 0.0f}, slot1 = slot0, slot2 = slot0;
    TWalkedPath path;
    path.vertices = {{slot0.x, slot0.y}};
    for (size_t i = 1; i < points.size(); ++i) {
        slot2 = slot1;
        slot1 = slot0;
        slot0 = points[i];
        slot1 = {(slot0.x + slot2.x) / 2.0f, (slot0.y + slot2.y) / 2.0f,
                 (slot0.pressure + slot2.pressure) / 2.0f};
        path.vertices.push_back({slot1.x, slot1.y});
        path.maxPressure = std::max(path.maxPressure, std::min(slot1.pressure, 1.0f));
    }
    return path;
}

// The largest dab radius the walk can reach: with pressure sizing, width × (m + (1 − m) × p)
// for the minimum size m and the highest pressure walked (pressure gamma 1); else the width.
float largestRadius(const TStroke& s, float maxPressure)
{
    if (!s.ifSize) return s.width;
    const float m = s.minSize / 100.0f;
    return s.width * (m + (1.0f - m) * maxPressure);
}

// Distance from pixel (x, y) to the walked path. The walk starts half a pixel in, so a dab
// on a path point lies at the centre of the pixel with the point's coordinates.
double distanceToPath(const std::vector<TPointF>& path, int32_t x, int32_t y)
{
    double best = 1e30;
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const double ax = path[i].x, ay = path[i].y;
        const double dx = path[i + 1].x - ax, dy = path[i + 1].y - ay;
        const double len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(x - ax - t * dx, y - ay - t * dy));
    }
    return best;
}

TMTC layerPicture(PaperFixture& f)
{
    TMTC picture(f.paper->width, f.paper->height);
    const CBlockVMTC& image = *f.paper->layer(0)->image();
    image.ExportTo(picture, {0, 0}, false, 255, image.bounds());
    return picture;
}

// A stroke's picture before and after, and the path it walked.
struct TStrokeRun {
    TMTC before, after;
    std::vector<TPointF> path;
    double radius = 0; // the largest radius a dab can have had
    int32_t changed = 0;
    double farthest = 0; // the largest distance of a changed pixel from the path

    bool moved(int32_t x, int32_t y) const { return before.pixel(x, y) != after.pixel(x, y); }
};

TStrokeRun runStroke(PaperFixture& f, const std::vector<TInputPoint>& points)
{
    TStrokeRun run;
    run.before = layerPicture(f);
    paintStroke(f, points);
    run.after = layerPicture(f);
    const TWalkedPath walked = walkedPath(points);
    run.path = walked.vertices;
    run.radius = largestRadius(f.stroke, walked.maxPressure);
    for (int32_t y = 0; y < run.after.height(); ++y)
        for (int32_t x = 0; x < run.after.width(); ++x)
            if (run.moved(x, y)) {
                ++run.changed;
                run.farthest = std::max(run.farthest, distanceToPath(run.path, x, y));
            }
    return run;
}

// Calls fn(x, y, before, after) for every pixel, stopping at the first fatal failure.
template <typename Fn> void forEachPixel(const TStrokeRun& run, Fn&& fn)
{
    for (int32_t y = 0; y < run.after.height(); ++y)
        for (int32_t x = 0; x < run.after.width(); ++x) {
            fn(x, y, run.before.pixel(x, y), run.after.pixel(x, y));
            if (::testing::Test::HasFatalFailure()) return;
        }
}

bool between(uint32_t v, uint32_t a, uint32_t b)
{
    return v >= std::min(a, b) && v <= std::max(a, b);
}

// Every colour channel lies between the pixel's old value and the pen colour's; alpha never
// falls: what painting with the pen colour over a picture can do.
void expectPaintedTowards(const TStrokeRun& run, uint32_t colour)
{
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
        ASSERT_GE(channel(now, 3), channel(was, 3)) << x << "," << y;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(between(channel(now, i), channel(was, i), channel(colour, i)))
                << "channel " << i << " at " << x << "," << y;
    });
}

// Every channel of every pixel lies within the range the background holds within `reach`
// pixels around it (colours of transparent pixels do not count; its own always does).
void expectWithinNeighbourhood(const TStrokeRun& run, int32_t reach)
{
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
        uint32_t lo[4], hi[4];
        for (int i = 0; i < 4; ++i)
            lo[i] = hi[i] = channel(was, i);
        for (int32_t j = -reach; j <= reach; ++j)
            for (int32_t i = -reach; i <= reach; ++i) {
                const int32_t px = std::clamp(x + i, 0, run.before.width() - 1);
                const int32_t py = std::clamp(y + j, 0, run.before.height() - 1);
                const uint32_t p = run.before.pixel(px, py);
                for (int c = 0; c < 4; ++c)
                    if (c == 3 || channel(p, 3) != 0) {
                        lo[c] = std::min(lo[c], channel(p, c));
                        hi[c] = std::max(hi[c], channel(p, c));
                    }
            }
        for (int c = 0; c < 4; ++c)
            ASSERT_TRUE(between(channel(now, c), lo[c], hi[c]))
                << "channel " << c << " " << channel(now, c) << " outside " << lo[c] << "…" << hi[c]
                << " at " << x << "," << y;
    });
}

// What each kind must do to the golden stroke's banded picture.
void expectKindRule(int kind, const TStrokeRun& run)
{
    switch (TBrushKind(kind)) {
    case TBrushKind::pen:
    case TBrushKind::airbrush:
        expectPaintedTowards(run, kPenColour);
        break;
    case TBrushKind::wc: {
        // The watercolour's paint is the pen colour mixed with colours picked up from the
        // picture within its reach, and it is laid over opaque pixels: nothing outside the
        // range of those colours, and the alpha of opaque pixels stays.
        uint32_t lo[3], hi[3];
        for (int i = 0; i < 3; ++i)
            lo[i] = hi[i] = channel(kPenColour, i);
        forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t) {
            if (distanceToPath(run.path, x, y) <= kWidth + 2.0 && channel(was, 3) != 0)
                for (int i = 0; i < 3; ++i)
                    lo[i] = std::min(lo[i], channel(was, i)),
                    hi[i] = std::max(hi[i], channel(was, i));
        });
        forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
            if (!run.moved(x, y)) return;
            if (channel(was, 3) == 255) {
                ASSERT_EQ(channel(now, 3), 255u) << x << "," << y;
            }
            for (int i = 0; i < 3; ++i)
                ASSERT_TRUE(between(channel(now, i), lo[i], hi[i])) << x << "," << y;
        });
        break;
    }
    case TBrushKind::blur:
        // The mean of the (2n + 1)² pixels around each pixel, n = round(r × effect / 100).
        expectWithinNeighbourhood(run, int32_t(std::lround(kWidth * 40.0f / 100.0f)));
        break;
    case TBrushKind::eraser:
        forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
            ASSERT_EQ(now & 0xFFFFFF, was & 0xFFFFFF) << "colour at " << x << "," << y;
            ASSERT_LE(channel(now, 3), channel(was, 3)) << x << "," << y;
        });
        break;
    case TBrushKind::blur2:
        // Nothing changes under the current engine (checked by the caller); under the old
        // one the exact pixels are checked by a test of their own.
        expectWithinNeighbourhood(run, 1);
        break;
    case TBrushKind::rubpen:
        break; // where a smudge may carry colour is checked on two plain colours below
    case TBrushKind::darken:
    case TBrushKind::lighten:
        forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
            ASSERT_EQ(channel(now, 3), channel(was, 3)) << x << "," << y;
            for (int i = 0; i < 3; ++i) {
                if (kind == int(TBrushKind::darken)) {
                    ASSERT_LE(channel(now, i), channel(was, i))
                        << "channel " << i << " at " << x << "," << y;
                } else {
                    ASSERT_GE(channel(now, i), channel(was, i))
                        << "channel " << i << " at " << x << "," << y;
                }
            }
        });
        break;
    }
}

void prepareGoldenStroke(TStroke& s, int kind)
{
    s.resetToDefaults(kind);
    s.setKind(kind);
    s.setWidth(kWidth);
    s.setColor(kPenColour);
    s.setEffect(40.0f);
}

struct TGoldenCase {
    int kind;
    TPaintRoutine routine;
    std::string file;
};

std::vector<TGoldenCase> goldenCases()
{
    std::vector<TGoldenCase> cases;
    for (int kind = 0; kind < kBrushKindCount; ++kind)
        cases.push_back({kind, TPaintRoutine::current, brushKindName(kind)});
    // blur2 paints nothing under the current engine; the old engine gives it coverage.
    cases.push_back({int(TBrushKind::blur2), TPaintRoutine::legacy, "blur2-legacy"});
    return cases;
}

std::string goldenPath(const std::string& name)
{
    return std::string(QUILLMERE_TEST_DATA) + "/strokes/" + name + ".png";
}

} // namespace

TEST(GoldenStroke, EveryKindPaintsItsStoredImageAndKeepsItsKindsRule)
{
    const bool write = std::getenv("QUILLMERE_WRITE_GOLDEN") != nullptr;
    for (const TGoldenCase& c : goldenCases()) {
        SCOPED_TRACE(c.file);
        PaperFixture f(96, 64, c.routine);
        paintLayer(f, bandPixel);
        prepareGoldenStroke(f.stroke, c.kind);
        const TStrokeRun run = runStroke(f, goldenInput());

        // Nothing farther from the walked path than the largest radius and a pixel.
        EXPECT_LE(run.farthest, run.radius + 1.0);
        if (c.kind == int(TBrushKind::blur2) && c.routine == TPaintRoutine::current)
            EXPECT_EQ(run.changed, 0)
                << "the coverage alone drives blur2, and nothing gives it any";
        else
            EXPECT_GT(run.changed, 200);
        expectKindRule(c.kind, run);

        if (write) {
            ASSERT_TRUE(savePng(run.after, goldenPath(c.file)));
            continue;
        }
        // Every kind is compared, so one changed kind does not hide the others.
        TPicture golden;
        if (readPicture(goldenPath(c.file), golden) != PictureError::None) {
            ADD_FAILURE() << "cannot read " << goldenPath(c.file);
            continue;
        }
        EXPECT_TRUE(sameImage(golden.image, run.after));
    }
}

TEST(GoldenStroke, Blur2UnderTheOldEngineIsTheEvenMeanOfThreeByThreeWhereFullyCovered)
{
    PaperFixture f(96, 64, TPaintRoutine::legacy);
    paintLayer(f, bandPixel);
    prepareGoldenStroke(f.stroke, int(TBrushKind::blur2));
    const TStrokeRun run = runStroke(f, goldenInput());
    // Without pressure settings the old engine's blur2 lays coverage 32 under every disc of
    // radius 9, dabs three steps apart. A covered pixel (coverage ≥ 2) becomes opaque and
    // takes a weighted 3 × 3 mean; a fully covered one weighs the centre 32 − 31 = 1 like its
    // neighbours, so it is the plain truncated mean of the nine. Within 4.5 pixels of the
    // path every pixel is fully covered, even at the ends where the last dab may fall two
    // steps short.
    int32_t exact = 0;
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
        if (run.moved(x, y)) {
            ASSERT_EQ(channel(now, 3), 255u) << x << "," << y;
        }
        if (distanceToPath(run.path, x, y) > 4.5) return;
        uint32_t want = 0xFF000000u;
        for (int c = 0; c < 3; ++c) {
            uint32_t sum = 0;
            for (int32_t j = -1; j <= 1; ++j)
                for (int32_t i = -1; i <= 1; ++i)
                    sum += channel(run.before.pixel(x + i, y + j), c);
            want |= (sum / 9) << (8 * c);
        }
        ASSERT_EQ(now, want) << "at " << x << "," << y << " was " << std::hex << was;
        ++exact;
    });
    EXPECT_GT(exact, 500);
    expectWithinNeighbourhood(run, 1);
}

TEST(GoldenStroke, PenOnATransparentLayerPaintsOnlyThePenColour)
{
    PaperFixture f(96, 64);
    paintLayer(f, [](int32_t, int32_t) { return 0x00FFFFFFu; });
    prepareGoldenStroke(f.stroke, int(TBrushKind::pen));
    f.stroke.setIfTransparency(false); // full coverage wherever a disc covers a pixel
    const TStrokeRun run = runStroke(f, goldenInput());
    EXPECT_GT(run.changed, 500);
    EXPECT_LE(run.farthest, run.radius + 1.0);
    // The smallest radius is the pen's minimum size: near the path every pixel is covered.
    const double inner = kWidth * 0.75 - 1.5;
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t, uint32_t now) {
        if (channel(now, 3) != 0) {
            ASSERT_EQ(now & 0xFFFFFF, kPenColour) << x << "," << y;
        }
        if (distanceToPath(run.path, x, y) <= inner) {
            ASSERT_EQ(now, 0xFF000000u | kPenColour) << x << "," << y;
        }
    });
}

TEST(GoldenStroke, OneAirbrushDabIsSymmetricAndFallsLinearlyFromItsCentre)
{
    PaperFixture f(40, 40);
    paintLayer(f, [](int32_t, int32_t) { return 0x00FFFFFFu; });
    TStroke& s = f.stroke;
    s.resetToDefaults(int(TBrushKind::airbrush)); // profile 3: 255 × (1 − d / r)
    s.setKind(int(TBrushKind::airbrush));
    s.setWidth(6.0f);
    s.setColor(kPenColour);
    s.setIfSize(false);
    s.setIfTransparency(false);
    s.setOpacity(1.0f);
    // A move of less than a pixel: one step, one dab at the centre of pixel (20, 20).
    const TStrokeRun run = runStroke(f, {{20.0f, 20.0f, 1.0f}, {20.4f, 20.0f, 1.0f}});
    const int32_t cx = 20, cy = 20;
    EXPECT_EQ(run.after.pixel(cx, cy), 0xFF000000u | kPenColour); // full alpha at the centre
    // Three pixels out is half the radius: 255 × (1 − 1024/2047) ≈ 127.
    const uint32_t half = channel(run.after.pixel(cx + 3, cy), 3);
    EXPECT_GE(half, 126u);
    EXPECT_LE(half, 128u);
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t, uint32_t now) {
        const int32_t dx = x - cx, dy = y - cy;
        if (dx * dx + dy * dy >= 36) {
            ASSERT_EQ(channel(now, 3), 0u) << "outside the disc at " << x << "," << y;
            return;
        }
        ASSERT_EQ(now & 0xFFFFFF, kPenColour);
        // The same alpha mirrored in either axis and across the diagonal.
        const uint32_t a = channel(now, 3);
        ASSERT_EQ(channel(run.after.pixel(cx - dx, cy + dy), 3), a) << dx << "," << dy;
        ASSERT_EQ(channel(run.after.pixel(cx + dx, cy - dy), 3), a) << dx << "," << dy;
        ASSERT_EQ(channel(run.after.pixel(cx + dy, cy + dx), 3), a) << dx << "," << dy;
        // Falling with distance along each axis.
        if (dx > 0) {
            ASSERT_LE(a, channel(run.after.pixel(x - 1, y), 3)) << dx << "," << dy;
        }
    });
}

TEST(GoldenStroke, WatercolourMixesThePenColourWithWhatItPicksUp)
{
    constexpr uint32_t kPaper = 0xFF40A060u;
    for (float env : {0.0f, 100.0f}) {
        SCOPED_TRACE(env);
        PaperFixture f(96, 64);
        paintLayer(f, [](int32_t, int32_t) { return kPaper; });
        prepareGoldenStroke(f.stroke, int(TBrushKind::wc));
        f.stroke.setSpeed(0.0f); // the paint is the pen colour at once
        f.stroke.setEnv(env);    // …mixed with the picked-up colour by env × 2.55
        const TStrokeRun run = runStroke(f, goldenInput());
        if (env == 0.0f) {
            EXPECT_GT(run.changed, 500);
            EXPECT_LE(run.farthest, run.radius + 1.0);
            expectPaintedTowards(run, kPenColour);
        } else {
            // All it picks up is the paper's own colour, so it paints that.
            EXPECT_EQ(run.changed, 0);
        }
    }
}

TEST(GoldenStroke, RubpenDragsTheColourItStartsOnAlongTheStroke)
{
    // Left half one colour, right half another; a stroke from left to right along the middle.
    constexpr uint32_t kLeft = 0xFF2080E0u, kRight = 0xFFE06010u;
    PaperFixture f(96, 48);
    paintLayer(f, [](int32_t x, int32_t) { return x < 48 ? kLeft : kRight; });
    TStroke& s = f.stroke;
    s.resetToDefaults(int(TBrushKind::rubpen));
    s.setKind(int(TBrushKind::rubpen));
    s.setWidth(kWidth);
    s.setColor(kPenColour); // a smudge never paints with it
    std::vector<TInputPoint> points;
    for (int i = 0; i <= 30; ++i)
        points.push_back({20.0f + 2.0f * float(i), 24.0f, 1.0f});
    const TStrokeRun run = runStroke(f, points);
    EXPECT_LE(run.farthest, run.radius + 1.0);
    int32_t carried = 0;
    forEachPixel(run, [&](int32_t x, int32_t y, uint32_t was, uint32_t now) {
        ASSERT_EQ(channel(now, 3), 255u) << x << "," << y;
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(between(channel(now, i), channel(kLeft, i), channel(kRight, i)))
                << "channel " << i << " at " << x << "," << y;
        // Left of the edge, far from it, the tips hold only the left colour.
        if (x < 48 - int32_t(kWidth) - 4) {
            ASSERT_EQ(now, kLeft) << x << "," << y;
        }
        carried += was == kRight && now != kRight;
    });
    EXPECT_GT(carried, 100) << "the left colour is carried over the edge";
}

} // namespace qm::test
