#include "filters/filter_record.h"

#include "filters/filter_dialog_values.h"
#include "filters/filter_dispatch.h"
#include "filter_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

using namespace qm;
using namespace qm::test;

namespace {

void putU32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

// Every kind once, with values that are not the defaults.
std::vector<TFilterParams> samples()
{
    return {TBlurParams{}, TStrongBlurParams{}, TMotionBlurParams{1.25f, 17},
            TZoomBlurParams{-5, 300, 42}, TSharpenParams{}, TStrongSharpenParams{},
            TAdjustableSharpenParams{0.77f}, TLevelsParams{250, 3, 240, 99, 7},
            TGammaParams{0.6f, 1.5f, 2.25f}, TBrightnessContrastParams{-33.5f, 71},
            THueSaturationParams{-180, 55, -12}, TMonochromeParams{}, TPosterizeParams{9},
            TNoiseParams{1024, true}, TMosaicParams{1, 37}, TGaussianBlurParams{3.7f},
            TTwistParams{0.25f, 0.875f, true, -2.5f}, TEmbossParams{4.5f, 2.0f},
            TWaveParams{1.5f, 3.0f, 7.0f, 20.0f, 55.0f}};
}

} // namespace

TEST(FilterRecord, EveryKindRoundTripsAtItsCategoryLength)
{
    for (const TFilterParams& params : samples()) {
        const uint8_t number = uint8_t(filterNumberOf(params));
        const std::vector<uint8_t> bytes = encodeFilterRecord({-3, 0x1234, params});
        ASSERT_EQ(bytes.size(), filterRecordLength(number)) << int(number);
        const size_t expectedLength[] = {0, 0, 4, 12, 20, 28};
        EXPECT_EQ(bytes.size(), expectedLength[filterRecordCategory(number) - 30]);
        TFilterRecord back;
        ASSERT_TRUE(decodeFilterRecord(number, bytes, back)) << int(number);
        EXPECT_EQ(back.layer, -3);
        EXPECT_EQ(back.value, 0x1234);
        // Re-encoding gives the same bytes: every field came back.
        EXPECT_EQ(encodeFilterRecord(back), bytes) << int(number);
        EXPECT_EQ(back.params.index(), params.index());
    }
}

TEST(FilterRecord, LayoutsAreTheDocumentedFields)
{
    // Levels: i16 layer, u16, then 0, output max, output min, input max, input mid, input min.
    std::vector<uint8_t> levels = {2, 0, 0, 0};
    for (uint32_t v : {0u, 250u, 3u, 240u, 99u, 7u})
        putU32(levels, v);
    EXPECT_EQ(encodeFilterRecord({2, 0, TLevelsParams{250, 3, 240, 99, 7}}), levels);
    TFilterRecord r;
    ASSERT_TRUE(decodeFilterRecord(16, levels, r));
    EXPECT_EQ(std::get<TLevelsParams>(r.params).inputMid, 99);

    // Wave: 0, then phase, row count, column count, row strength, column strength as floats.
    std::vector<uint8_t> wave = {1, 0, 0, 0};
    putU32(wave, 0);
    for (float f : {1.5f, 3.0f, 7.0f, 20.0f, 55.0f})
        putU32(wave, std::bit_cast<uint32_t>(f));
    EXPECT_EQ(encodeFilterRecord({1, 0, TWaveParams{1.5f, 3.0f, 7.0f, 20.0f, 55.0f}}), wave);

    // Twist: centre y fraction, centre x fraction, centre-only flag, turns.
    std::vector<uint8_t> twist = {0, 0, 0, 0};
    putU32(twist, std::bit_cast<uint32_t>(0.25f));
    putU32(twist, std::bit_cast<uint32_t>(0.875f));
    putU32(twist, 1);
    putU32(twist, std::bit_cast<uint32_t>(-2.5f));
    EXPECT_EQ(encodeFilterRecord({0, 0, TTwistParams{0.25f, 0.875f, true, -2.5f}}), twist);

    // A short filter: layer and value only.
    EXPECT_EQ(encodeFilterRecord({-1, 7, TBlurParams{}}), (std::vector<uint8_t>{0xFF, 0xFF, 7, 0}));
}

TEST(FilterRecord, DamagedRecordsAreRefused)
{
    const std::vector<uint8_t> good = encodeFilterRecord({0, 0, TGaussianBlurParams{2.0f}});
    TFilterRecord r;
    r.layer = 99;
    for (size_t n = 0; n < good.size() + 4; ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + std::min(n, good.size()));
        cut.resize(n, 0);
        EXPECT_EQ(decodeFilterRecord(32, cut, r), n == good.size()) << n;
    }
    // Unknown numbers, including the painting filters this reader does not handle.
    for (uint8_t number : {4, 11, 24, 31, 36, 37, 40, 255})
        EXPECT_FALSE(decodeFilterRecord(number, good, r)) << int(number);
    // A float that is not a number.
    std::vector<uint8_t> nan = good;
    const uint32_t q = std::bit_cast<uint32_t>(std::nanf(""));
    std::memcpy(nan.data() + 8, &q, 4);
    EXPECT_FALSE(decodeFilterRecord(32, nan, r));
    EXPECT_EQ(r.layer, 0); // the last good decode stays

    // The dispatcher leaves the layer alone for a damaged record.
    auto layer = randomLayer(12, 9, 40);
    CBlockVMTC source(*layer->image());
    EXPECT_FALSE(applyRecordedFilter(32, std::span(nan), source, *layer, nullptr));
    expectSameImage(*layer->image(), source);
    const std::vector<uint8_t> blur = encodeFilterRecord({0, 0, TBlurParams{}});
    EXPECT_TRUE(applyRecordedFilter(0, blur, source, *layer, nullptr));
    EXPECT_NE(layer->image()->GetPixel(5, 5), source.GetPixel(5, 5));
}

TEST(FilterDialogValues, SlidersGiveTheDocumentedParameters)
{
    EXPECT_FLOAT_EQ(gammaFromSlider(0), 0.5f);
    EXPECT_FLOAT_EQ(gammaFromSlider(50), 0.75f);
    EXPECT_FLOAT_EQ(gammaFromSlider(100), 1.0f);
    EXPECT_FLOAT_EQ(gammaFromSlider(200), 2.0f);
    EXPECT_FLOAT_EQ(twistTurnsFromSlider(200), 0.0f);
    EXPECT_FLOAT_EQ(twistTurnsFromSlider(0), 8.0f);
    EXPECT_FLOAT_EQ(twistTurnsFromSlider(400), -8.0f);
    EXPECT_FLOAT_EQ(wavePhaseFromSlider(6), 3.14159f);
    EXPECT_FLOAT_EQ(sharpenStrengthFromSlider(30), 0.3f);
    EXPECT_EQ(noiseAmountFromSlider(512), 1024);
    EXPECT_FLOAT_EQ(embossHeightFromSlider(10), 1.0f);
    // Thumbnail middle is the layer middle; 10 thumbnail pixels left at scale 2.5 is 25.
    EXPECT_EQ(zoomCentreFromThumbnail(64, 64, 2.5, 301, 200), (TPoint{150, 100}));
    EXPECT_EQ(zoomCentreFromThumbnail(54, 70, 2.5, 301, 200), (TPoint{125, 115}));
}

TEST(FilterRecord, ExtremeRecordedValuesNeverCrashAndLeaveGoodPixels)
{
    // Every record field at its extremes: each filter either refuses or writes a picture;
    // nothing may crash or read outside the layer.
    const uint32_t extremes[] = {0u, 1u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu,
                                 std::bit_cast<uint32_t>(1.0e30f), std::bit_cast<uint32_t>(-1.0e30f),
                                 std::bit_cast<uint32_t>(1.0e-30f), 300u, std::bit_cast<uint32_t>(-0.5f)};
    auto layer = randomLayer(9, 7, 41);
    CBlockVMTC source(*layer->image());
    int applied = 0;
    for (int number = 0; number < 40; ++number) {
        const size_t length = filterRecordLength(uint8_t(number));
        if (length == 0)
            continue;
        for (uint32_t v : extremes) {
            std::vector<uint8_t> bytes = {0, 0, 0, 0};
            while (bytes.size() < length)
                putU32(bytes, v);
            TFilterRecord r;
            if (!decodeFilterRecord(uint8_t(number), bytes, r))
                continue;
            applied += applyFilter(source, *layer, nullptr, nullptr, r.params) ? 1 : 0;
            ASSERT_EQ(layer->image()->width(), 9);
        }
    }
    EXPECT_GT(applied, 0);
}
