// OpenRaster reading and writing: round trips of every layer attribute and pixel, files
// assembled by hand as other programs write them, acceptance of our files by an independent
// reader, and hostile input.
#include "files/ora_layers.h"
#include "files/ora_reader.h"
#include "files/ora_writer.h"
#include "files/png_codec.h"

#include "test_files.h"

#include <gtest/gtest.h>
#include <zip.h>

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace qm {
namespace {

uint32_t patternPixel(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t v = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u ^ seed * 97u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    // Fully transparent pixels with colour, fully opaque ones, and everything between.
    if ((x + y) % 5 == 0) v &= 0x00FFFFFFu;
    if ((x * y) % 7 == 3) v |= 0xFF000000u;
    return v;
}

TMTC patternImage(int32_t w, int32_t h, uint32_t seed)
{
    TMTC image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.row(y)[x] = patternPixel(x, y, seed);
    return image;
}

void expectSamePixels(const TMTC& a, const TMTC& b, const std::string& what)
{
    ASSERT_EQ(a.width(), b.width()) << what;
    ASSERT_EQ(a.height(), b.height()) << what;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << what << " at " << x << "," << y;
}

uint16_t le16(const std::vector<uint8_t>& b, size_t at)
{
    return uint16_t(b[at] | b[at + 1] << 8);
}
uint32_t le32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(le16(b, at)) | uint32_t(le16(b, at + 2)) << 16;
}

// A zip archive assembled with libzip itself, entry by entry, as another program would.
struct TestEntry {
    std::string name;
    std::vector<uint8_t> bytes;
    bool store = true;
};

std::vector<uint8_t> buildZip(const std::vector<TestEntry>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    if (!zip) return {};
    zip_source_keep(buffer);
    for (const TestEntry& e : entries) {
        zip_source_t* s = zip_source_buffer(zip, e.bytes.data(), e.bytes.size(), 0);
        const zip_int64_t i = zip_file_add(zip, e.name.c_str(), s, 0);
        zip_set_file_compression(zip, zip_uint64_t(i), e.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
    }
    std::vector<uint8_t> out;
    if (zip_close(zip) == 0 && zip_source_open(buffer) == 0) {
        zip_source_seek(buffer, 0, SEEK_END);
        out.resize(size_t(zip_source_tell(buffer)));
        zip_source_seek(buffer, 0, SEEK_SET);
        zip_source_read(buffer, out.data(), out.size());
        zip_source_close(buffer);
    }
    zip_source_free(buffer);
    return out;
}

std::vector<uint8_t> textBytes(const std::string& s)
{
    return {s.begin(), s.end()};
}

TOraDocument sampleDocument()
{
    TOraDocument doc;
    doc.width = 37;
    doc.height = 21;
    doc.dpi = 350;
    const auto layer = [&](std::string name, int32_t x, int32_t y, int32_t w, int32_t h,
                           uint8_t opacity, bool visible, uint8_t mode, uint32_t seed) {
        TOraLayer l;
        l.name = std::move(name);
        l.x = x;
        l.y = y;
        l.pixels = patternImage(w, h, seed);
        l.opacity = opacity;
        l.visible = visible;
        l.mode = mode;
        l.protectAlpha = uint8_t(seed % 2);
        l.blendNoise = uint8_t(seed % 3 == 0);
        l.blendAmount = uint8_t(200 + seed);
        doc.layers.push_back(std::move(l));
    };
    layer("Ébauche ﾚｲﾔ 1 & <\"quoted\"> 'it'", 0, 0, 37, 21, 255, true, 3, 1);
    layer("ink\tline\nbreak", -5, 7, 200, 3, 128, false, 18, 2);
    layer("", 30, -2, 1, 1, 0, true, 0, 3);
    layer("dodge", -40, -30, 80, 60, 77, true, 13, 4); // larger than the picture on every side
    doc.merged = patternImage(37, 21, 9);
    return doc;
}

TEST(OraFile, OurDocumentComesBackExactly)
{
    const TOraDocument doc = sampleDocument();
    const std::vector<uint8_t> bytes = writeOraBytes(doc);
    ASSERT_FALSE(bytes.empty());
    TOraDocument read;
    ASSERT_EQ(0, readOra(bytes, read));
    EXPECT_EQ(37, read.width);
    EXPECT_EQ(21, read.height);
    EXPECT_EQ(350, read.dpi);
    ASSERT_EQ(doc.layers.size(), read.layers.size());
    for (size_t i = 0; i < doc.layers.size(); ++i) {
        const TOraLayer& a = doc.layers[i];
        const TOraLayer& b = read.layers[i];
        SCOPED_TRACE("layer " + std::to_string(i));
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.x, b.x);
        EXPECT_EQ(a.y, b.y);
        EXPECT_EQ(a.opacity, b.opacity);
        EXPECT_EQ(a.visible, b.visible);
        EXPECT_EQ(a.mode, b.mode);
        EXPECT_EQ(a.protectAlpha, b.protectAlpha);
        EXPECT_EQ(a.blendNoise, b.blendNoise);
        EXPECT_EQ(a.blendAmount, b.blendAmount);
        expectSamePixels(a.pixels, b.pixels, "layer");
    }
    expectSamePixels(doc.merged, read.merged, "merged");
    // The same document gives the same bytes: nothing depends on the clock.
    EXPECT_EQ(bytes, writeOraBytes(doc));
}

TEST(OraFile, EveryOpacityModeAndOwnAttributeRoundTrips)
{
    TOraDocument doc;
    doc.width = 3;
    doc.height = 2;
    for (int i = 0; i < 256; ++i) {
        TOraLayer l;
        l.pixels = patternImage(3, 2, uint32_t(i));
        l.opacity = uint8_t(i);
        l.mode = uint8_t(i % 22);
        l.visible = i % 3 != 0;
        l.protectAlpha = uint8_t(i % 2);
        l.blendNoise = uint8_t(i % 5 == 0);
        l.blendAmount = uint8_t(255 - i);
        l.name = "layer " + std::to_string(i);
        doc.layers.push_back(std::move(l));
    }
    TOraDocument read;
    ASSERT_EQ(0, readOra(writeOraBytes(doc), read));
    ASSERT_EQ(256u, read.layers.size());
    for (int i = 0; i < 256; ++i) {
        const TOraLayer& b = read.layers[size_t(i)];
        EXPECT_EQ(i, b.opacity);
        EXPECT_EQ(i % 22, b.mode);
        EXPECT_EQ(i % 3 != 0, b.visible);
        EXPECT_EQ(i % 2, b.protectAlpha);
        EXPECT_EQ(i % 5 == 0, b.blendNoise != 0);
        EXPECT_EQ(255 - i, b.blendAmount);
        EXPECT_EQ("layer " + std::to_string(i), b.name);
    }
    // Without a merged picture a transparent one of the picture's size is stored.
    ASSERT_EQ(3, read.merged.width());
    EXPECT_EQ(0u, read.merged.pixel(2, 1));
}

TEST(OraFile, MimetypeIsTheFirstEntryStoredAtByte38)
{
    const std::vector<uint8_t> bytes = writeOraBytes(sampleDocument());
    ASSERT_GT(bytes.size(), 54u);
    // Local file header: signature, version, flags, method, time, date, crc, sizes, name and
    // extra lengths, then the name and the data.
    EXPECT_EQ(0x04034B50u, le32(bytes, 0));
    EXPECT_EQ(0, le16(bytes, 6) & 0x08) << "no data descriptor: the sizes are in the header";
    EXPECT_EQ(0, le16(bytes, 8)) << "stored";
    EXPECT_EQ(16u, le32(bytes, 18));
    EXPECT_EQ(16u, le32(bytes, 22));
    EXPECT_EQ(8, le16(bytes, 26));
    EXPECT_EQ(0, le16(bytes, 28)) << "no extra field";
    EXPECT_EQ("mimetype", std::string(bytes.begin() + 30, bytes.begin() + 38));
    EXPECT_EQ("image/openraster", std::string(bytes.begin() + 38, bytes.begin() + 54));
}

TEST(OraFile, ThumbnailFitsTheSquareAndKeepsTheAspect)
{
    TMTC wide(600, 300);
    for (int32_t y = 0; y < 300; ++y)
        for (int32_t x = 0; x < 600; ++x)
            wide.row(y)[x] = x < 300 ? 0xFF0000FFu : ((x + y) % 2 ? 0xFF00FF00u : 0x00FF0000u);
    const TMTC thumb = oraThumbnail(wide);
    ASSERT_EQ(256, thumb.width());
    ASSERT_EQ(128, thumb.height());
    EXPECT_EQ(0xFF0000FFu, thumb.pixel(10, 10));
    // Half the pixels transparent: alpha halves, the colour is the opaque pixels' alone.
    const uint32_t mixed = thumb.pixel(200, 60);
    EXPECT_NEAR(int(mixed >> 24), 128, 2);
    EXPECT_EQ(0x00FF00u, mixed & 0xFFFFFFu);
    // A small picture keeps its size.
    EXPECT_EQ(37, oraThumbnail(patternImage(37, 21, 1)).width());
    const TMTC tall = oraThumbnail(patternImage(10, 1000, 1));
    EXPECT_EQ(3, tall.width());
    EXPECT_EQ(256, tall.height());
}

TEST(OraLayers, PaperLayersSurviveAFileRoundTripWithOffsetsAndAttributes)
{
    CollectingMessageSink messages;
    CLayerMngr paper(&messages);
    paper.SetPaperSize(40, 30);
    ASSERT_EQ(0, paper.AddLayer(40, 30, true, 255, 3));
    ASSERT_EQ(1, paper.AddLayer(70, 50, false, 90, 18)); // larger than the paper
    ASSERT_EQ(2, paper.AddLayer(40, 30, true, 1, 0));
    CLayerData& base = *paper.Get(0);
    CLayerData& big = *paper.Get(1);
    CLayerData& top = *paper.Get(2);
    base.name = "下書き";
    big.name = "ink";
    big.offsetX = 12;
    big.offsetY = 7;
    big.protectAlpha = 1;
    top.blendNoise = 1;
    top.blendAmount = 33;
    top.mode = 21;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 40; ++x)
            ASSERT_TRUE(base.image()->SetPixel(x, y, patternPixel(x, y, 1)));
    for (int32_t y = 0; y < 50; ++y)
        for (int32_t x = 0; x < 70; ++x)
            ASSERT_TRUE(big.image()->SetPixel(x, y, patternPixel(x, y, 2)));
    ASSERT_TRUE(top.image()->SetPixel(39, 29, 0x12345678u));

    TMTC merged = patternImage(40, 30, 3);
    const TOraDocument doc = oraFromLayers(paper, 40, 30, 144, &merged);
    ASSERT_EQ(3u, doc.layers.size());
    EXPECT_EQ(-12, doc.layers[1].x);
    EXPECT_EQ(-7, doc.layers[1].y);
    EXPECT_EQ(70, doc.layers[1].pixels.width());

    const std::string path = test::tempPath("layers.ora");
    ASSERT_TRUE(writeOra(doc, path));
    TOraDocument read;
    ASSERT_EQ(0, readOraFile(path, read));
    std::filesystem::remove(path);
    EXPECT_EQ(144, read.dpi);
    CLayerMngr back(&messages);
    ASSERT_TRUE(layersFromOra(read, back));
    ASSERT_EQ(3, back.Count());
    EXPECT_EQ(2, back.current());
    EXPECT_EQ(40, back.paperWidth());
    EXPECT_EQ(30, back.paperHeight());
    for (int32_t i = 0; i < 3; ++i) {
        const CLayerData& a = *paper.Get(i);
        const CLayerData& b = *back.Get(i);
        SCOPED_TRACE("layer " + std::to_string(i));
        EXPECT_EQ(a.name, b.name);
        EXPECT_EQ(a.opacity, b.opacity);
        EXPECT_EQ(a.visible, b.visible);
        EXPECT_EQ(a.mode, b.mode);
        EXPECT_EQ(a.protectAlpha, b.protectAlpha);
        EXPECT_EQ(a.blendNoise, b.blendNoise);
        EXPECT_EQ(a.blendAmount, b.blendAmount);
        EXPECT_EQ(a.offsetX, b.offsetX);
        EXPECT_EQ(a.offsetY, b.offsetY);
        ASSERT_EQ(a.imageWidth(), b.imageWidth());
        ASSERT_EQ(a.imageHeight(), b.imageHeight());
        for (int32_t y = 0; y < a.imageHeight(); ++y)
            for (int32_t x = 0; x < a.imageWidth(); ++x)
                ASSERT_EQ(a.image()->GetPixel(x, y), b.image()->GetPixel(x, y)) << x << "," << y;
    }
    EXPECT_TRUE(messages.messages.empty());
}

TEST(OraLayers, ForeignLayersAreKeptBeyondThePaperAndAFlatFileGivesOneLayer)
{
    TOraDocument doc;
    doc.width = 8;
    doc.height = 6;
    TOraLayer layer;
    layer.x = -2;
    layer.y = 4;
    layer.pixels = patternImage(5, 5, 7);
    layer.mode = 99; // no such mode: normal
    doc.layers.push_back(std::move(layer));
    CLayerMngr layers;
    ASSERT_TRUE(layersFromOra(doc, layers));
    const CLayerData& l = *layers.Get(0);
    // The image spans x −2 … 7 and y 0 … 8 of the picture.
    EXPECT_EQ(10, l.imageWidth());
    EXPECT_EQ(9, l.imageHeight());
    EXPECT_EQ(2, l.offsetX);
    EXPECT_EQ(0, l.offsetY);
    EXPECT_EQ(3, l.mode);
    EXPECT_EQ(patternPixel(0, 0, 7), l.image()->GetPixel(0, 4));
    EXPECT_EQ(patternPixel(4, 4, 7), l.image()->GetPixel(4, 8));

    TOraDocument flat;
    flat.width = 4;
    flat.height = 3;
    flat.merged = patternImage(4, 3, 8);
    CLayerMngr one;
    ASSERT_TRUE(layersFromOra(flat, one));
    ASSERT_EQ(1, one.Count());
    EXPECT_EQ(patternPixel(3, 2, 8), one.Get(0)->image()->GetPixel(3, 2));
}

// The stack.xml another program might write: nested stacks, no attributes of ours, entities.
std::string foreignStack()
{
    return "<?xml version='1.0' encoding='UTF-8'?>\n"
           "<!-- written by hand -->\n"
           "<image version=\"0.0.3\" w=\"6\" h=\"4\" xres=\"299.6\" yres=\"300\">\n"
           " <stack>\n"
           "  <layer name=\"top &amp; &#x263A; &#65;\" src=\"data/a.png\" "
           "composite-op=\"svg:multiply\"\n"
           "         opacity=\"0.5\" x=\"1\" y=\"2\"/>\n"
           "  <stack name=\"group\" x=\"3\" y=\"-1\" visibility=\"hidden\">\n"
           "   <layer name=\"inner\" src=\"data/b.png\" composite-op=\"svg:color-dodge\" "
           "x=\"1\"/>\n"
           "  </stack>\n"
           "  <text>ignored</text>\n"
           "  <layer src='data/c.png' composite-op='svg:dst-in' visibility='visible'></layer>\n"
           " </stack>\n"
           "</image>\n";
}

std::vector<TestEntry> foreignEntries(const std::string& stack)
{
    return {{"mimetype", textBytes("image/openraster")},
            {"stack.xml", textBytes(stack), false},
            {"data/a.png", encodePng(patternImage(2, 2, 1)), false},
            {"data/b.png", encodePng(patternImage(3, 1, 2))},
            {"data/c.png", encodePng(patternImage(6, 4, 3))},
            {"mergedimage.png", encodePng(patternImage(6, 4, 4))}};
}

TEST(OraFile, AnotherProgramsFileOpensWithTheDefaults)
{
    const std::vector<uint8_t> bytes = buildZip(foreignEntries(foreignStack()));
    ASSERT_FALSE(bytes.empty());
    TOraDocument doc;
    ASSERT_EQ(0, readOra(bytes, doc));
    EXPECT_EQ(6, doc.width);
    EXPECT_EQ(4, doc.height);
    EXPECT_EQ(300, doc.dpi);
    ASSERT_EQ(3u, doc.layers.size());
    // Bottom first: the file lists the top first.
    const TOraLayer& c = doc.layers[0];
    const TOraLayer& inner = doc.layers[1];
    const TOraLayer& top = doc.layers[2];
    EXPECT_EQ("", c.name);
    EXPECT_EQ(255, c.opacity);
    EXPECT_TRUE(c.visible);
    EXPECT_EQ(3, c.mode); // a composite operation we have no mode for
    EXPECT_EQ(0, c.x);
    EXPECT_EQ(0, c.y);
    EXPECT_EQ(0, c.protectAlpha);
    EXPECT_EQ(255, c.blendAmount);
    EXPECT_EQ("inner", inner.name);
    EXPECT_FALSE(inner.visible) << "hidden by its stack";
    EXPECT_EQ(4, inner.x);
    EXPECT_EQ(-1, inner.y);
    EXPECT_EQ(13, inner.mode);
    EXPECT_EQ("top & \xE2\x98\xBA A", top.name);
    EXPECT_EQ(128, top.opacity);
    EXPECT_EQ(0, top.mode);
    EXPECT_EQ(1, top.x);
    EXPECT_EQ(2, top.y);
    expectSamePixels(patternImage(3, 1, 2), inner.pixels, "inner");
    expectSamePixels(patternImage(6, 4, 4), doc.merged, "merged");
}

TEST(OraFile, DamagedOrIncompleteArchivesGiveErrors)
{
    const auto withStack = [](const std::string& stack) { return buildZip(foreignEntries(stack)); };
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string stack = foreignStack();
        stack.replace(stack.find(from), from.size(), to);
        return withStack(stack);
    };
    TOraDocument doc;
    doc.width = 99;
    const auto error = [&](const std::vector<uint8_t>& bytes) { return readOra(bytes, doc); };

    EXPECT_EQ(int(OraError::BadStack), error(replaced("x=\"1\" y", "x=\"one\" y")));
    EXPECT_EQ(int(OraError::BadStack), error(replaced("opacity=\"0.5\"", "opacity=\"nan\"")));
    EXPECT_EQ(int(OraError::BadStack), error(replaced("w=\"6\"", "w=\"6px\"")));
    EXPECT_EQ(int(OraError::BadSize), error(replaced("w=\"6\"", "w=\"0\"")));
    EXPECT_EQ(int(OraError::BadSize), error(replaced("h=\"4\"", "h=\"30001\"")));
    EXPECT_EQ(int(OraError::BadSize), error(replaced("y=\"2\"", "y=\"2000000\"")));
    EXPECT_EQ(int(OraError::BadStack), error(replaced("</stack>\n</image>", "</stack>\n</imag>")));
    EXPECT_EQ(int(OraError::BadStack), error(replaced("&amp;", "&bogus;")));
    EXPECT_EQ(int(OraError::BadStack), error(replaced("src=\"data/a.png\" ", "")));
    EXPECT_EQ(int(OraError::MissingEntry), error(replaced("data/a.png", "data/none.png")));

    std::vector<TestEntry> entries = foreignEntries(foreignStack());
    entries[5].bytes = encodePng(patternImage(5, 4, 4)); // merged picture of the wrong size
    EXPECT_EQ(int(OraError::BadMergedImage), error(buildZip(entries)));
    entries = foreignEntries(foreignStack());
    entries[2].bytes.resize(entries[2].bytes.size() / 2); // a cut PNG
    EXPECT_EQ(int(OraError::BadPng), error(buildZip(entries)));
    entries = foreignEntries(foreignStack());
    entries.erase(entries.begin() + 1);
    EXPECT_EQ(int(OraError::MissingStack), error(buildZip(entries)));
    entries = foreignEntries(foreignStack());
    entries[0].bytes = textBytes("image/png");
    EXPECT_EQ(int(OraError::BadMimetype), error(buildZip(entries)));
    entries.erase(entries.begin());
    EXPECT_EQ(int(OraError::BadMimetype), error(buildZip(entries)));
    EXPECT_EQ(int(OraError::NotZip), error(textBytes("PK\x03\x04 not really a zip")));
    EXPECT_EQ(int(OraError::NotZip), error({}));
    EXPECT_EQ(int(OraError::CannotOpen), readOraFile("/nonexistent/file.ora", doc));
    EXPECT_EQ(99, doc.width) << "a failed read leaves the document alone";
}

TEST(OraFile, CutFlippedAndRandomBytesNeverCrash)
{
    const std::vector<uint8_t> good = writeOraBytes(sampleDocument());
    ASSERT_FALSE(good.empty());
    TOraDocument doc;
    for (size_t cut = 0; cut < good.size(); cut += 1 + cut / 16) {
        const std::vector<uint8_t> part(good.begin(), good.begin() + std::ptrdiff_t(cut));
        ASSERT_NE(0, readOra(part, doc)) << "cut at " << cut;
    }
    std::mt19937 random(12345);
    for (int round = 0; round < 300; ++round) {
        std::vector<uint8_t> bad = good;
        for (int n = 0; n < 1 + round % 4; ++n)
            bad[random() % bad.size()] ^= uint8_t(1 + random() % 255);
        (void)readOra(bad, doc); // a result either way, and no crash
    }
    std::vector<uint8_t> garbage(5000);
    for (uint8_t& b : garbage)
        b = uint8_t(random());
    EXPECT_EQ(int(OraError::NotZip), readOra(garbage, doc));
}

TEST(OraFile, AFailedSaveKeepsTheOldFile)
{
    const std::string path = test::tempPath("keep.ora");
    {
        std::ofstream(path, std::ios::binary) << "old contents";
    }
    TOraDocument bad = sampleDocument();
    bad.merged = patternImage(5, 5, 1); // not the picture's size
    EXPECT_FALSE(writeOra(bad, path));
    EXPECT_EQ(textBytes("old contents"), test::fileBytes(path));
    bad.width = 0;
    EXPECT_TRUE(writeOraBytes(bad).empty());
    std::filesystem::remove(path);
}

// ---- acceptance by an independent reader ----

std::string jsonString(const std::string& s)
{
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
            out += buffer;
        } else
            out += c;
    }
    return out + "\"";
}

TEST(OraIndependentReader, AcceptsOurFileWithTheSameLayers)
{
    const std::string script =
        (std::filesystem::path(__FILE__).parent_path() / "ora_check.py").string();
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "/usr/bin/python3 is missing: the independent OpenRaster check is skipped";

    TOraDocument doc = sampleDocument();
    doc.width = 600; // a thumbnail of 256 × 128
    doc.height = 300;
    doc.merged = patternImage(600, 300, 5);
    const std::string path = test::tempPath("check.ora");
    const std::string expectations = test::tempPath("check.json");
    ASSERT_TRUE(writeOra(doc, path));

    // What we put in, top first as the file lists it, with the names the format gives the
    // composite operations.
    const char* ops[] = {"svg:src-over", "svg:src-over", "svg:multiply", "svg:color-dodge"};
    std::string json = "{\"width\": 600, \"height\": 300, \"layers\": [";
    for (size_t n = 0; n < doc.layers.size(); ++n) {
        const size_t i = doc.layers.size() - 1 - n;
        const TOraLayer& l = doc.layers[i];
        std::string pixels;
        for (const auto& [x, y] : {std::pair{0, 0},
                                   {l.pixels.width() - 1, l.pixels.height() - 1},
                                   {l.pixels.width() / 2, 0}}) {
            const uint32_t p = l.pixels.pixel(x, y);
            pixels += std::string(pixels.empty() ? "" : ", ") + "[" + std::to_string(x) + ", " +
                      std::to_string(y) + ", " + std::to_string(p >> 16 & 255) + ", " +
                      std::to_string(p >> 8 & 255) + ", " + std::to_string(p & 255) + ", " +
                      std::to_string(p >> 24) + "]";
        }
        json += std::string(n ? ", " : "") + "{\"name\": " + jsonString(l.name) +
                ", \"src\": \"data/layer" + std::to_string(i) +
                ".png\", \"x\": " + std::to_string(l.x) + ", \"y\": " + std::to_string(l.y) +
                ", \"opacity\": " + std::to_string(l.opacity) + ", \"visibility\": \"" +
                (l.visible ? "visible" : "hidden") + "\", \"op\": \"" + ops[i] +
                "\", \"own\": {\"mode\": " + std::to_string(l.mode) +
                ", \"protect-alpha\": " + std::to_string(l.protectAlpha) +
                ", \"blend-noise\": " + std::to_string(l.blendNoise) +
                ", \"blend-amount\": " + std::to_string(l.blendAmount) +
                "}, \"width\": " + std::to_string(l.pixels.width()) +
                ", \"height\": " + std::to_string(l.pixels.height()) + ", \"pixels\": [" + pixels +
                "]}";
    }
    json += "]}";
    std::ofstream(expectations) << json;

    const std::string command =
        "/usr/bin/python3 '" + script + "' '" + path + "' '" + expectations + "' 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe.release());
    std::filesystem::remove(path);
    std::filesystem::remove(expectations);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 2)
        GTEST_SKIP() << "python3-pil is missing: the independent OpenRaster check is skipped";
    EXPECT_EQ(0, status) << output;
    EXPECT_EQ("", output);
}

} // namespace
} // namespace qm
