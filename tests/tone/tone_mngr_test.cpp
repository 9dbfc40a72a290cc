#include "tone/tone_mngr.h"

#include <gtest/gtest.h>

#include <string>

using namespace qm;

namespace {

SToneAttr toneAttr(float percent = 30.0f, float angle = 45.0f)
{
    SToneAttr attr;
    attr.percent = percent;
    attr.angle = angle;
    attr.name = std::string("t"); // moved in: GCC 12 warns falsely on assigning a short literal
    return attr;
}

TChannel gradientChannel(int32_t w, int32_t h)
{
    TChannel c(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            c.row(y)[x] = uint8_t((x * 37 + y * 11) & 0xFF);
    return c;
}

} // namespace

TEST(ToneMngr, StartsWithTwoSeamlessDotGridsAndTheFirstSelected)
{
    CToneMngr mngr;
    ASSERT_EQ(mngr.count(), 2);
    EXPECT_EQ(mngr.currentIndex(), 0);
    for (int32_t i = 0; i < 2; ++i) {
        const CPatObj* grid = mngr.at(i);
        EXPECT_EQ(grid->kind(), PatKind::Bitmap);
        EXPECT_EQ(grid->width(), 64);
        EXPECT_EQ(grid->height(), 64);
    }
    // Radius 2 on spacing 8 from 5.66: full discs around (5, 5), nothing between them.
    EXPECT_EQ(mngr.Weight(5, 5, 200), 200u);
    EXPECT_EQ(mngr.Weight(0, 0, 200), 0u);
    EXPECT_EQ(mngr.Weight(5 + 64 * 3, 5 - 64, 255), 255u); // wraps
    const CPatObj* fine = mngr.at(0);
    for (int32_t y = 0; y < 56; ++y)
        for (int32_t x = 0; x < 56; ++x)
            ASSERT_EQ(fine->ValueAt(x, y), fine->ValueAt(x + 8, y + 8));
    int32_t soft = 0;
    for (int32_t x = 0; x < 64; ++x)
        soft += fine->ValueAt(x, 5) > 0 && fine->ValueAt(x, 5) < 255 ? 1 : 0;
    EXPECT_GT(soft, 0); // anti-aliased edges
    // The coarse grid: spacing 16 from 11.3, radius 3.
    EXPECT_EQ(mngr.at(1)->ValueAt(11, 11), 255);
    EXPECT_EQ(mngr.at(1)->ValueAt(19, 11), 0);

    EXPECT_EQ(mngr.AddDotGrid(0, 8), -1);
    EXPECT_EQ(mngr.AddDotGrid(2, -8), -1);
    EXPECT_EQ(mngr.count(), 2);
}

TEST(ToneMngr, WeightFollowsOffsetOriginAndInvert)
{
    CToneMngr mngr(false);
    EXPECT_EQ(mngr.Weight(3, 4, 77), 77u); // nothing to weight by
    EXPECT_FALSE(mngr.Select(0));
    EXPECT_EQ(mngr.currentIndex(), -1);

    const TChannel pattern = gradientChannel(10, 6);
    ASSERT_EQ(mngr.AddPattern(pattern, 100, {2, 1}), 0);
    ASSERT_TRUE(mngr.Select(5)); // clamped
    EXPECT_EQ(mngr.currentIndex(), 0);
    mngr.SetOffset(-3, 7);
    for (int32_t y = -8; y < 8; ++y) {
        for (int32_t x = -12; x < 12; ++x) {
            const int32_t px = ((x - 3 + 2) % 10 + 10) % 10;
            const int32_t py = ((y + 7 + 1) % 6 + 6) % 6;
            const uint32_t p = pattern.row(py)[px];
            ASSERT_EQ(mngr.Weight(x, y, 255), p);
            ASSERT_EQ(mngr.Weight(x, y, 100), (100 * p * 32897) >> 23);
        }
    }
    const int32_t serial = mngr.current()->serial();
    ASSERT_TRUE(mngr.SetInverted(0, true));
    EXPECT_NE(mngr.current()->serial(), serial);
    EXPECT_EQ(mngr.Weight(0, 0, 255), 255u - pattern.row(2)[9]); // (0 - 3 + 2, 0 + 7 + 1) wrapped

    uint8_t row[12];
    for (uint8_t& c : row)
        c = 200;
    mngr.WeightRow(-5, 2, row, 12);
    for (int32_t i = 0; i < 12; ++i)
        EXPECT_EQ(row[i], mngr.Weight(-5 + i, 2, 200));
}

TEST(ToneMngr, InvalidInputAddsNothing)
{
    CToneMngr mngr(false);
    SToneAttr bad = toneAttr();
    bad.lines = 150.0f; // period 2 pixels
    EXPECT_EQ(mngr.AddTone(bad, true), -1);
    bad.lines = 0.0f;
    EXPECT_EQ(mngr.AddTone(bad, true), -1);
    EXPECT_EQ(mngr.AddPattern(TChannel(), 100, {0, 0}), -1);
    EXPECT_EQ(mngr.AddImagePattern(TMTC(), "x"), -1);
    EXPECT_EQ(mngr.count(), 0);
    EXPECT_FALSE(mngr.Remove(0));
    EXPECT_EQ(mngr.Duplicate(0), -1);
    EXPECT_FALSE(mngr.Rename(-1, "x"));
    EXPECT_FALSE(mngr.Retone(0, toneAttr(), true));
}

TEST(ToneMngr, WorkingToneIsTheGeneratorAndSurvivesLaterTones)
{
    CToneMngr mngr(false);
    const int32_t i = mngr.AddTone(toneAttr(), true);
    ASSERT_EQ(i, 0);
    EXPECT_EQ(mngr.at(0)->width(), 64);
    EXPECT_EQ(mngr.at(0)->name(), "t");
    ASSERT_TRUE(mngr.Select(0));
    CToneMaker reference;
    ASSERT_TRUE(reference.Configure(0, 0, 30.0f, 45.0f, 300.0f / 55.0f));
    // The stored 64 × 64 tile is the generator's output from (0, 0).
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(mngr.at(0)->channel().row(y)[x], reference.ToneAt(x, y));

    // Adding another tone reconfigures the shared generator, not what painting uses.
    ASSERT_EQ(mngr.AddTone(toneAttr(70.0f, 10.0f), true), 1);
    for (int32_t y = -40; y < 200; y += 3)
        for (int32_t x = -40; x < 200; x += 1)
            ASSERT_EQ(mngr.Weight(x, y, 255), reference.ToneAt(x, y));

    // Origin moves the tone (subtracted) and stays inside the tile.
    ASSERT_TRUE(mngr.SetOrigin(0, 5, 70));
    EXPECT_EQ(mngr.current()->originY(), 63);
    EXPECT_EQ(mngr.Weight(10, 80, 255), reference.ToneAt(5, 17));
}

TEST(ToneMngr, ScalingAToneTo200PercentDoublesItsPeriod)
{
    CToneMngr mngr(false);
    ASSERT_EQ(mngr.AddTone(toneAttr(), true), 0);
    const SScaleRange range = mngr.at(0)->ScaleRange();
    EXPECT_EQ(range.minimum, 64);  // ⌊55·350/300⌋
    EXPECT_EQ(range.maximum, 200); // ⌊55·12750/300⌋ clamped
    ASSERT_TRUE(mngr.Select(0));
    ASSERT_TRUE(mngr.SetScale(0, 200));
    const auto* working = static_cast<const CPat8Tone*>(mngr.working());
    ASSERT_EQ(working->kind(), PatKind::Tone);
    ASSERT_NE(working->maker(), nullptr);
    EXPECT_EQ(working->attr().dpi, 600.0f);
    EXPECT_EQ(working->maker()->requestedPeriod(), 600.0f / 55.0f);
    EXPECT_NEAR(working->maker()->adjustedPeriod(), 2.0 * 300.0 / 55.0, 0.3);
    EXPECT_EQ(static_cast<const CPat8Tone*>(mngr.at(0))->attr().dpi, 300.0f); // list tone kept
    ASSERT_TRUE(mngr.SetScale(0, 500));
    EXPECT_EQ(mngr.at(0)->scale(), 200);
    ASSERT_TRUE(mngr.SetScale(0, 10));
    EXPECT_EQ(mngr.at(0)->scale(), 64);
}


TEST(ToneMngr, ScaledBitmapIsResampledToTheNewSize)
{
    CToneMngr mngr(false);
    const TChannel pattern = gradientChannel(20, 30);
    ASSERT_EQ(mngr.AddPattern(pattern, 200, {0, 0}), 0);
    EXPECT_EQ(mngr.at(0)->ScaleRange().minimum, 50); // ⌊1000/20⌋
    ASSERT_TRUE(mngr.Select(0));
    const CPatObj* working = mngr.working();
    ASSERT_EQ(working->width(), 40);
    ASSERT_EQ(working->height(), 60);
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 20; ++x)
            for (int32_t k = 0; k < 4; ++k)
                ASSERT_EQ(working->ValueAt(2 * x + (k & 1), 2 * y + (k >> 1)), pattern.row(y)[x]);
    // Out-of-range scales are clamped when a pattern is added.
    ASSERT_EQ(mngr.AddPattern(gradientChannel(5, 200), 10, {0, 0}), 1);
    EXPECT_EQ(mngr.at(1)->scale(), 100);
}

TEST(ToneMngr, RemoveDuplicateAndRenameKeepTheSelectionSound)
{
    CToneMngr mngr; // two grids
    ASSERT_EQ(mngr.AddTone(toneAttr(), true), 2);
    ASSERT_EQ(mngr.Duplicate(2), 3);
    const CPatObj* original = mngr.at(2);
    const CPatObj* copy = mngr.at(3);
    EXPECT_NE(copy->serial(), original->serial());
    EXPECT_EQ(copy->kind(), PatKind::Tone);
    EXPECT_EQ(static_cast<const CPat8Tone*>(copy)->attr(), static_cast<const CPat8Tone*>(original)->attr());
    for (int32_t y = 0; y < 64; ++y)
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(copy->channel().row(y)[x], original->channel().row(y)[x]);
    ASSERT_TRUE(mngr.Rename(2, "renamed"));
    EXPECT_EQ(mngr.at(3)->name(), "t"); // a deep copy

    ASSERT_TRUE(mngr.Select(3));
    ASSERT_TRUE(mngr.Remove(0)); // before the current one: the same pattern stays current
    EXPECT_EQ(mngr.currentIndex(), 2);
    EXPECT_EQ(mngr.current(), copy);
    ASSERT_TRUE(mngr.Remove(2)); // the current, last one: the new last one
    EXPECT_EQ(mngr.currentIndex(), 1);
    EXPECT_EQ(mngr.current()->name(), "renamed");
    ASSERT_TRUE(mngr.Remove(1));
    ASSERT_TRUE(mngr.Remove(0));
    EXPECT_EQ(mngr.currentIndex(), -1);
    EXPECT_EQ(mngr.working(), nullptr);
    EXPECT_EQ(mngr.Weight(1, 1, 9), 9u);
}

TEST(ToneMngr, RetoneChangesOnlyValidTones)
{
    CToneMngr mngr;
    ASSERT_EQ(mngr.AddTone(toneAttr(), true), 2);
    ASSERT_TRUE(mngr.Select(2));
    const int32_t serial = mngr.at(2)->serial();
    const uint8_t before = mngr.at(2)->channel().row(10)[10];
    SToneAttr bad = toneAttr();
    bad.dpi = 2000.0f; // period 36 is fine, but lines 1 at 600 dpi is not
    bad.lines = 1.0f;
    EXPECT_FALSE(mngr.Retone(2, bad, true));
    EXPECT_FALSE(mngr.Retone(0, toneAttr(), true)); // a bitmap
    EXPECT_EQ(mngr.at(2)->serial(), serial);
    EXPECT_EQ(mngr.at(2)->channel().row(10)[10], before);

    const SToneAttr line = toneAttr(50.0f, 0.0f);
    ASSERT_TRUE(mngr.Retone(2, line, false));
    EXPECT_EQ(mngr.at(2)->serial(), serial);
    ASSERT_TRUE(mngr.Retone(2, line, true));
    EXPECT_NE(mngr.at(2)->serial(), serial);
    CToneMaker reference;
    ASSERT_TRUE(reference.Configure(0, 0, 50.0f, 0.0f, 300.0f / 55.0f));
    for (int32_t x = 0; x < 100; ++x)
        ASSERT_EQ(mngr.Weight(x, 7, 255), reference.ToneAt(x, 7)); // the working tone followed
}

TEST(ToneMngr, ToneFromAFileKeepsItsStoredTile)
{
    CToneMngr mngr(false);
    const TChannel stored = gradientChannel(32, 16);
    ASSERT_EQ(mngr.AddTone(toneAttr(), false, &stored), 0);
    EXPECT_EQ(mngr.at(0)->width(), 32);
    EXPECT_EQ(mngr.at(0)->channel().row(3)[5], stored.row(3)[5]);
    EXPECT_FALSE(mngr.maker().isValid()); // not regenerated
    ASSERT_TRUE(mngr.Select(0));
    CToneMaker reference;
    ASSERT_TRUE(reference.Configure(0, 0, 30.0f, 45.0f, 300.0f / 55.0f));
    EXPECT_EQ(mngr.Weight(40, 41, 255), reference.ToneAt(40, 41)); // painting regenerates

    // Attributes that cannot be generated: painting falls back on the stored tile.
    SToneAttr damaged = toneAttr();
    damaged.dpi = 0.0f;
    ASSERT_EQ(mngr.AddTone(damaged, false, &stored), 1);
    EXPECT_EQ(mngr.AddTone(damaged, true, &stored), -1);
    ASSERT_TRUE(mngr.Select(1));
    ASSERT_NE(mngr.working(), nullptr);
    EXPECT_EQ(mngr.Weight(37, 19, 255), stored.row(3)[5]);
    EXPECT_EQ(mngr.at(1)->ScaleRange().minimum, 100);
}

TEST(ToneMngr, ImagePatternInksTheDarkParts)
{
    CToneMngr mngr(false);
    TMTC image(3, 2);
    image.setPixel(0, 0, 0xFF000000u);
    image.setPixel(1, 0, 0xFFFFFFFFu);
    image.setPixel(2, 0, 0xFF808080u);
    ASSERT_EQ(mngr.AddImagePattern(image, "picture.qmp"), 0);
    const CPatObj* pattern = mngr.at(0);
    EXPECT_EQ(pattern->name(), "picture.qmp");
    EXPECT_EQ(pattern->scale(), 100);
    EXPECT_EQ(pattern->ValueAt(0, 0), 255);
    EXPECT_EQ(pattern->ValueAt(1, 0), 0);
    EXPECT_EQ(pattern->ValueAt(2, 0), 255 - 128);
    EXPECT_EQ(pattern->ScaleRange().minimum, 100); // ⌊1000/2⌋ capped at 100
}
