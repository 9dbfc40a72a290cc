// The ants' edge lists and drawing against plain references: extraction pixel by pixel with
// the edge rules, drawing by walking every point of every list.
#include "select/ant_points.h"

#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

using namespace qm;

namespace {

uint32_t nextRandom(uint32_t& state)
{
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// Blobs (a few discs) with holes and specks, so that lines hold several runs of all lengths
// and runs touch every border.
TChannel blobChannel(int32_t w, int32_t h, uint32_t seed, int32_t specklePerMille)
{
    TChannel c(w, h);
    uint32_t state = seed;
    struct Disc {
        int32_t x, y, r;
    };
    std::vector<Disc> discs;
    for (int i = 0; i < 6; ++i)
        discs.push_back({int32_t(nextRandom(state) % uint32_t(w)),
                         int32_t(nextRandom(state) % uint32_t(h)),
                         1 + int32_t(nextRandom(state) % uint32_t(std::max(w, h) / 3 + 1))});
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            bool in = false;
            for (const Disc& d : discs)
                in |= (x - d.x) * (x - d.x) + (y - d.y) * (y - d.y) <= d.r * d.r;
            if (int32_t(nextRandom(state) % 1000) < specklePerMille) in = !in;
            c.row(y)[x] = in ? uint8_t(1 + nextRandom(state) % 255) : 0;
        }
    return c;
}

// The edge rules as written: every pixel compared with its left (upper) neighbour, outside
// counting as 0.
struct ReferenceEdges {
    std::vector<TPoint> left, right, top, bottom;
};

ReferenceEdges referenceEdges(const TChannel& c)
{
    ReferenceEdges e;
    const int32_t w = c.width(), h = c.height();
    const auto in = [&](int32_t x, int32_t y) {
        return x >= 0 && y >= 0 && x < w && y < h && c.row(y)[x] != 0;
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x <= w; ++x) {
            if (in(x, y) && !in(x - 1, y)) e.left.push_back({x, y});
            if (x >= 1 && in(x - 1, y) && !in(x, y)) e.right.push_back({x, y});
        }
    for (int32_t x = 0; x < w; ++x)
        for (int32_t y = 0; y <= h; ++y) {
            if (in(x, y) && !in(x, y - 1)) e.top.push_back({x, y});
            if (y >= 1 && in(x, y - 1) && !in(x, y)) e.bottom.push_back({x, y});
        }
    return e;
}

void expectSameList(const CPointList& list, const std::vector<TPoint>& expected, const char* name)
{
    ASSERT_EQ(list.size(), int32_t(expected.size())) << name;
    for (int32_t i = 0; i < list.size(); ++i)
        ASSERT_EQ(list.at(i), expected[size_t(i)]) << name << " point " << i;
}

// The drawing rule walking every point, one pixel at a time, bounds-checked.
template <typename ToView>
void referenceDraw(const CAntPoints& ants, TMTC& surface, TBox clip, const TAntsView& view,
                   ToView toView)
{
    if (!ants.HasAnts()) return;
    const int32_t z = view.scale;
    const int32_t run = z > 0xFFFF ? (z + 40960) >> 16 : 1;
    const int32_t shift = z < 65536 ? 1 : -1;
    const auto drawList = [&](const CPointList& list, bool alongY, int32_t sx, int32_t sy) {
        for (int32_t i = 0; i < list.size(); ++i) {
            const TPoint p = list.at(i);
            const TPointF v = toView(float(p.x), float(p.y));
            int32_t x = int32_t(v.x + 0.01f) + ants.offset.x;
            int32_t y = int32_t(v.y + 0.01f) + ants.offset.y;
            if (x < clip.x || y < clip.y || x >= clip.x + clip.width || y >= clip.y + clip.height)
                continue;
            x += sx * shift;
            y += sy * shift;
            const int64_t stepX = alongY ? view.sine : view.cosine;
            const int64_t stepY = alongY ? view.cosine : -view.sine;
            for (int32_t k = 0; k < run; ++k) {
                const int64_t ax = int64_t(x) * 65536 + int64_t(k) * stepX;
                const int64_t ay = int64_t(y) * 65536 + int64_t(k) * stepY;
                const int32_t px = int32_t((ax + 0x6000) / 0x10000);
                const int32_t py = int32_t((ay + 0x6000) / 0x10000);
                if (!surface.contains(px, py)) continue;
                const uint32_t bit = 0x80u >> ((px + py) % 8 + 8) % 8;
                surface.row(py)[px] = (bit & ants.pattern) ? 0xFF000000u : 0xFFFFFFFFu;
            }
        }
    };
    drawList(ants.left, true, 0, 0);
    drawList(ants.top, false, 0, 0);
    drawList(ants.right, true, 1, 0);
    drawList(ants.bottom, false, 0, 1);
}

// A drawing window's view the way a paper computes it: zoom about a scroll position, or
// rotation about a centre and zoom, then the window's middle.
struct TestView {
    float scale = 1.0f;
    float degrees = 0.0f;
    float scrollX = 0.0f, scrollY = 0.0f; // paper point at the window's origin (unrotated)
    float centreX = 0.0f, centreY = 0.0f; // paper point at the window's middle (rotated)
    int32_t windowWidth = 0, windowHeight = 0;

    TPointF operator()(float x, float y) const
    {
        if (degrees == 0.0f) return {(x - scrollX) * scale, (y - scrollY) * scale};
        const float r = degrees * 3.14159265358979f / 180.0f;
        const float s = std::sin(r), c = std::cos(r);
        const float dx = x - centreX, dy = y - centreY;
        return {(c * dx + s * dy) * scale + float(windowWidth / 2),
                (c * dy - s * dx) * scale + float(windowHeight / 2)};
    }
    TAntsView antsView() const
    {
        const float r = degrees * 3.14159265358979f / 180.0f;
        return {int32_t(scale * 65536.0f), int32_t(std::sin(r) * 65536.0f),
                int32_t(std::cos(r) * 65536.0f)};
    }
};

// Counts the pixels that differ and reports the first.
::testing::AssertionResult sameSurface(const TMTC& a, const TMTC& b)
{
    int64_t differing = 0;
    TPoint first{-1, -1};
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y) && differing++ == 0) first = {x, y};
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << differing << " pixels differ, the first at (" << first.x << ", " << first.y << ")";
}

int64_t drawnPixels(const TMTC& surface, uint32_t background)
{
    int64_t n = 0;
    for (int32_t y = 0; y < surface.height(); ++y)
        for (int32_t x = 0; x < surface.width(); ++x)
            n += surface.pixel(x, y) != background;
    return n;
}

} // namespace

TEST(AntPoints, ExtractionMatchesTheEdgeRulesOnEveryShape)
{
    struct Case {
        int32_t w, h, speckle;
    };
    // Single lines, sizes on both sides of the word, strip and transpose block sizes, and
    // channels from empty-ish to nearly full of single pixels.
    const Case cases[] = {{1, 1, 500},  {1, 37, 400}, {37, 1, 400}, {7, 9, 0},      {8, 8, 1000},
                          {63, 65, 30}, {64, 64, 0},  {65, 129, 5}, {130, 77, 250}, {200, 3, 100}};
    uint32_t seed = 1;
    for (const Case& c : cases) {
        const TChannel channel = blobChannel(c.w, c.h, seed++, c.speckle);
        CAntPoints ants;
        ants.extract(channel);
        const ReferenceEdges e = referenceEdges(channel);
        SCOPED_TRACE(::testing::Message() << c.w << " x " << c.h);
        expectSameList(ants.left, e.left, "left");
        expectSameList(ants.right, e.right, "right");
        expectSameList(ants.top, e.top, "top");
        expectSameList(ants.bottom, e.bottom, "bottom");
        EXPECT_TRUE(ants.indexed());
    }
}

TEST(AntPoints, FullAndEmptyChannels)
{
    // One run per row and per column, ending at the far edge (a whole number of words).
    TChannel full(128, 64);
    fillAll(full, 255);
    CAntPoints ants;
    ants.extract(full);
    ASSERT_EQ(ants.left.size(), 64);
    ASSERT_EQ(ants.top.size(), 128);
    EXPECT_EQ(ants.right.at(63), (TPoint{128, 63}));
    EXPECT_EQ(ants.bottom.at(127), (TPoint{127, 64}));

    TChannel empty(70, 5);
    fillAll(empty, 0);
    ants.extract(empty);
    EXPECT_FALSE(ants.HasAnts());
    ants.extract(TChannel());
    EXPECT_FALSE(ants.HasAnts());
}

TEST(AntPoints, DrawingMatchesWalkingEveryPoint)
{
    const TChannel channel = blobChannel(300, 220, 77, 40);
    CAntPoints ants;
    ants.extract(channel);
    ASSERT_TRUE(ants.HasAnts());

    const int32_t sw = 260, sh = 190;
    const float scales[] = {0.06001f, 0.25f, 0.5f, 0.666f, 1.0f, 1.5f, 2.0f, 4.0f, 8.0f};
    const float angles[] = {0.0f, 30.0f, -45.0f, 90.0f, 180.0f, 7.5f};
    const TBox clips[] = {
        {0, 0, sw, sh}, {13, 7, 101, 66}, {-20, -30, sw + 60, sh + 70}, {200, 150, 1, 1}};
    const TPoint offsets[] = {{0, 0}, {-37, 11}};
    uint32_t state = 5;
    int64_t drawn = 0;
    TMTC fast(sw, sh), slow(sw, sh);
    for (float scale : scales)
        for (float degrees : angles)
            for (const TBox& clip : clips)
                for (TPoint offset : offsets) {
                    TestView view;
                    view.scale = scale;
                    view.degrees = degrees;
                    view.scrollX = float(int32_t(nextRandom(state) % 300) - 60);
                    view.scrollY = float(int32_t(nextRandom(state) % 220) - 40);
                    view.centreX = float(nextRandom(state) % 300) + 0.5f;
                    view.centreY = float(nextRandom(state) % 220);
                    view.windowWidth = sw;
                    view.windowHeight = sh;
                    ants.offset = offset;
                    ants.step();
                    fillAll(fast, 0x12345678u);
                    fillAll(slow, 0x12345678u);
                    drawAnts(ants, fast, clip, view.antsView(), view);
                    referenceDraw(ants, slow, clip, view.antsView(), view);
                    ASSERT_TRUE(sameSurface(fast, slow))
                        << "scale " << scale << ", " << degrees << " degrees, clip " << clip.x
                        << ", " << clip.y << " " << clip.width << " x " << clip.height
                        << ", offset " << offset.x << ", " << offset.y;
                    drawn += drawnPixels(slow, 0x12345678u);
                }
    EXPECT_GT(drawn, 100000); // the cases do draw, and not only at their edges
}

TEST(AntPoints, DrawingIntoAnyStrideTouchesOnlyTheSurface)
{
    const TChannel channel = blobChannel(120, 90, 3, 20);
    CAntPoints ants;
    ants.extract(channel);
    const TestView view{2.0f, 30.0f, 0.0f, 0.0f, 60.0f, 45.0f, 100, 80};

    TMTC expected(100, 80);
    fillAll(expected, 0);
    referenceDraw(ants, expected, TBox{-50, -50, 300, 300}, view.antsView(), view);

    // The surface is a window of a wider buffer, and stored bottom-up.
    const int32_t stride = 117;
    std::vector<uint32_t> buffer(size_t(stride) * 82, 0xABCDEF01u);
    TAntsSurface surface{buffer.data() + size_t(stride) * 80 + 5, -stride, 100, 80};
    for (int32_t y = 0; y < 80; ++y)
        std::fill_n(&surface.at(0, y), 100, 0u);
    drawAnts(ants, surface, TBox{-50, -50, 300, 300}, view.antsView(), view);
    int64_t untouched = 0;
    for (int32_t y = 0; y < 80; ++y)
        for (int32_t x = 0; x < 100; ++x)
            ASSERT_EQ(surface.at(x, y), expected.pixel(x, y)) << x << ", " << y;
    for (uint32_t v : buffer)
        untouched += v == 0xABCDEF01u;
    EXPECT_EQ(untouched, int64_t(buffer.size()) - 100 * 80);

    // A bottom-up colour image is drawn the same as a top-down one.
    TTC picture(100, 80);
    fillAll(picture, 0);
    drawAnts(ants, picture, TBox{-50, -50, 300, 300}, view.antsView(), view);
    EXPECT_TRUE(sameSurface(picture, expected));
}

TEST(AntPoints, OtherTransformsAndHandBuiltListsDrawEveryPoint)
{
    const TChannel channel = blobChannel(150, 100, 9, 30);
    CAntPoints ants;
    ants.extract(channel);
    const TAntsView view{};
    TMTC fast(160, 110), slow(160, 110);

    // A warp is not affine: nothing may be skipped by its mapped-back clip box.
    const auto warp = [](float x, float y) { return TPointF{x + 0.004f * y * y, y + 0.1f * x}; };
    fillAll(fast, 0);
    fillAll(slow, 0);
    drawAnts(ants, fast, TBox{10, 10, 120, 80}, view, warp);
    referenceDraw(ants, slow, TBox{10, 10, 120, 80}, view, warp);
    EXPECT_TRUE(sameSurface(fast, slow));
    EXPECT_GT(drawnPixels(slow, 0), 500);

    // Points appended after extraction are drawn too, wherever they lie in the lists.
    ants.left.append(155, 3);
    ants.bottom.append(2, 105);
    EXPECT_FALSE(ants.indexed());
    const auto identity = [](float x, float y) { return TPointF{x, y}; };
    fillAll(fast, 0);
    fillAll(slow, 0);
    drawAnts(ants, fast, TBox{0, 0, 160, 110}, view, identity);
    referenceDraw(ants, slow, TBox{0, 0, 160, 110}, view, identity);
    EXPECT_TRUE(sameSurface(fast, slow));
    EXPECT_NE(fast.pixel(155, 3), 0u);
    EXPECT_NE(fast.pixel(2, 104), 0u); // a bottom edge shifts up by one at scale 1
}

TEST(AntPoints, ChannelsBeyondTheIndexExtentAndViewsFarAway)
{
    // Coordinates past 16 bits are not indexed; the lists are still drawn in full.
    TChannel wide(70000, 2);
    fillAll(wide, 0);
    for (int32_t x : {3, 4, 65534, 65535, 65536, 69999})
        wide.row(1)[x] = 255;
    CAntPoints ants;
    ants.extract(wide);
    EXPECT_FALSE(ants.indexed());
    const auto shifted = [](float x, float y) { return TPointF{x - 65530.0f, y + 5.0f}; };
    TMTC fast(20, 10), slow(20, 10);
    fillAll(fast, 0);
    fillAll(slow, 0);
    drawAnts(ants, fast, TBox{0, 0, 20, 10}, TAntsView{}, shifted);
    referenceDraw(ants, slow, TBox{0, 0, 20, 10}, TAntsView{}, shifted);
    EXPECT_TRUE(sameSurface(fast, slow));
    EXPECT_NE(slow.pixel(4, 6), 0u);

    // A view scrolled far past the paper, or a clip box far outside the surface, draws nothing.
    const TChannel channel = blobChannel(100, 100, 4, 10);
    ants.extract(channel);
    fillAll(fast, 0);
    drawAnts(ants, fast, TBox{0, 0, 20, 10}, TAntsView{}, [](float x, float y) {
        return TPointF{x + 100000.0f, y};
    });
    drawAnts(ants, fast, TBox{-5000, -5000, 100, 100}, TAntsView{}, [](float x, float y) {
        return TPointF{x, y};
    });
    EXPECT_EQ(drawnPixels(fast, 0), 0);
}

TEST(AntPoints, LineIndexNeverSkipsAPointThatCanBeSeen)
{
    // Three lines: an empty one, a long one, a short one.
    const int32_t extent = 700;
    TLineIndex index;
    index.reset(3, extent);
    EXPECT_FALSE(index.complete());
    uint32_t state = 3;
    std::vector<int32_t> lineBegin;
    for (int32_t line = 0; line < 3; ++line) {
        lineBegin.push_back(index.size());
        index.beginLine(line);
        const int32_t count = line == 0 ? 0 : line == 1 ? 1500 : 7;
        std::vector<int32_t> along;
        for (int32_t i = 0; i < count; ++i)
            along.push_back(int32_t(nextRandom(state) % uint32_t(extent + 1)));
        along.push_back(extent); // the far end is a coordinate too
        std::sort(along.begin(), along.end());
        for (int32_t a : along)
            index.point(a);
        index.endLine();
    }
    lineBegin.push_back(index.size());
    EXPECT_TRUE(index.complete());
    EXPECT_EQ(index.size(), 1510);
    for (int32_t line = 0; line < 3; ++line) {
        EXPECT_EQ(index.lineEnd(line), lineBegin[size_t(line) + 1]);
        for (int32_t v = -5; v <= extent + 200; ++v) {
            // Nothing at or past v lies before startFor, nothing at or before v past endFor.
            const int32_t start = index.startFor(line, v), end = index.endFor(line, v);
            ASSERT_GE(start, lineBegin[size_t(line)]);
            ASSERT_LE(end, index.lineEnd(line));
            for (int32_t i = lineBegin[size_t(line)]; i < start; ++i)
                ASSERT_LT(index.along()[i], v) << "line " << line << ", from " << v;
            for (int32_t i = end; i < index.lineEnd(line); ++i)
                ASSERT_GT(index.along()[i], v) << "line " << line << ", to " << v;
        }
    }
}
