#include "events/ring_buf.h"

#include <gtest/gtest.h>

#include <vector>

using namespace qm;

namespace {

// The items behind the cursor, oldest first, then those ahead, as read through the interface.
std::vector<uint32_t> contents(const CRingBufDWORD& ring)
{
    std::vector<uint32_t> items;
    uint32_t v = 0;
    for (int32_t k = -(ring.backCount() - 1); k < 0; ++k)
        if (ring.readRelative(k, v))
            items.push_back(v);
    if (ring.readCurrent(v))
        items.push_back(v);
    for (int32_t k = 1; k <= ring.forwardCount(); ++k)
        if (ring.readRelative(k, v))
            items.push_back(v);
    return items;
}

} // namespace

TEST(RingBuf, InvalidRingRefusesEverything)
{
    CRingBufDWORD ring;
    uint32_t v = 7;
    EXPECT_FALSE(ring.valid());
    EXPECT_FALSE(ring.push(1));
    EXPECT_FALSE(ring.putCurrent(1));
    EXPECT_FALSE(ring.readCurrent(v));
    EXPECT_FALSE(ring.stepBack());
    EXPECT_FALSE(ring.dropLast());
    EXPECT_FALSE(ring.resize(4, 4));
    EXPECT_EQ(v, 7u);
    EXPECT_FALSE(ring.allocate(0, 4));
    EXPECT_FALSE(ring.allocate(4, 0));
    EXPECT_FALSE(ring.valid());
    ASSERT_TRUE(ring.allocate(4, 2));
    EXPECT_TRUE(ring.valid());
    EXPECT_FALSE(ring.readCurrent(v)); // nothing at the cursor yet
    // Items must be exactly the item size.
    CRingBuf bytes(3);
    ASSERT_TRUE(bytes.allocate(3, 2, 2));
    const uint8_t two[2] = {1, 2};
    EXPECT_FALSE(bytes.push(two));
    EXPECT_EQ(bytes.backCount(), 0);
}

TEST(RingBuf, PushAtCapacityOverwritesTheOldest)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(3, 2));
    ring.putCurrent(10);
    for (uint32_t v = 11; v <= 20; ++v) // wraps the 5 slots twice
        ASSERT_TRUE(ring.push(v));
    EXPECT_EQ(ring.backCount(), 3);
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{18, 19, 20}));
}

TEST(RingBuf, StepsAndReadRelativeLimits)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(8, 4));
    ring.putCurrent(0);
    for (uint32_t v = 1; v <= 4; ++v)
        ring.push(v);
    uint32_t v = 0;
    // Only back count − 1 older items are reachable.
    EXPECT_TRUE(ring.readRelative(-4, v));
    EXPECT_EQ(v, 0u);
    EXPECT_FALSE(ring.readRelative(-5, v));
    EXPECT_FALSE(ring.readRelative(1, v));
    EXPECT_FALSE(ring.readRelative(0, v));

    EXPECT_TRUE(ring.stepBack());
    EXPECT_TRUE(ring.stepBack());
    EXPECT_EQ(ring.backCount(), 3);
    EXPECT_EQ(ring.forwardCount(), 2);
    EXPECT_TRUE(ring.readCurrent(v));
    EXPECT_EQ(v, 2u);
    EXPECT_TRUE(ring.readRelative(2, v));
    EXPECT_EQ(v, 4u);
    EXPECT_FALSE(ring.readRelative(3, v));
    EXPECT_FALSE(ring.readRelative(-3, v));

    EXPECT_TRUE(ring.stepForward());
    EXPECT_TRUE(ring.readCurrent(v));
    EXPECT_EQ(v, 3u);

    // Stepping back over everything leaves nothing current; stepping forward brings it back.
    while (ring.stepBack()) {
    }
    EXPECT_EQ(ring.backCount(), 0);
    EXPECT_EQ(ring.forwardCount(), 5);
    EXPECT_FALSE(ring.readCurrent(v));
    EXPECT_TRUE(ring.stepForward());
    EXPECT_TRUE(ring.readCurrent(v));
    EXPECT_EQ(v, 0u);
}

TEST(RingBuf, PushAfterSteppingBackDiscardsAhead)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(4, 4));
    ring.putCurrent(0);
    ring.push(1);
    ring.push(2);
    ring.push(3);
    ring.stepBack();
    ring.stepBack();
    ASSERT_TRUE(ring.push(9));
    EXPECT_EQ(ring.forwardCount(), 0);
    EXPECT_FALSE(ring.stepForward());
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{0, 1, 9}));

    ring.stepBack();
    EXPECT_EQ(ring.takeForwardCount(), 1);
    EXPECT_EQ(ring.forwardCount(), 0);
    EXPECT_TRUE(ring.dropLast());
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{0}));
}

TEST(RingBuf, DropLastWrapsFromTheFirstSlot)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(2, 1)); // 3 slots
    ring.putCurrent(5);               // slot 0
    ring.push(6);                     // slot 1
    ring.push(7);                     // slot 2
    ring.push(8);                     // slot 0 again
    EXPECT_TRUE(ring.dropLast());
    uint32_t v = 0;
    EXPECT_TRUE(ring.readCurrent(v));
    EXPECT_EQ(v, 7u);
    EXPECT_EQ(ring.backCount(), 1);
}

TEST(RingBuf, ResizeKeepsTheNewestInOrder)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(6, 6));
    ring.putCurrent(0);
    for (uint32_t v = 1; v <= 8; ++v) // wrapped: the buffer starts in the middle
        ring.push(v);
    ring.stepBack();
    ring.stepBack();
    ring.stepBack(); // behind: 3 4 5, ahead: 6 7 8
    ASSERT_EQ(contents(ring), (std::vector<uint32_t>{3, 4, 5, 6, 7, 8}));

    ASSERT_TRUE(ring.resize(2, 2));
    EXPECT_EQ(ring.backCount(), 2);
    EXPECT_EQ(ring.forwardCount(), 2);
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{4, 5, 6, 7}));

    ASSERT_TRUE(ring.resize(10, 10));
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{4, 5, 6, 7}));
    for (uint32_t v = 20; v < 40; ++v)
        ring.push(v);
    EXPECT_EQ(ring.backCount(), 10);
    EXPECT_FALSE(ring.resize(0, 3));
    EXPECT_EQ(ring.backCapacity(), 10);
}

TEST(RingBuf, SteppingForwardNeverExceedsTheBackCapacity)
{
    CRingBufDWORD ring;
    ASSERT_TRUE(ring.allocate(8, 8));
    ring.putCurrent(0);
    for (uint32_t v = 1; v <= 5; ++v)
        ring.push(v);
    for (int i = 0; i < 4; ++i)
        ring.stepBack(); // behind: 0 1, ahead: 2 3 4 5
    ASSERT_TRUE(ring.resize(2, 8));
    while (ring.stepForward()) {
    }
    EXPECT_EQ(ring.backCount(), 2);
    EXPECT_EQ(contents(ring), (std::vector<uint32_t>{4, 5}));
}
