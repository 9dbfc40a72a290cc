#include "core/soft_span.h"

#include "core/image_ops.h"

#include "core/pixel_rows.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

using namespace qm;
using namespace qm::test;

namespace {

std::vector<int> rowOf(const TChannel& c, int32_t y)
{
    return {c.row(y), c.row(y) + c.width()};
}

std::vector<int> spanH(float s, float e, uint8_t v, bool maxMode, float o, uint8_t fill = 0)
{
    TChannel c(8, 1);
    fillAll(c, fill);
    softSpanH(c, 0, s, e, v, maxMode, o);
    return rowOf(c, 0);
}

} // namespace

TEST(SoftSpan, EndsGetTheirCoveredFraction)
{
    // 2.25 .. 5.5: pixel 2 is 48/64 covered, pixel 5 is 32/64.
    EXPECT_EQ(text(spanH(2.25f, 5.5f, 200, false, 1.0f)), "0 0 150 200 200 100 0 0");
    EXPECT_EQ(text(spanH(2.25f, 5.5f, 200, false, 0.5f)), "0 0 75 100 100 50 0 0");
    EXPECT_EQ(text(spanH(2.0f, 5.0f, 255, false, 1.0f)), "0 0 255 255 255 0 0 0");
    // Clipped at the left, and the same when given backwards.
    EXPECT_EQ(text(spanH(-10.5f, 2.5f, 200, false, 1.0f)), "200 200 100 0 0 0 0 0");
    EXPECT_EQ(spanH(2.5f, -10.5f, 200, false, 1.0f), spanH(-10.5f, 2.5f, 200, false, 1.0f));
}

TEST(SoftSpan, NormalModeSetsMaxModeOnlyRaises)
{
    // Pixels 1 and 6 are visited but not covered: they keep their value in both modes.
    EXPECT_EQ(text(spanH(2.25f, 5.5f, 200, false, 1.0f, 120)), "120 120 150 200 200 100 120 120");
    EXPECT_EQ(text(spanH(2.25f, 5.5f, 200, true, 1.0f, 120)), "120 120 150 200 200 120 120 120");
}

TEST(SoftSpan, VerticalMatchesHorizontal)
{
    TChannel h(9, 9), v(9, 9);
    softSpanH(h, 4, 0.6f, 7.3f, 230, false, 0.8f);
    softSpanV(v, 4, 0.6f, 7.3f, 230, false, 0.8f);
    std::vector<int> column;
    for (int32_t y = 0; y < 9; ++y)
        column.push_back(v.row(y)[4]);
    EXPECT_EQ(rowOf(h, 4), column);
    EXPECT_EQ(text(rowOf(h, 4)), "74 184 184 184 184 184 184 51 0");
}

TEST(SoftSpan, OutsideOrUnusableDrawsNothing)
{
    TChannel none(4, 2);
    softSpanH(none, 5, 0.0f, 3.0f, 200, false, 1.0f);
    softSpanV(none, -1, 0.0f, 3.0f, 200, false, 1.0f);
    softSpanH(none, 0, NAN, 3.0f, 200, false, 1.0f);
    softSpanH(none, 0, 0.0f, 1e30f, 200, false, 1.0f);
    EXPECT_EQ(rowOf(none, 0), std::vector<int>(4, 0));
    EXPECT_EQ(rowOf(none, 1), std::vector<int>(4, 0));
}
