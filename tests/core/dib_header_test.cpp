#include "core/dib_header.h"

#include "core/image_ops.h"
#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

using namespace qm;
namespace fs = std::filesystem;

namespace {

uint32_t u32At(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

std::vector<uint8_t> readFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder per test, removed afterwards.
struct TempFolder {
    TempFolder()
        : path(fs::temp_directory_path() /
               ("quillmere-bmp-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TempFolder() { fs::remove_all(path); }
    size_t entries() const
    {
        return size_t(std::distance(fs::directory_iterator(path), fs::directory_iterator()));
    }
    fs::path path;
};

} // namespace

TEST(DibHeader, StrideAndResolutionRoundTrip)
{
    EXPECT_EQ(dibStride24(1), 4);
    EXPECT_EQ(dibStride24(4), 12);
    EXPECT_EQ(dibStride24(5), 16);
    EXPECT_EQ(pixelsPerMetre(72), 2834);
    EXPECT_EQ(pixelsPerMetre(300), 11811);
    for (int32_t dpi : {72, 96, 300, 350, 600, 1200}) {
        ByteWriter w;
        writeDibHeader(w, dibHeader24(10, 10, dpi));
        EXPECT_EQ(resolutionFromHeader(w.data()), dpi);
    }
}

TEST(DibHeader, OnlyKnownHeaderSizesGiveAResolution)
{
    ByteWriter w;
    writeDibHeader(w, dibHeader32(3, 2, 300));
    std::vector<uint8_t> bytes = w.data();
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(u32At(bytes, 20), 24u); // image size 3 × 4 × 2
    for (uint8_t size : {108, 124}) {
        bytes[0] = size;
        EXPECT_EQ(resolutionFromHeader(bytes), 300);
    }
    for (uint8_t size : {12, 41, 64}) {
        bytes[0] = size;
        EXPECT_EQ(resolutionFromHeader(bytes), 0);
    }
    bytes[0] = 40;
    EXPECT_EQ(resolutionFromHeader(std::span(bytes).first(39)), 0); // short
    bytes[24] = bytes[25] = bytes[26] = bytes[27] = 0xFF;           // −1 pixel per metre
    EXPECT_EQ(resolutionFromHeader(bytes), 0);
}

TEST(DibHeader, PackedDibsRunBottomUp)
{
    TMTC img(2, 2);
    img.row(0)[0] = 0x11223344u;
    img.row(0)[1] = 0x55667788u;
    img.row(1)[0] = 0x99AABBCCu;
    img.row(1)[1] = 0xDDEEFF00u;

    const std::vector<uint8_t> d24 = packedDib24(img);
    ASSERT_EQ(d24.size(), 40u + 2 * 8);
    EXPECT_EQ(u32At(d24, 20), 16u);
    EXPECT_EQ(std::vector<uint8_t>(d24.begin() + 40, d24.end()),
              (std::vector<uint8_t>{0xCC, 0xBB, 0xAA, 0x00, 0xFF, 0xEE, 0, 0, 0x44, 0x33, 0x22,
                                    0x88, 0x77, 0x66, 0, 0}));

    const std::vector<uint8_t> d32 = packedDib32(img, {1, -5, 10, 10});
    ASSERT_EQ(d32.size(), 40u + 2 * 4);
    EXPECT_EQ(u32At(d32, 4), 1u);           // clipped width
    EXPECT_EQ(u32At(d32, 40), 0xDDEEFF00u); // bottom row first, alpha kept
    EXPECT_EQ(u32At(d32, 44), 0x55667788u);
    EXPECT_TRUE(packedDib32(img, {5, 5, 2, 2}).empty());
}

TEST(BmpFile, WidthOneHasFourByteRowsAndReplacesTheOldFile)
{
    TempFolder dir;
    const fs::path path = dir.path / "one.bmp";
    std::ofstream(path) << "old";
    TTC img(1, 2);
    img.row(0)[0] = 0xFF010203u;
    img.row(1)[0] = 0xFF0A0B0Cu;
    ASSERT_TRUE(saveBmp24(img, path.string(), 72));
    const std::vector<uint8_t> b = readFile(path);
    ASSERT_EQ(b.size(), 62u);
    const std::vector<uint8_t> head(b.begin(), b.begin() + 30);
    EXPECT_EQ(head, (std::vector<uint8_t>{'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  40,
                                          0,   0,   0,  1, 0, 0, 0, 2, 0, 0, 0,  1, 0, 24, 0}));
    EXPECT_EQ(u32At(b, 34), 8u);
    EXPECT_EQ(u32At(b, 38), 2834u);
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 54, b.end()),
              (std::vector<uint8_t>{0x0C, 0x0B, 0x0A, 0, 0x03, 0x02, 0x01, 0}));
    EXPECT_EQ(dir.entries(), 1u); // no temporary file left
}

TEST(BmpFile, FailedSaveLeavesTheOldFileAndNoLitter)
{
    TempFolder dir;
    TTC img(64, 64);
    EXPECT_FALSE(saveBmp24(img, (dir.path / "missing" / "x.bmp").string()));
    fs::create_directory(dir.path / "taken.bmp"); // the rename over a folder fails
    EXPECT_FALSE(saveBmp24(img, (dir.path / "taken.bmp").string()));
    EXPECT_TRUE(fs::is_empty(dir.path / "taken.bmp"));

    // A write cut short by the file size limit, over an existing file.
    const fs::path old = dir.path / "keep.bmp";
    std::ofstream(old) << "previous contents";
    bool ok = true;
    {
        test::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.active());
        ok = saveBmp24(img, old.string());
    }
    EXPECT_FALSE(ok);
    const std::vector<uint8_t> b = readFile(old);
    EXPECT_EQ(std::string(b.begin(), b.end()), "previous contents");
    EXPECT_EQ(dir.entries(), 2u);
}
