// The text rasteriser with the installed fonts: Japanese in both directions, the vertical
// quarter turn checked against the horizontal rendering of the same glyph, the face's vertical
// forms, synthetic italic and bold, and accumulation, each checked against a reference worked
// out here rather than by the code under test.
#include "text/freetype_glyph.h"
#include "text/glyph_source_cache.h"
#include "text/text_raster.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace qm {

namespace {

const TFontRecord kGothic{"IPAGothic", 24, 128, false, false};
const TFontRecord kGothicVertical{"@IPAGothic", 24, 128, false, false};
const TFontRecord kLatin{"DejaVu Sans", 24, 0, false, false};

// A rendered text and the crop of what it drew.
struct TRendered {
    int32_t count = 0;
    TRect bounds;
    TChannel channel;
    std::vector<std::vector<uint8_t>> crop; // rows of the bounding box

    uint8_t at(int32_t x, int32_t y) const { return channel.row(y)[x]; }
};

TRendered render(const TFontRecord& font, const std::string& text, int32_t x = 100, int32_t y = 100,
                 int32_t spacing = 0, int32_t leading = 0)
{
    TRendered r;
    r.channel.Resize(400, 400);
    TTextRequest request;
    request.font = font;
    request.text = text;
    request.target = &r.channel;
    request.originX = x;
    request.originY = y;
    request.spacing = spacing;
    request.leading = leading;
    r.count = rasteriseText(request);
    r.bounds = request.bounds;
    for (int32_t row = r.bounds.top; row < r.bounds.bottom; ++row)
        r.crop.emplace_back(r.channel.row(row) + r.bounds.left,
                            r.channel.row(row) + r.bounds.right);
    return r;
}

// The crop turned a quarter turn clockwise: the bottom row becomes the first column.
std::vector<std::vector<uint8_t>> turnedClockwise(const std::vector<std::vector<uint8_t>>& rows)
{
    if (rows.empty()) return {};
    const size_t h = rows.size(), w = rows[0].size();
    std::vector<std::vector<uint8_t>> out(w, std::vector<uint8_t>(h));
    for (size_t y = 0; y < h; ++y)
        for (size_t x = 0; x < w; ++x)
            out[x][h - 1 - y] = rows[y][x];
    return out;
}

// The mean column of the ink in one row of a glyph's levels (−1 when the row is empty).
double inkCentre(const TGlyphBitmap& g, int32_t row)
{
    double sum = 0, weight = 0;
    for (int32_t x = 0; x < g.blackBoxX; ++x) {
        const uint8_t v = g.levels[size_t(row) * size_t(g.pitch()) + size_t(x)];
        sum += double(x) * v;
        weight += v;
    }
    return weight > 0 ? sum / weight : -1;
}

} // namespace

TEST(FontRender, FacesAreFoundAndGlyphsHaveSixtyFiveLevels)
{
    auto source = CFreeTypeGlyph::open(kGothic);
    ASSERT_NE(source, nullptr);
    // The file may be reached through a link.
    EXPECT_NE(std::filesystem::canonical(source->fontFile()).string().find("ipag"),
              std::string::npos)
        << source->fontFile();
    TTextMetrics metrics;
    ASSERT_TRUE(source->textMetrics(metrics));
    // A 32-pixel em: the body is about the em, never less than most of it.
    EXPECT_GE(metrics.textHeight, 28);
    EXPECT_LE(metrics.textHeight, 48);
    EXPECT_GE(metrics.externalLeading, 0);

    const TGlyphBitmap* a = source->glyph(U'あ');
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->levels.size(), size_t(a->pitch()) * size_t(a->blackBoxY));
    bool full = false, partial = false;
    for (uint8_t v : a->levels) {
        EXPECT_LE(v, 64);
        full |= v == 64;
        partial |= v > 0 && v < 64;
    }
    EXPECT_TRUE(full);
    EXPECT_TRUE(partial);       // anti-aliased
    EXPECT_EQ(a->cellIncX, 32); // full width: one em
    EXPECT_EQ(a->cellIncY, 0);

    const TGlyphBitmap* space = source->glyph(U' ');
    ASSERT_NE(space, nullptr);
    EXPECT_TRUE(space->levels.empty());
    EXPECT_GT(space->cellIncX, 0);
    EXPECT_EQ(source->glyph(U'\t'), nullptr);
    EXPECT_EQ(source->glyph(0x10FFFD), nullptr); // not in the face

    EXPECT_EQ(CFreeTypeGlyph::open({"IPAGothic", 0, 0, false, false}), nullptr);
    EXPECT_EQ(CFreeTypeGlyph::open({"IPAGothic", 100000, 0, false, false}), nullptr);
}

TEST(FontRender, JapaneseHorizontalTextSitsOnItsBaseline)
{
    const TRendered r = render(kGothic, "日本語のテキスト", 20, 100);
    EXPECT_EQ(r.count, 8);
    // Eight full-width characters of 32 pixels.
    EXPECT_GT(r.bounds.width(), 7 * 32);
    EXPECT_LE(r.bounds.width(), 8 * 32);
    EXPECT_LT(r.bounds.top, 100 - 20);
    EXPECT_LE(r.bounds.bottom, 100 + 10);
    EXPECT_GE(r.bounds.left, 20);
}

TEST(FontRender, VerticalTextRunsDownAndLinesGoLeft)
{
    const TRendered r = render(kGothicVertical, "日本語", 200, 20);
    EXPECT_EQ(r.count, 3);
    EXPECT_GT(r.bounds.height(), 2 * 32);
    EXPECT_LT(r.bounds.width(), 36);
    EXPECT_GE(r.bounds.top, 20);

    auto source = CFreeTypeGlyph::open(kGothicVertical);
    ASSERT_NE(source, nullptr);
    TTextMetrics m;
    ASSERT_TRUE(source->textMetrics(m));
    const int32_t lineHeight = m.textHeight + m.externalLeading + 5;
    // The second line is the first one moved left by the line height.
    const TRendered second = render(kGothicVertical, "日\r\n本", 200, 20, 0, 5);
    const TRendered alone = render(kGothicVertical, "本", 200 - lineHeight, 20);
    ASSERT_EQ(second.count, 2);
    for (int32_t y = alone.bounds.top; y < alone.bounds.bottom; ++y)
        for (int32_t x = alone.bounds.left; x < alone.bounds.right; ++x)
            ASSERT_EQ(second.at(x, y), alone.at(x, y)) << x << "," << y;
    EXPECT_LT(alone.bounds.right, render(kGothicVertical, "日", 200, 20).bounds.left + 1);
}

TEST(FontRender, UprightVerticalGlyphsLookAsInHorizontalText)
{
    // The source lays the glyph on its side and the rasteriser turns it back: the drawn pixels
    // must be exactly those of the horizontal glyph.
    for (const char* text : {"あ", "語", "ア"}) {
        const TRendered across = render(kGothic, text);
        const TRendered down = render(kGothicVertical, text);
        ASSERT_EQ(down.count, 1) << text;
        EXPECT_EQ(down.crop, across.crop) << text;
    }
}

TEST(FontRender, NarrowCharactersLieAlongAVerticalLine)
{
    // Latin letters keep lying: the horizontal glyph turned clockwise.
    const TFontRecord vertical{"@DejaVu Sans", 24, 0, false, false};
    for (const char* text : {"R", "g"}) {
        const TRendered across = render(kLatin, text);
        const TRendered down = render(vertical, text);
        ASSERT_EQ(down.count, 1) << text;
        EXPECT_EQ(down.crop, turnedClockwise(across.crop)) << text;
    }
}

TEST(FontRender, VerticalFormsReplaceRotatedPunctuation)
{
    auto source = CFreeTypeGlyph::open(kGothicVertical);
    ASSERT_NE(source, nullptr);
    ASSERT_TRUE(source->hasVerticalForms());
    // The long-vowel mark is a horizontal bar across and a vertical bar down.
    const TRendered across = render(kGothic, "ー");
    const TRendered down = render(kGothicVertical, "ー");
    ASSERT_EQ(down.count, 1);
    EXPECT_GT(across.bounds.width(), 3 * across.bounds.height());
    EXPECT_GT(down.bounds.height(), 3 * down.bounds.width());
    // The ideographic full stop moves from the cell's lower left to its upper right.
    const TRendered stopAcross = render(kGothic, "。", 100, 100);
    const TRendered stopDown = render(kGothicVertical, "。", 100, 100);
    ASSERT_EQ(stopDown.count, 1);
    EXPECT_LT(stopAcross.bounds.right, 100 + 16);
    EXPECT_LT(stopDown.bounds.bottom, 100 + 16);
    EXPECT_GT(stopDown.bounds.left, 100 + 4);
}

TEST(FontRender, ItalicWithoutAnItalicFaceIsSlanted)
{
    auto upright = CFreeTypeGlyph::open(kGothic);
    auto slanted = CFreeTypeGlyph::open({"IPAGothic", 24, 128, true, false});
    ASSERT_NE(slanted, nullptr);
    EXPECT_TRUE(slanted->slanted());
    EXPECT_FALSE(upright->slanted());
    const TGlyphBitmap* straight = upright->glyph(U'I');
    const TGlyphBitmap* leaning = slanted->glyph(U'I');
    ASSERT_NE(straight, nullptr);
    ASSERT_NE(leaning, nullptr);
    const int32_t last = leaning->blackBoxY - 1;
    // About 12°: over ~24 rows the top lies several pixels right of the bottom.
    EXPECT_NEAR(inkCentre(*straight, 0), inkCentre(*straight, straight->blackBoxY - 1), 1.0);
    EXPECT_GT(inkCentre(*leaning, 0) - inkCentre(*leaning, last), 0.15 * last);

    // A family with an italic face uses it instead.
    auto oblique = CFreeTypeGlyph::open({"DejaVu Sans", 24, 0, true, false});
    ASSERT_NE(oblique, nullptr);
    EXPECT_FALSE(oblique->slanted());
    EXPECT_NE(oblique->fontFile().find("Oblique"), std::string::npos) << oblique->fontFile();
}

TEST(FontRender, BoldTextOfNCharactersIsNPixelsWider)
{
    TFontRecord bold = kGothic;
    bold.bold = true;
    for (const char* text : {"あ", "日本語", "テキスト"}) {
        const TRendered regular = render(kGothic, text);
        const TRendered thick = render(bold, text);
        const int32_t n = regular.count;
        EXPECT_EQ(thick.bounds.width(), regular.bounds.width() + n) << text;
        EXPECT_EQ(thick.bounds.height(), regular.bounds.height()) << text;
    }
}

TEST(FontRender, LineBreaksMoveDownByTheLineHeight)
{
    auto source = CFreeTypeGlyph::open(kGothic);
    ASSERT_NE(source, nullptr);
    TTextMetrics m;
    ASSERT_TRUE(source->textMetrics(m));
    const int32_t lineHeight = m.textHeight + m.externalLeading + 7;
    // "a", CR, LF, "b": b one line height below a.
    const TRendered both = render(kGothic, "a\r\nb", 30, 60, 0, 7);
    const TRendered a = render(kGothic, "a", 30, 60);
    const TRendered b = render(kGothic, "b", 30, 60 + lineHeight);
    EXPECT_EQ(both.count, 2);
    TRect united = a.bounds;
    united.bottom = b.bounds.bottom;
    united.left = std::min(a.bounds.left, b.bounds.left);
    united.right = std::max(a.bounds.right, b.bounds.right);
    EXPECT_EQ(both.bounds, united);
    for (int32_t y = b.bounds.top; y < b.bounds.bottom; ++y)
        for (int32_t x = b.bounds.left; x < b.bounds.right; ++x)
            ASSERT_EQ(both.at(x, y), b.at(x, y));

    // Full-width and plain blanks draw nothing.
    EXPECT_EQ(render(kGothic, "　 \r\n ").count, 0);
}

TEST(FontRender, MissingCharactersComeFromAFaceThatHasThem)
{
    // The Latin face has no kana: they come from another installed face, at the same size.
    auto latin = CFreeTypeGlyph::open(kLatin);
    ASSERT_NE(latin, nullptr);
    const TGlyphBitmap* kana = latin->glyph(U'あ');
    ASSERT_NE(kana, nullptr);
    EXPECT_EQ(latin->fallbackCount(), 1u);
    EXPECT_GT(kana->blackBoxX, 20);
    EXPECT_EQ(render(kLatin, "Aあ日").count, 3);
    // A character no face has is left out, and asking again opens nothing more.
    EXPECT_EQ(latin->glyph(0x10FFFD), nullptr);
    const size_t opened = latin->fallbackCount();
    EXPECT_EQ(latin->glyph(0x10FFFC), nullptr);
    EXPECT_EQ(latin->fallbackCount(), opened);
}

TEST(FontRender, SharedSourcesAreKeptPerFont)
{
    dropSharedGlyphSources();
    const auto first = sharedGlyphSource(kGothic);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(sharedGlyphSource(kGothic), first);
    EXPECT_NE(sharedGlyphSource(kGothicVertical), first);
    EXPECT_TRUE(sharedGlyphSource(kGothicVertical)->vertical());
    EXPECT_EQ(sharedGlyphSource({"IPAGothic", 0, 0, false, false}), nullptr);
    // A font that cannot be opened makes the rasteriser fail.
    TChannel channel(4, 4);
    TTextRequest request;
    request.font = {"IPAGothic", 0, 0, false, false};
    request.text = "a";
    request.target = &channel;
    EXPECT_EQ(rasteriseText(request), -1);
}

} // namespace qm
