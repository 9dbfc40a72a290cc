#include "core/byte_io.h"
#include "core/dyn_stack.h"
#include "core/fixed_mem_stream.h"

#include <gtest/gtest.h>

using namespace qm;

TEST(DynStack, NeverGrowsAndFlagsOverflow)
{
    CDynStack stack(sizeof(int32_t), 2);
    int32_t v = 1;
    EXPECT_TRUE(stack.push(&v));
    v = 2;
    EXPECT_TRUE(stack.push(&v));
    v = 3;
    EXPECT_FALSE(stack.push(&v));
    EXPECT_TRUE(stack.overflowed());
    int32_t out = 0;
    EXPECT_TRUE(stack.pop(&out));
    EXPECT_EQ(out, 2);
    EXPECT_TRUE(stack.pop(&out));
    EXPECT_EQ(out, 1);
    EXPECT_FALSE(stack.pop(&out));
    EXPECT_TRUE(stack.overflowed());
    stack.reset();
    EXPECT_FALSE(stack.overflowed());
    EXPECT_TRUE(stack.isEmpty());
}

TEST(FixedMemStream, WritesPastTheEndComeBackShort)
{
    uint8_t buffer[4] = {};
    CFixedMemStream stream(buffer, sizeof buffer);
    EXPECT_EQ(stream.write("abc", 3), 3u);
    EXPECT_EQ(stream.write("def", 3), 1u);
    EXPECT_EQ(buffer[3], 'd');
    stream.setSize(100);
    EXPECT_EQ(stream.size(), 4u);
    size_t capacity = 0;
    EXPECT_EQ(stream.grow(100, capacity), buffer);
    EXPECT_EQ(capacity, 4u);
    EXPECT_EQ(stream.seek(1, CFixedMemStream::Origin::Begin), 1);
    EXPECT_EQ(stream.seek(10, CFixedMemStream::Origin::Current), -1);
    char out[8] = {};
    EXPECT_EQ(stream.read(out, 8), 3u);
    EXPECT_STREQ(out, "bcd");
}

TEST(ByteIO, LittleEndianRoundTripAndShortReads)
{
    ByteWriter w;
    w.u8(1);
    w.u16(0x0302);
    w.u32(0x07060504);
    w.i32(-2);
    w.patchU32(3, 0xAABBCCDD);
    ASSERT_EQ(w.size(), 11u);
    EXPECT_EQ(w.data()[3], 0xDD);
    ByteReader r(w.data());
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(r.u16(), 0x0302);
    EXPECT_EQ(r.u32(), 0xAABBCCDDu);
    EXPECT_EQ(r.i32(), -2);
    EXPECT_FALSE(r.failed());
    EXPECT_EQ(r.u32(), 0u);
    EXPECT_TRUE(r.failed());
    EXPECT_EQ(r.remaining(), 0u);
    ByteReader s(w.data());
    EXPECT_TRUE(s.take(12).empty());
    EXPECT_TRUE(s.failed());
}
