// The clipboard's byte forms: pictures as DIBs and BMP files (written here from the documented
// layout and read back), a layer's attributes, and the copied rectangle.
#include "paperfile/clipboard_formats.h"

#include "core/byte_io.h"
#include "layers/layer_data.h"
#include "paperfile/layer_block.h"

#include <gtest/gtest.h>

namespace qm::test {

namespace {

// A DIB assembled by hand: the 40-byte header, then rows from the bottom up.
std::vector<uint8_t> handMadeDib(int32_t width, int32_t height, uint16_t bits,
                                 const std::vector<std::vector<uint8_t>>& rowsBottomUp,
                                 const std::vector<uint32_t>& palette = {})
{
    ByteWriter out;
    out.u32(40), out.i32(width), out.i32(height), out.u16(1), out.u16(bits), out.u32(0);
    out.u32(0), out.i32(0), out.i32(0), out.u32(uint32_t(palette.size())), out.u32(0);
    for (uint32_t entry : palette)
        out.u32(entry);
    for (const auto& row : rowsBottomUp)
        out.bytes(row.data(), row.size());
    return out.data();
}

} // namespace

TEST(ClipboardFormats, PicturesTravelAsDibsOfTheDepthTheirAlphaNeeds)
{
    TMTC opaque(3, 2);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            opaque.row(y)[x] = 0xFF000000u | uint32_t(x * 40 + y);
    std::vector<uint8_t> dib = clipboardDib(opaque);
    ASSERT_GE(dib.size(), 40u);
    EXPECT_EQ(dib[14], 24);              // bit count, low byte
    EXPECT_EQ(dib.size(), 40u + 2 * 12); // two rows of 9 bytes padded to 12
    TMTC back;
    ASSERT_TRUE(pictureFromDib(dib, back));
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 3; ++x)
            EXPECT_EQ(back.pixel(x, y), opaque.pixel(x, y));

    TMTC soft = TMTC(2, 1);
    soft.row(0)[0] = 0x80102030u, soft.row(0)[1] = 0x00000000u;
    dib = clipboardDib(soft);
    EXPECT_EQ(dib[14], 32);
    ASSERT_TRUE(pictureFromDib(dib, back));
    EXPECT_EQ(back.pixel(0, 0), 0x80102030u); // alpha kept
    EXPECT_EQ(back.pixel(1, 0), 0x00000000u);

    // The BMP file form: "BM", the file size, zeros, and the pixels at 54.
    const std::vector<uint8_t> file = bmpFileOfDib(dib);
    ByteReader head(file);
    EXPECT_EQ(head.u8(), 'B');
    EXPECT_EQ(head.u8(), 'M');
    EXPECT_EQ(head.u32(), uint32_t(dib.size() + 14));
    EXPECT_EQ(head.u32(), 0u);
    EXPECT_EQ(head.u32(), 54u);
}

TEST(ClipboardFormats, DibsFromOtherProgramsAreRead)
{
    // 24-bit, 2 × 2, bottom row first: pasted fully opaque.
    TMTC picture;
    ASSERT_TRUE(pictureFromDib(
        handMadeDib(2, 2, 24, {{1, 2, 3, 4, 5, 6, 0, 0}, {7, 8, 9, 10, 11, 12, 0, 0}}), picture));
    EXPECT_EQ(picture.pixel(0, 1), 0xFF030201u); // B, G, R of the bottom row's first pixel
    EXPECT_EQ(picture.pixel(1, 0), 0xFF0C0B0Au);
    // 32-bit top-down (negative height): copied as it is.
    ASSERT_TRUE(pictureFromDib(handMadeDib(1, -2, 32, {{1, 2, 3, 4}, {5, 6, 7, 8}}), picture));
    EXPECT_EQ(picture.pixel(0, 0), 0x04030201u);
    EXPECT_EQ(picture.pixel(0, 1), 0x08070605u);
    // 8-bit with a two-colour table.
    ASSERT_TRUE(
        pictureFromDib(handMadeDib(2, 1, 8, {{1, 0, 0, 0}}, {0x00112233u, 0x00445566u}), picture));
    EXPECT_EQ(picture.pixel(0, 0), 0xFF445566u);
    EXPECT_EQ(picture.pixel(1, 0), 0xFF112233u);
    // Rows missing, a zero width, a depth of 16 without masks, a short header: refused.
    EXPECT_FALSE(pictureFromDib(handMadeDib(2, 2, 24, {{1, 2, 3, 4, 5, 6, 0, 0}}), picture));
    EXPECT_FALSE(pictureFromDib(handMadeDib(0, 2, 24, {}), picture));
    EXPECT_FALSE(pictureFromDib(handMadeDib(1, 1, 16, {{0, 0, 0, 0}}), picture));
    const std::vector<uint8_t> shortHead(20, 0);
    EXPECT_FALSE(pictureFromDib(shortHead, picture));
}

TEST(ClipboardFormats, LayerAttributesAndTheCopiedRectangle)
{
    std::unique_ptr<CLayerData> layer = CLayerData::make(2, 0);
    ASSERT_TRUE(layer->CreateImage(40, 30, 0));
    layer->name = "ink";
    layer->mode = 5;
    layer->opacity = 99;
    layer->visible = false;
    layer->protectAlpha = 1;
    std::vector<uint8_t> bytes = encodeLayerAttributes(*layer, 2);
    // The record: "QLYR", 72 + the name field (4 bytes for "ink" and its zero), then the
    // fields at their offsets.
    ASSERT_EQ(bytes.size(), 8u + 72 + 4);
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "QLYR");
    EXPECT_EQ(bytes[4], 76);
    EXPECT_EQ(bytes[14], 5);     // mode
    EXPECT_EQ(bytes[15], 99);    // opacity
    EXPECT_EQ(bytes[12] & 3, 2); // hidden, alpha protected
    TPlacedAttributes a;
    std::string name;
    ASSERT_TRUE(decodeLayerAttributes(bytes, a, name));
    EXPECT_EQ(a, (TPlacedAttributes{5, 99, false, true}));
    EXPECT_EQ(name, "ink");
    // A mode beyond the last blend mode becomes the last.
    bytes[14] = 30;
    ASSERT_TRUE(decodeLayerAttributes(bytes, a, name));
    EXPECT_EQ(a.mode, 22);
    // Another magic, or the record cut short, is refused.
    std::vector<uint8_t> other = bytes;
    other[0] = 'X';
    EXPECT_FALSE(decodeLayerAttributes(other, a, name));
    for (size_t cut : {size_t(0), size_t(7), size_t(40), bytes.size() - 1})
        EXPECT_FALSE(decodeLayerAttributes({bytes.data(), cut}, a, name)) << cut;

    TRect rect;
    ASSERT_TRUE(decodeClipBox(encodeClipBox({3, 4, 50, 60}), rect));
    EXPECT_EQ(rect, (TRect{3, 4, 50, 60}));
    EXPECT_FALSE(decodeClipBox(std::vector<uint8_t>(15, 0), rect));
    EXPECT_FALSE(decodeClipBox(encodeClipBox({10, 0, 5, 0}), rect));
}

} // namespace qm::test
