#include "files/bmp_reader.h"
#include "files/jpeg_codec.h"
#include "files/png_codec.h"

#include "core/byte_io.h"
#include "core/dib_header.h"
#include "core/image_ops.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace qm;

namespace {

TMTC testImage(int32_t w, int32_t h, bool withAlpha)
{
    TMTC image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.row(y)[x] = (withAlpha ? uint32_t((x * 37 + y * 11) & 255) : 255u) << 24 |
                              uint32_t(x * 20) << 16 | uint32_t(y * 30) << 8 | uint32_t(x ^ y);
    return image;
}

// A BMP file: header size, bit count, compression, height sign, masks and palette chosen.
std::vector<uint8_t> makeBmp(uint32_t headerSize, uint16_t bits, int32_t width, int32_t height,
                             uint32_t compression, const std::vector<uint32_t>& palette,
                             const std::vector<uint8_t>& pixelRows,
                             std::array<uint32_t, 4> masks = {})
{
    ByteWriter header;
    if (headerSize == 12) {
        header.u32(12);
        header.u16(uint16_t(width));
        header.u16(uint16_t(height));
        header.u16(1);
        header.u16(bits);
    } else {
        header.u32(headerSize);
        header.i32(width);
        header.i32(height);
        header.u16(1);
        header.u16(bits);
        header.u32(compression);
        header.u32(uint32_t(pixelRows.size()));
        header.i32(11811); // 300 dpi
        header.i32(11811);
        header.u32(uint32_t(palette.size()));
        header.u32(0);
        if (headerSize >= 108)
            for (uint32_t m : masks)
                header.u32(m);
        header.zeros(headerSize - header.size());
    }
    ByteWriter file;
    file.u16(0x4D42);
    file.u32(0);
    file.u32(0);
    const size_t paletteBytes = palette.size() * (headerSize == 12 ? 3 : 4);
    file.u32(uint32_t(14 + header.size() + paletteBytes));
    file.bytes(header.data().data(), header.size());
    for (uint32_t c : palette) {
        file.u8(uint8_t(c));
        file.u8(uint8_t(c >> 8));
        file.u8(uint8_t(c >> 16));
        if (headerSize != 12)
            file.u8(0);
    }
    file.bytes(pixelRows.data(), pixelRows.size());
    return file.data();
}

} // namespace

TEST(BmpReader, ReadsWhatWeWrite)
{
    const TMTC image = testImage(5, 3, false);
    TTC display(5, 3);
    copyRect(display, {0, 0}, image, image.bounds());
    const std::string path = (std::filesystem::temp_directory_path() / "qm_bmp_rt.bmp").string();
    ASSERT_TRUE(saveBmp24(display, path, 300));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(readWholeFile(path, bytes));
    TPicture picture;
    ASSERT_EQ(readBmp(bytes, picture), PictureError::None);
    EXPECT_EQ(picture.dpi, 300);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x)
            ASSERT_EQ(picture.image.pixel(x, y), image.pixel(x, y));
    std::filesystem::remove(path);
}

TEST(BmpReader, PalettesTopDownCoreHeaderAndBitFields)
{
    TPicture p;
    // 1 bit, 9 pixels wide: two bytes of bits per row, padded to 4.
    const auto mono = makeBmp(40, 1, 9, 1, 0, {0x000000, 0xFFFFFF}, {0x80, 0x80, 0, 0});
    ASSERT_EQ(readBmp(mono, p), PictureError::None);
    EXPECT_EQ(p.image.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(p.image.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(p.image.pixel(8, 0), 0xFFFFFFFFu);

    // 4 bits, two rows top-down (negative height).
    const auto nibbles = makeBmp(40, 4, 2, -2, 0, {0x0000FF, 0x00FF00, 0xFF0000}, {0x01, 0, 0, 0, 0x20, 0, 0, 0});
    ASSERT_EQ(readBmp(nibbles, p), PictureError::None);
    EXPECT_EQ(p.image.pixel(1, 0), 0xFF00FF00u);
    EXPECT_EQ(p.image.pixel(0, 1), 0xFFFF0000u);

    // 8 bits through the old 12-byte header with 3-byte palette entries.
    const auto core = makeBmp(12, 8, 1, 1, 0, {0x123456, 0x654321}, {1, 0, 0, 0});
    ASSERT_EQ(readBmp(core, p), PictureError::None);
    EXPECT_EQ(p.image.pixel(0, 0), 0xFF654321u);
    EXPECT_EQ(p.dpi, 0);

    // 32 bits with masks and alpha in a 124-byte header.
    const auto masked = makeBmp(124, 32, 1, 1, 3, {}, {0x11, 0x22, 0x33, 0x44},
                                {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u});
    ASSERT_EQ(readBmp(masked, p), PictureError::None);
    EXPECT_EQ(p.image.pixel(0, 0), 0x44332211u);
    // Plain 32 bits carry no alpha.
    const auto plain = makeBmp(40, 32, 1, 1, 0, {}, {0x11, 0x22, 0x33, 0x44});
    ASSERT_EQ(readBmp(plain, p), PictureError::None);
    EXPECT_EQ(p.image.pixel(0, 0), 0xFF332211u);
}

TEST(BmpReader, RefusesWhatItCannotRead)
{
    TPicture p;
    EXPECT_EQ(readBmp(makeBmp(40, 8, 1, 1, 1, {0}, {0, 0, 0, 0}), p), PictureError::Compressed);
    EXPECT_EQ(readBmp(makeBmp(40, 16, 1, 1, 0, {}, {0, 0, 0, 0}), p), PictureError::Unsupported);
    EXPECT_EQ(readBmp(makeBmp(64, 24, 1, 1, 0, {}, {0, 0, 0, 0}), p), PictureError::Unsupported);
    EXPECT_EQ(readBmp(makeBmp(40, 24, 0, 1, 0, {}, {}), p), PictureError::BadHeader);
    EXPECT_EQ(readBmp(makeBmp(40, 24, 100000, 1, 0, {}, {}), p), PictureError::TooLarge);
    // A header promising more rows than the file holds.
    EXPECT_EQ(readBmp(makeBmp(40, 24, 30000, 30000, 0, {}, {1, 2, 3, 0}), p), PictureError::Truncated);
    const auto good = makeBmp(40, 8, 3, 2, 0, {0x0, 0xFFFFFF}, {0, 1, 0, 0, 1, 0, 1, 0});
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_NE(readBmp(std::span(good.data(), n), p), PictureError::None) << n;
    std::vector<uint8_t> notBmp(good);
    notBmp[0] = 'X';
    EXPECT_EQ(readBmp(notBmp, p), PictureError::BadSignature);
}

TEST(PngCodec, RoundTripWithAlphaAndResolution)
{
    const TMTC image = testImage(7, 5, true);
    const std::vector<uint8_t> bytes = encodePng(image, 144);
    ASSERT_FALSE(bytes.empty());
    TPicture p;
    ASSERT_EQ(readPng(bytes, p), PictureError::None);
    EXPECT_EQ(p.dpi, 144);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x)
            ASSERT_EQ(p.image.pixel(x, y), image.pixel(x, y));
    // Cut anywhere before the closing IEND chunk (12 bytes), the picture is refused.
    for (size_t n = 0; n + 12 < bytes.size(); n += 3)
        EXPECT_NE(readPng(std::span(bytes.data(), n), p), PictureError::None) << n;
    const std::string path = (std::filesystem::temp_directory_path() / "qm_png_rt.png").string();
    ASSERT_TRUE(savePng(image, path));
    TPicture fromFile;
    ASSERT_EQ(readPicture(path, fromFile), PictureError::None);
    EXPECT_EQ(fromFile.image.pixel(3, 3), image.pixel(3, 3));
    std::filesystem::remove(path);
}

TEST(JpegCodec, RoundTripOptionsAndResolution)
{
    TMTC image(16, 16);
    fillAll(image, 0xFF4080C0u);
    for (bool progressive : {false, true}) {
        const auto bytes = encodeJpeg(image, {95, progressive, true, 10}, 200);
        ASSERT_FALSE(bytes.empty());
        TPicture p;
        ASSERT_EQ(readJpeg(bytes, p), PictureError::None);
        EXPECT_EQ(p.dpi, 200);
        ASSERT_EQ(p.image.width(), 16);
        const uint32_t got = p.image.pixel(8, 8);
        EXPECT_EQ(got >> 24, 0xFFu);
        EXPECT_NEAR(double((got >> 16) & 255), 0x40, 3);
        EXPECT_NEAR(double((got >> 8) & 255), 0x80, 3);
        EXPECT_NEAR(double(got & 255), 0xC0, 3);
        for (size_t n = 0; n < bytes.size(); n += 7)
            EXPECT_NE(readJpeg(std::span(bytes.data(), n), p), PictureError::None) << n;
    }
}
