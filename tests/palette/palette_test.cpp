// The palette's data: the default colour cube, the limits, the entry array's spare row, and
// the window's edits.
#include "palette/palette.h"

#include <gtest/gtest.h>

#include <array>

using namespace qm;

namespace {

TPalEntry rgb(uint8_t r, uint8_t g, uint8_t b)
{
    return {b, g, r, 0};
}

// Every slot past the count is zero, and there is room for one more row.
void expectSpareRow(const CPalette& p)
{
    ASSERT_GE(p.cells().size(), size_t(p.count() + p.grid().columns));
    for (size_t i = size_t(p.count()); i < p.cells().size(); ++i)
        EXPECT_EQ(p.cells()[i], TPalEntry{}) << "slot " << i;
}

TEST(Palette, DefaultIsTheColourCubeWithRedFastest)
{
    const CPalette p;
    ASSERT_EQ(p.count(), 256);
    EXPECT_EQ(p.grid(), (TPalGrid{18, 6, 10, 10}));
    // Levels: blue 0, 85, 170, 255; green and red 0, 36, 72, 109, 145, 182, 218, 255.
    EXPECT_EQ(p.entry(0), rgb(0, 0, 0));
    EXPECT_EQ(p.entry(1), rgb(36, 0, 0));
    EXPECT_EQ(p.entry(7), rgb(255, 0, 0));
    EXPECT_EQ(p.entry(8), rgb(0, 36, 0));
    EXPECT_EQ(p.entry(64), rgb(0, 0, 85));
    EXPECT_EQ(p.entry(7 + 3 * 8 + 2 * 64), rgb(255, 109, 170));
    EXPECT_EQ(p.entry(255), rgb(255, 255, 255));
    for (const TPalEntry& e : p.entries())
        EXPECT_EQ(e.source, 0);
    EXPECT_FALSE(p.modified());
    expectSpareRow(p);
}

TEST(Palette, GridValuesAreClampedWhenTaken)
{
    EXPECT_EQ((TPalGrid{0, 65, 4, 100}.clamped()), (TPalGrid{1, 64, 8, 64}));
    EXPECT_EQ((TPalGrid{-1, -1, -1, -1}.clamped()), (TPalGrid{1, 1, 8, 8}));
    EXPECT_EQ((TPalGrid{64, 1, 64, 8}.clamped()), (TPalGrid{64, 1, 64, 8}));

    CPalette p;
    const TPalEntry two[] = {rgb(1, 2, 3), rgb(4, 5, 6)};
    ASSERT_TRUE(p.replace(two, {200, 0, 4, 100}));
    EXPECT_EQ(p.grid(), (TPalGrid{64, 1, 8, 64}));
    EXPECT_EQ(p.count(), 2);
    EXPECT_FALSE(p.modified()); // a load is not an edit
    expectSpareRow(p);
}

TEST(Palette, InsertDeleteAndMoveKeepOrderAndZeroTheSpare)
{
    CPalette p;
    const TPalEntry three[] = {rgb(1, 0, 0), rgb(2, 0, 0), rgb(3, 0, 0)};
    ASSERT_TRUE(p.replace(three, {2, 1, 8, 8}));
    ASSERT_EQ(p.cells().size(), 5u); // three entries and one row of two

    // Growing past the spare row: the array grows, the new slots are zero.
    ASSERT_TRUE(p.insert(0, rgb(9, 0, 0)));
    ASSERT_TRUE(p.insert(99, rgb(8, 0, 0))); // out of range appends
    ASSERT_TRUE(p.insert(2, rgb(7, 0, 0)));
    EXPECT_TRUE(p.modified());
    ASSERT_EQ(p.count(), 6);
    const uint8_t afterInsert[] = {9, 1, 7, 2, 3, 8};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(p.entry(i).red, afterInsert[i]) << i;
    expectSpareRow(p);

    ASSERT_TRUE(p.remove(0));
    ASSERT_TRUE(p.remove(4)); // the last
    EXPECT_FALSE(p.remove(4));
    EXPECT_FALSE(p.remove(-1));
    const uint8_t afterRemove[] = {1, 7, 2, 3};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(p.entry(i).red, afterRemove[i]) << i;
    expectSpareRow(p);

    // Forwards and backwards: the moved entry ends at the target index.
    ASSERT_TRUE(p.move(0, 2));
    EXPECT_EQ((std::array{p.entry(0).red, p.entry(1).red, p.entry(2).red, p.entry(3).red}),
              (std::array<uint8_t, 4>{7, 2, 1, 3}));
    ASSERT_TRUE(p.move(3, 0));
    EXPECT_EQ((std::array{p.entry(0).red, p.entry(1).red, p.entry(2).red, p.entry(3).red}),
              (std::array<uint8_t, 4>{3, 7, 2, 1}));
    EXPECT_FALSE(p.move(1, 1));
    EXPECT_FALSE(p.move(4, 0));
    ASSERT_TRUE(p.move(1, 99)); // clamped to the last
    EXPECT_EQ(p.entry(3).red, 7);
    expectSpareRow(p);
}

TEST(Palette, WiderGridMakesRoomForItsRow)
{
    CPalette p;
    const TPalEntry one[] = {rgb(1, 1, 1)};
    ASSERT_TRUE(p.replace(one, {1, 1, 8, 8}));
    p.setGrid({40, 2, 8, 8});
    EXPECT_TRUE(p.modified());
    expectSpareRow(p);
}

TEST(Palette, RemovingASourceKeepsTheOthersInOrder)
{
    CPalette p;
    const TPalEntry mixed[] = {
        {1, 0, 0, 3}, {2, 0, 0, 0}, {3, 0, 0, 3}, {4, 0, 0, 1}, {5, 0, 0, 3}};
    ASSERT_TRUE(p.replace(mixed, {}));
    EXPECT_EQ(p.removeSource(PalSource::Cmyk), 3);
    ASSERT_EQ(p.count(), 2);
    EXPECT_EQ(p.entry(0).blue, 2);
    EXPECT_EQ(p.entry(1).blue, 4);
    expectSpareRow(p);
}

TEST(Palette, FindsTheFirstSwatchOfAColour)
{
    CPalette p;
    const TPalEntry entries[] = {rgb(1, 2, 3), {1, 2, 3, 2}, rgb(1, 2, 3)};
    ASSERT_TRUE(p.replace(entries, {}));
    EXPECT_EQ(p.find(0x010203), 0);
    EXPECT_EQ(p.find(0xFF010203), 0); // the top byte is no part of the colour
    EXPECT_EQ(p.find(0x030201), 1);   // whatever its source
    EXPECT_EQ(p.find(0x010204), -1);
    EXPECT_EQ(p.find(0x000000), -1); // the zero spare slots are no swatches
}

} // namespace
