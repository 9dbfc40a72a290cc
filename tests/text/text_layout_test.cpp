// The rasteriser's layout and pixel arithmetic, against hand-made glyphs: line breaks, advances,
// blanks, missing glyphs, synthetic bold, the vertical quarter turn, accumulation of
// overlapping glyphs and clipping. Expected pixels are worked out by hand from the documented
// rules (levels become v × 255 >> 6; each pixel is laid on as Lerp255(255, c, g)).
#include "fake_glyphs.h"
#include "text/text_raster.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

namespace qm {

namespace {

using test::CFakeGlyphs;
using test::makeGlyph;

// 'A': a 2 × 2 block of full level whose top lies 2 above the pen; advance 3.
// 'H': the same at half level (32 → 127). 'G': one row [64, 0, 32]. ' ': blank, advance 4.
CFakeGlyphs standardGlyphs()
{
    CFakeGlyphs f;
    f.glyphs['A'] = makeGlyph({{64, 64}, {64, 64}}, 0, 2, 3);
    f.glyphs['H'] = makeGlyph({{32, 32}, {32, 32}}, 0, 2, 3);
    f.glyphs['G'] = makeGlyph({{64, 0, 32}}, 1, 1, 5);
    f.glyphs[' '] = TGlyphBitmap{0, 0, 0, 0, 4, 0, {}};
    return f;
}

struct TRun {
    TChannel channel{40, 40};
    int32_t count = 0;
    TRect bounds;
    uint8_t at(int32_t x, int32_t y) const { return channel.row(y)[x]; }
};

TRun run(CFakeGlyphs& glyphs, const std::string& text, int32_t x = 5, int32_t y = 10,
         int32_t spacing = 0, int32_t leading = 0, bool bold = false)
{
    TRun r;
    TTextRequest request;
    request.font = {"Fake", 12, 0, false, bold};
    request.text = text;
    request.target = &r.channel;
    request.originX = x;
    request.originY = y;
    request.spacing = spacing;
    request.leading = leading;
    request.glyphs = &glyphs;
    r.count = rasteriseText(request);
    r.bounds = request.bounds;
    return r;
}

// The non-zero pixels as (x, y, value) triples, row by row.
std::vector<std::array<int32_t, 3>> inked(const TRun& r)
{
    std::vector<std::array<int32_t, 3>> out;
    for (int32_t y = 0; y < r.channel.height(); ++y)
        for (int32_t x = 0; x < r.channel.width(); ++x)
            if (r.at(x, y) != 0) out.push_back({x, y, r.at(x, y)});
    return out;
}

using Pixels = std::vector<std::array<int32_t, 3>>;

} // namespace

TEST(TextLayout, GlyphSitsOnThePenAndAdvances)
{
    CFakeGlyphs f = standardGlyphs();
    // Pen (5, 10): the block's top is 2 above the pen, so rows 8 and 9; the second glyph 3 on.
    const TRun r = run(f, "AA");
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(inked(r), (Pixels{{5, 8, 255},
                                {6, 8, 255},
                                {8, 8, 255},
                                {9, 8, 255},
                                {5, 9, 255},
                                {6, 9, 255},
                                {8, 9, 255},
                                {9, 9, 255}}));
    EXPECT_EQ(r.bounds, (TRect{5, 8, 10, 10}));
}

TEST(TextLayout, LevelsScaleAndRowPaddingIsIgnored)
{
    CFakeGlyphs f;
    // Width 3 has a pitch of 4: the pad byte (64 here) must never be drawn.
    f.glyphs['L'] = makeGlyph({{1, 63, 64}, {32, 0, 2}}, 0, 0, 4, 0, 64);
    const TRun r = run(f, "L", 2, 3);
    // 1 × 255 >> 6 = 3, 63 × 255 >> 6 = 251, 32 → 127, 2 → 7.
    EXPECT_EQ(inked(r), (Pixels{{2, 3, 3}, {3, 3, 251}, {4, 3, 255}, {2, 4, 127}, {4, 4, 7}}));
}

TEST(TextLayout, CarriageReturnStartsANewLineOneLineHeightDown)
{
    CFakeGlyphs f = standardGlyphs();
    // Line height = text height 10 + external leading 2 + leading 3 = 15.
    const TRun r = run(f, "A\r\nA", 5, 10, 0, 3);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.bounds, (TRect{5, 8, 7, 25}));
    EXPECT_EQ(r.at(5, 23), 255);
    EXPECT_EQ(r.at(6, 24), 255);
    EXPECT_EQ(r.at(5, 22), 0);

    // A carriage return alone breaks the line too; a line feed right after it is no second
    // break, and two returns give two breaks.
    EXPECT_EQ(inked(run(f, "A\rA", 5, 10, 0, 3)), inked(r));
    const TRun two = run(f, "A\r\r\nA", 5, 1);
    // The first glyph's top row (y = −1) is off the channel; the second sits 2 × 12 lower.
    EXPECT_EQ(two.bounds, (TRect{5, 0, 7, 25}));
    EXPECT_EQ(two.at(5, 23), 255);
}

TEST(TextLayout, TrailingLineBreaksAndBlanksDrawNothingMore)
{
    CFakeGlyphs f = standardGlyphs();
    const TRun plain = run(f, "A");
    const TRun trailing = run(f, "A\r\n");
    EXPECT_EQ(trailing.count, 1);
    EXPECT_EQ(trailing.bounds, plain.bounds);
    EXPECT_EQ(inked(trailing), inked(plain));

    for (const std::string& text :
         {std::string(), std::string("   "), std::string("\r\n\r\n"), std::string("?\n ")}) {
        const TRun r = run(f, text);
        EXPECT_EQ(r.count, 0) << text;
        EXPECT_TRUE(r.bounds.isEmpty()) << text;
        EXPECT_TRUE(inked(r).empty()) << text;
    }
}

TEST(TextLayout, BlanksAdvanceAndMissingGlyphsDoNot)
{
    CFakeGlyphs f = standardGlyphs();
    // The blank moves the pen 4, the character without a glyph ('?') not at all, and neither
    // counts as drawn; a lone line feed is a character without a glyph.
    const TRun r = run(f, "A ?\nA");
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(r.bounds, (TRect{5, 8, 14, 10}));
    EXPECT_EQ(r.at(12, 8), 255);
    EXPECT_EQ(r.at(11, 8), 0);
    // Invalid UTF-8 bytes are left out as if absent.
    EXPECT_EQ(inked(run(f, "A\xFF\xE3 A")), inked(run(f, "A A")));
}

TEST(TextLayout, SpacingMovesEveryAdvanceAndOverlapsAccumulate)
{
    CFakeGlyphs f = standardGlyphs();
    EXPECT_EQ(run(f, "AA", 5, 10, 2).bounds, (TRect{5, 8, 12, 10}));
    // Spacing −3 puts both half-level glyphs on the same pixels:
    // 127 first, then Lerp255(255, 127, 127) = (255·127·32897 + 127·(8388735 − 127·32897)) >> 23
    // = 1600142977 >> 23 = 190.
    const TRun r = run(f, "HH", 5, 10, -3);
    EXPECT_EQ(r.count, 2);
    EXPECT_EQ(inked(r), (Pixels{{5, 8, 190}, {6, 8, 190}, {5, 9, 190}, {6, 9, 190}}));
    // A third lays on 190: (255·127·32897 + 190·4210816) >> 23 = 222.
    EXPECT_EQ(run(f, "HHH", 5, 10, -3).at(5, 8), 222);
    // Negative spacing also applies after blanks.
    // (A at 5, then 3 − 4 and 4 − 4: the second A at 4.)
    EXPECT_EQ(run(f, "A A", 5, 10, -4).bounds, (TRect{4, 8, 7, 10}));
}

TEST(TextLayout, BoldWidensEveryGlyphByOneColumnAndOnePixelOfAdvance)
{
    CFakeGlyphs f = standardGlyphs();
    // [64, 0, 32] → [255, 0, 127]; thickened each pixel is also laid to its right keeping the
    // larger: [255, max(0, 255), max(127, 0), 127] = [255, 255, 127, 127].
    const TRun g = run(f, "G", 5, 10, 0, 0, true);
    EXPECT_EQ(inked(g), (Pixels{{6, 9, 255}, {7, 9, 255}, {8, 9, 127}, {9, 9, 127}}));

    const TRun regular = run(f, "AAA");
    const TRun bold = run(f, "AAA", 5, 10, 0, 0, true);
    EXPECT_EQ(regular.bounds.width() + 3, bold.bounds.width());
    // Each glyph moves one further per glyph before it: x = 5, 9, 13, each 3 wide.
    EXPECT_EQ(bold.bounds, (TRect{5, 8, 16, 10}));
    EXPECT_EQ(bold.at(8, 8), 0);
    EXPECT_EQ(bold.at(9, 8), 255);
    // Blanks do not grow.
    EXPECT_EQ(run(f, "A A", 5, 10, 0, 0, true).bounds, (TRect{5, 8, 16, 10}));
}

TEST(TextLayout, VerticalGlyphsAreTurnedAndLinesAdvanceLeft)
{
    CFakeGlyphs f;
    f.isVertical = true;
    // A side-lying glyph 3 wide, 2 high, levels 4 … 24 so each pixel is recognisable.
    f.glyphs['V'] = makeGlyph({{4, 8, 12}, {16, 20, 24}}, 5, 7, 6);
    // Pen (20, 10): left = 20 + 7 − 2 = 25, top = 10 + 5 = 15; the top row becomes the right
    // column, its first pixel at the top: (26, 15..17) = 15, 31, 47; (25, 15..17) = 63, 79, 95.
    const TRun r = run(f, "V", 20, 10);
    EXPECT_EQ(
        inked(r),
        (Pixels{
            {25, 15, 63}, {26, 15, 15}, {25, 16, 79}, {26, 16, 31}, {25, 17, 95}, {26, 17, 47}}));
    EXPECT_EQ(r.bounds, (TRect{25, 15, 27, 18}));

    // The advance runs down the column; spacing applies to it.
    EXPECT_EQ(run(f, "VV", 20, 10, 1).bounds, (TRect{25, 15, 27, 25}));
    // A new line moves left by the line height (10 + 2 + 4).
    const TRun lines = run(f, "V\r\nV", 20, 10, 0, 4);
    EXPECT_EQ(lines.bounds, (TRect{9, 15, 27, 18}));
    EXPECT_EQ(lines.at(10, 15), 15);
    // Bold widens the side-lying glyph, which is one row longer on the paper.
    EXPECT_EQ(run(f, "VV", 20, 10, 0, 0, true).bounds, (TRect{25, 15, 27, 26}));
}

TEST(TextLayout, CellIncrementAcrossTheLineTakesTheLeading)
{
    CFakeGlyphs f;
    f.glyphs['D'] = makeGlyph({{64}}, 0, 0, 2, 3); // moves 2 along and 3 across
    const TRun r = run(f, "DD", 5, 5, 0, 1);
    EXPECT_EQ(inked(r), (Pixels{{5, 5, 255}, {7, 9, 255}}));
}

TEST(TextLayout, ClippedGlyphsBoundOnlyWhatIsDrawn)
{
    CFakeGlyphs f = standardGlyphs();
    // Half of the first glyph lies left of the channel, the last wholly right of it.
    const TRun r = run(f, "AAAAAAAAAAAAAAA", -1, 10);
    EXPECT_EQ(r.bounds, (TRect{0, 8, 40, 10}));
    EXPECT_EQ(r.count, 14); // x = −1, 2, …, 38: the glyph at 41 is off the channel
    // Nothing on the channel: nothing drawn, no bounds.
    const TRun off = run(f, "AA", 5, 100);
    EXPECT_EQ(off.count, 0);
    EXPECT_TRUE(off.bounds.isEmpty());
    // Huge spacing and leading neither crash nor wrap around onto the channel.
    const TRun huge = run(f, "AAA\r\nAAA", 5, 10, INT32_MAX, INT32_MAX);
    EXPECT_EQ(huge.count, 1);
    const TRun negative = run(f, "AAA\r\nAAA", 5, 10, INT32_MIN, INT32_MIN);
    EXPECT_EQ(negative.count, 1);
}

TEST(TextLayout, ChannelIsClearedAndFailuresLeaveItAlone)
{
    CFakeGlyphs f = standardGlyphs();
    TChannel channel(8, 8);
    for (int32_t y = 0; y < 8; ++y)
        std::memset(channel.row(y), 9, 8);
    TTextRequest request;
    request.text = "A";
    request.target = &channel;
    request.glyphs = &f;
    request.originX = 1;
    request.originY = 3;
    EXPECT_EQ(rasteriseText(request), 1);
    EXPECT_EQ(channel.row(7)[7], 0);
    EXPECT_EQ(channel.row(1)[1], 255);

    // Metrics that cannot be had: −1, nothing drawn, the channel untouched.
    f.metricsAvailable = false;
    channel.row(0)[0] = 77;
    EXPECT_EQ(rasteriseText(request), -1);
    EXPECT_EQ(channel.row(0)[0], 77);
    EXPECT_TRUE(request.bounds.isEmpty());

    request.target = nullptr;
    EXPECT_EQ(rasteriseText(request), -1);
}

} // namespace qm
