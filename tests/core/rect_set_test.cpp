#include "core/rect_set.h"

#include <gtest/gtest.h>

using namespace qm;

namespace {
TRectSet makeSet()
{
    TRectSet set;
    set.setBounds(1000, 1000);
    return set;
}
TRect block(int32_t x, int32_t y)
{
    return {x, y, x + 32, y + 32};
}
} // namespace

TEST(RectSet, GapIsZeroForTouchingRectangles)
{
    EXPECT_EQ(TRectSet::gap({0, 0, 10, 10}, {10, 0, 20, 10}), 0);
    EXPECT_EQ(TRectSet::gap({0, 0, 10, 10}, {5, 5, 20, 20}), 0);
    EXPECT_EQ(TRectSet::gap({0, 0, 10, 10}, {13, 14, 20, 20}), 9 + 16);
    EXPECT_EQ(TRectSet::gap({13, 14, 20, 20}, {0, 0, 10, 10}), 9 + 16);
}

TEST(RectSet, ClipsAndDropsEmptyRectangles)
{
    TRectSet set = makeSet();
    set.add({-50, -50, -10, 10});
    EXPECT_EQ(set.count(), 0);
    set.add({990, 990, 1100, 1100});
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set[0], (TRect{990, 990, 1000, 1000}));
}

TEST(RectSet, FiveFarRectanglesMergeTheFifthIntoItsNearest)
{
    TRectSet set = makeSet();
    set.add(block(0, 0));
    set.add(block(500, 0));
    set.add(block(0, 500));
    set.add(block(500, 500));
    ASSERT_EQ(set.count(), 4);
    set.add(block(600, 640)); // nearest is the one at (500, 500)
    ASSERT_EQ(set.count(), 4);
    EXPECT_EQ(set[0], block(0, 0));
    EXPECT_EQ(set[1], block(500, 0));
    EXPECT_EQ(set[2], block(0, 500));
    EXPECT_EQ(set[3], (TRect{500, 500, 632, 672}));
}

TEST(RectSet, EqualGapsGrowTheSmallerMember)
{
    TRectSet set = makeSet();
    set.add({0, 0, 100, 100});   // big
    set.add({300, 0, 310, 10});  // small
    set.add({0, 800, 10, 810});
    set.add({800, 800, 810, 810});
    set.add({200, 0, 210, 10}); // gap 100 to both the big one and the small one
    EXPECT_EQ(set[0], (TRect{0, 0, 100, 100}));
    EXPECT_EQ(set[1], (TRect{200, 0, 310, 10}));
}

TEST(RectSet, AGrowingUnionSwallowsTouchingMembers)
{
    TRectSet set = makeSet();
    set.add(block(0, 0));
    set.add(block(100, 0));
    set.add(block(200, 0));
    ASSERT_EQ(set.count(), 3);
    set.add({30, 0, 210, 10}); // touches the first; the union then touches the others
    ASSERT_EQ(set.count(), 1);
    EXPECT_EQ(set[0], (TRect{0, 0, 232, 32}));
}

TEST(RectSet, IntersectionsVisitOnlyMembers)
{
    TRectSet set = makeSet();
    set.add(block(0, 0));
    set.add(block(100, 100));
    int parts = 0;
    int64_t area = 0;
    set.forEachIntersection(TBox{16, 16, 100, 100}, [&](TBox b) {
        ++parts;
        area += int64_t(b.width) * b.height;
    });
    EXPECT_EQ(parts, 2);
    EXPECT_EQ(area, 16 * 16 + 16 * 16);
}
