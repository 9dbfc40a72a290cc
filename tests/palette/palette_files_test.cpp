// The four palette formats: files laid out by hand from their documented layouts read as they
// should, the swatch colour conversions against values worked out by hand, what the writers
// produce, and round trips.
#include "palette/aco_file.h"
#include "palette/colour_set_text.h"
#include "palette/palette_file.h"
#include "palette/qpl_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace qm;

namespace {

TPalEntry rgb(uint8_t r, uint8_t g, uint8_t b, uint8_t source = 0)
{
    return {b, g, r, source};
}

std::vector<uint8_t> bytesOf(std::string_view s)
{
    return {s.begin(), s.end()};
}

// ---- the own format, little-endian ----

void le32(std::vector<uint8_t>& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(v >> (8 * i)));
}

std::vector<uint8_t> qplHeader(uint32_t count, uint8_t w, uint8_t h, uint8_t cols, uint8_t rows)
{
    std::vector<uint8_t> b = {'Q', 'P', 'A', 'L'};
    le32(b, count * 4 + 12);
    b.insert(b.end(), {w, h, cols, rows});
    le32(b, count);
    le32(b, 0);
    return b;
}

TEST(QplFile, ReadsTheDocumentedLayout)
{
    std::vector<uint8_t> b = qplHeader(2, 12, 14, 5, 3);
    b.insert(b.end(), {1, 2, 3, 0, 4, 5, 6, 3});
    const TPalRead read = readQplBytes(b);
    EXPECT_EQ(read.result, 2);
    EXPECT_EQ(read.announced, 2);
    EXPECT_EQ(read.grid, (TPalGrid{5, 3, 12, 14}));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0], (TPalEntry{1, 2, 3, 0}));
    EXPECT_EQ(read.entries[1], (TPalEntry{4, 5, 6, 3}));
}

TEST(QplFile, ShortOrForeignHeadersCannotBeRead)
{
    std::vector<uint8_t> b = qplHeader(0, 8, 8, 1, 1);
    EXPECT_EQ(readQplBytes(std::span(b).first(19)).result, -1);
    EXPECT_EQ(readQplBytes(b).result, 0); // a good header with no colours: unusable
    b[3] = 'X';
    EXPECT_EQ(readQplBytes(b).result, -1);
}

TEST(QplFile, AnnouncedButMissingEntriesAreCountedNotRead)
{
    // 300 announced, 200 whole entries and a broken one held.
    std::vector<uint8_t> b = qplHeader(300, 10, 10, 18, 6);
    for (int i = 0; i < 200; ++i)
        b.insert(b.end(), {uint8_t(i), 0, 0, 0});
    b.insert(b.end(), {7, 7});
    const TPalRead read = readQplBytes(b);
    EXPECT_EQ(read.result, 200);
    EXPECT_EQ(read.announced, 300);
    EXPECT_EQ(read.missing(), 100);
    EXPECT_EQ(read.entries[199].blue, 199);

    // A count near 2^32 is not an allocation.
    std::vector<uint8_t> huge = qplHeader(0xFFFFFFFF, 10, 10, 18, 6);
    huge.insert(huge.end(), {1, 2, 3, 0});
    EXPECT_EQ(readQplBytes(huge).result, 1);
}

TEST(QplFile, WritesTheDocumentedLayout)
{
    CPalette p;
    const TPalEntry two[] = {rgb(3, 2, 1), rgb(6, 5, 4, 1)};
    ASSERT_TRUE(p.replace(two, {5, 3, 12, 14}));
    std::vector<uint8_t> expected = qplHeader(2, 12, 14, 5, 3);
    expected.insert(expected.end(), {1, 2, 3, 0, 4, 5, 6, 1});
    EXPECT_EQ(writeQplBytes(p), expected);
}

// ---- swatches, big-endian ----

void be16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
}

std::vector<uint8_t> aco(uint16_t version, uint16_t count,
                         std::initializer_list<std::array<uint16_t, 5>> records)
{
    std::vector<uint8_t> b;
    be16(b, version);
    be16(b, count);
    for (const auto& r : records)
        for (uint16_t w : r)
            be16(b, w);
    return b;
}

TEST(AcoFile, RgbRecordsScaleDownByTruncation)
{
    // 32768 × 255 ÷ 65535 = 127.5…, truncated.
    EXPECT_EQ(acoRgbColour(65535, 32768, 0), 0xFF7F00u);
    EXPECT_EQ(acoRgbColour(257, 514, 65534), 0x0102FEu);
}

TEST(AcoFile, HsbRecordsGoThroughTheHsvConversion)
{
    EXPECT_EQ(acoHsbColour(0, 65535, 65535), 0xFF0000u);
    // Brightness 32768 ÷ 65535 × 255 = 127.5 in 16.16, shown as 127.
    EXPECT_EQ(acoHsbColour(0, 65535, 32768), 0x7F0000u);
    // Saturation 127.5 at hue 0: p = t = (255 − 127.5) × 255 ÷ 255 = 127.5.
    EXPECT_EQ(acoHsbColour(0, 32768, 65535), 0xFF7F7Fu);
    // 43690 ÷ 65536 × 360 = 239.99…°: sector 3, f = 65532 ÷ 65536, q = 1020 ÷ 65536 → 0.
    EXPECT_EQ(acoHsbColour(43690, 65535, 65535), 0x0000FFu);
    // No saturation: the brightness's integer part in all three, whatever the hue.
    EXPECT_EQ(acoHsbColour(12345, 0, 32768), 0x7F7F7Fu);
}

TEST(AcoFile, CmykRecordsStoreFullInkAsZero)
{
    EXPECT_EQ(acoCmykColour(65535, 65535, 65535, 65535), 0xFFFFFFu); // no ink
    EXPECT_EQ(acoCmykColour(65535, 65535, 65535, 0), 0x000000u);     // full black
    EXPECT_EQ(acoCmykColour(0, 65535, 65535, 65535), 0x00FFFFu);     // full cyan
    // Cyan 127.5: red = 127.5 × 1.0 + 0.5 → 128 (rounded, not truncated).
    EXPECT_EQ(acoCmykColour(32768, 65535, 65535, 65535), 0x80FFFFu);
    // Black 127.5: k = 0.5, each channel 255 × 0.5 + 0.5 = 128.
    EXPECT_EQ(acoCmykColour(65535, 65535, 65535, 32768), 0x808080u);
}

TEST(AcoFile, GrayRecordsRunToTenThousand)
{
    EXPECT_EQ(acoGrayColour(0), 0x000000u);
    EXPECT_EQ(acoGrayColour(5000), 0x7F7F7Fu); // 127.5 truncated
    EXPECT_EQ(acoGrayColour(10000), 0xFFFFFFu);
    EXPECT_EQ(acoGrayColour(20000), 0xFFFFFFu); // past the scale: no wrap to a dark grey
}

TEST(AcoFile, ReadsEverySpaceSkipsOthersAndStopsAtAShortRecord)
{
    std::vector<uint8_t> b = aco(1, 6,
                                 {{0, 65535, 0, 0, 0},
                                  {1, 0, 65535, 32768, 0},
                                  {7, 1, 2, 3, 4}, // an unknown space: skipped, not counted
                                  {2, 0, 65535, 65535, 65535},
                                  {8, 10000, 0, 0, 0}});
    b.insert(b.end(), {0, 0, 0xFF, 0xFF}); // the sixth record, cut short
    const TPalRead read = readAcoBytes(b);
    EXPECT_EQ(read.result, 4);
    EXPECT_EQ(read.announced, 6);
    EXPECT_EQ(read.cmykCount, 1);
    EXPECT_FALSE(read.hasGrid);
    ASSERT_EQ(read.entries.size(), 4u);
    EXPECT_EQ(read.entries[0], rgb(255, 0, 0, 0));
    EXPECT_EQ(read.entries[1], rgb(127, 0, 0, 1));
    EXPECT_EQ(read.entries[2], rgb(0, 255, 255, 3));
    EXPECT_EQ(read.entries[3], rgb(255, 255, 255, 2));
}

TEST(AcoFile, OnlyVersionOneIsRead)
{
    const TPalRead v2 = readAcoBytes(aco(2, 1, {{0, 1, 2, 3, 0}}));
    EXPECT_EQ(v2.result, 0);
    EXPECT_TRUE(v2.entries.empty());
    ASSERT_EQ(v2.warnings.size(), 1u);
    EXPECT_EQ(v2.warnings[0], "Invalid ACO version!");

    EXPECT_EQ(readAcoBytes(std::vector<uint8_t>{0, 1, 0}).result, -1); // no count
}

TEST(AcoFile, WritesRgbRecords)
{
    CPalette p;
    const TPalEntry two[] = {rgb(255, 128, 0, 3), rgb(1, 2, 3)};
    ASSERT_TRUE(p.replace(two, {}));
    // 128 × 65535 ÷ 255 = 32896; 1, 2, 3 → 257, 514, 771.
    EXPECT_EQ(writeAcoBytes(p), aco(1, 2, {{0, 65535, 32896, 0, 0}, {0, 257, 514, 771, 0}}));
}

// ---- colour-set text ----

TEST(ColourSetText, ReadsSizesAndColoursWithoutRegardToCase)
{
    const TPalRead read = readColourSetText(bytesOf("ROWS 3\r\ncols 4\r\nWidth 12\r\nHEIGHT 20\r\n"
                                                    "TEXTHEIGHT 0\r\nSPACING 1\r\n"
                                                    "R:001, G:020, B:255\r\n"
                                                    "  r:7 g:8 b:9\r\n"));
    EXPECT_EQ(read.result, 2);
    EXPECT_EQ(read.grid, (TPalGrid{4, 3, 12, 20}));
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0], rgb(1, 20, 255));
    EXPECT_EQ(read.entries[1], rgb(7, 8, 9));
}

TEST(ColourSetText, AFieldAloneMakesAColourAndOthersStayZero)
{
    const TPalRead read = readColourSetText(bytesOf("R:255\r"));
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.entries[0], rgb(255, 0, 0));
    EXPECT_EQ(read.grid, (TPalGrid{-1, -1, -1, -1})); // no sizes given
}

TEST(ColourSetText, TheLastLineCountsOnlyWithItsLineEnd)
{
    EXPECT_EQ(readColourSetText(bytesOf("R:1, G:2, B:3\nR:4, G:5, B:6")).result, 1);
    EXPECT_EQ(readColourSetText(bytesOf("R:1, G:2, B:3\nR:4, G:5, B:6\n")).result, 2);
    // CR and LF each end a line: the empty line between them gives nothing.
    EXPECT_EQ(readColourSetText(bytesOf("R:1\r\n\r\nG:2\r")).result, 2);
}

TEST(ColourSetText, UnknownWordsAreSkippedAndNumbersKeepTheirLowByte)
{
    const TPalRead read = readColourSetText(
        bytesOf("name:sky R:10 junk B:300 x,G:9\r" // 300 keeps its low byte; G is in a word
                "ROWS5 COLS x\r"                   // no blank after ROWS: a word to skip
                "hello world\r"));                 // no field: no colour
    ASSERT_EQ(read.result, 1);
    EXPECT_EQ(read.entries[0], rgb(10, 0, 44));
    EXPECT_EQ(read.grid.rows, -1);
    EXPECT_EQ(read.grid.columns, 0); // "COLS " with no digits reads 0
    EXPECT_EQ(readColourSetText(bytesOf("ROWS 2\rWIDTH 9\r")).result, 0);
}

TEST(ColourSetText, WritesHeaderLinesAndZeroPaddedColours)
{
    CPalette p;
    const TPalEntry two[] = {rgb(1, 20, 255), rgb(0, 0, 7)};
    ASSERT_TRUE(p.replace(two, {3, 2, 12, 14}));
    EXPECT_EQ(writeColourSetText(p, false),
              "ROWS 2\rCOLS 3\rWIDTH 12\rHEIGHT 14\rTEXTHEIGHT 0\rSPACING 1\r"
              "R:001, G:020, B:255\rR:000, G:000, B:007\r");
    EXPECT_EQ(writeColourSetText(p, true),
              "ROWS 2\r\nCOLS 3\r\nWIDTH 12\r\nHEIGHT 14\r\nTEXTHEIGHT 0\r\nSPACING 1\r\n"
              "R:001, G:020, B:255\r\nR:000, G:000, B:007\r\n");
}

// ---- round trips through every writer and reader ----

TEST(PaletteFiles, EveryKindRoundTripsItsColours)
{
    CPalette p;
    std::vector<TPalEntry> entries;
    for (int i = 0; i < 300; ++i)
        entries.push_back(
            rgb(uint8_t(i * 7), uint8_t(255 - i), uint8_t(i * 13 + 1), uint8_t(i % 4)));
    ASSERT_TRUE(p.replace(entries, {7, 9, 20, 33}));

    for (const PalKind kind :
         {PalKind::Own, PalKind::TextCR, PalKind::TextCRLF, PalKind::Swatches}) {
        SCOPED_TRACE(int(kind));
        const TPalRead read = readPaletteBytes(paletteFileBytes(p, kind), kind);
        ASSERT_EQ(read.result, 300);
        EXPECT_EQ(read.missing(), 0);
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_EQ(read.entries[i].rgb(), entries[i].rgb()) << i;
            // Only the own format keeps where a colour came from.
            EXPECT_EQ(read.entries[i].source, kind == PalKind::Own ? entries[i].source : 0) << i;
        }
        if (kind != PalKind::Swatches) {
            EXPECT_EQ(read.grid, p.grid());
        }
    }
    EXPECT_EQ(readPaletteBytes(paletteFileBytes(p, PalKind::Own), PalKind::Unknown).result, -1);
}

} // namespace
