// PSD reading and writing: round trips, the settings, hostile input, and acceptance of our files
// by an independent reader.
#include "files/big_endian.h"
#include "files/psd_packbits.h"
#include "files/psd_reader.h"
#include "files/psd_writer.h"

#include "file_size_limit.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm {
namespace {

uint32_t patternPixel(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t v = uint32_t(x) * 2654435761u ^ uint32_t(y) * 40503u ^ seed * 97u;
    v ^= v >> 13;
    v *= 0x5bd1e995u;
    v ^= v >> 15;
    // Some fully transparent and some fully opaque pixels, besides everything in between.
    if ((x + y) % 5 == 0)
        v &= 0x00FFFFFFu;
    if ((x * y) % 7 == 3)
        v |= 0xFF000000u;
    return v;
}

TMTC patternImage(int32_t w, int32_t h, uint32_t seed, bool runs = false)
{
    TMTC image(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            image.row(y)[x] = runs && x > w / 3 ? 0xFF204080u : patternPixel(x, y, seed);
    return image;
}

TPsdLayer makeLayer(std::string name, int32_t left, int32_t top, int32_t w, int32_t h,
                    uint8_t opacity, bool visible, uint8_t mode, uint32_t seed)
{
    TPsdLayer layer;
    layer.name = std::move(name);
    layer.left = left;
    layer.top = top;
    layer.pixels = patternImage(w, h, seed, seed % 2 == 1);
    layer.opacity = opacity;
    layer.visible = visible;
    layer.mode = mode;
    return layer;
}

TPsdDocument sampleDocument()
{
    TPsdDocument doc;
    doc.width = 37;
    doc.height = 21;
    doc.resolution = 300;
    doc.layers.push_back(makeLayer("Ébauche ﾚｲﾔ 1", 0, 0, 37, 21, 255, true, 3, 1));
    doc.layers.push_back(makeLayer("ink", -5, 7, 200, 3, 128, false, 18, 2));
    doc.layers.push_back(makeLayer("", 30, -2, 1, 1, 0, true, 0, 3));
    doc.layers.push_back(makeLayer("empty", 4, 4, 0, 0, 77, true, 21, 4));
    doc.merged = patternImage(37, 21, 9);
    TPsdChannel mask;
    mask.name = "選択 mask";
    mask.pixels.Resize(37, 21);
    for (int32_t y = 0; y < 21; ++y)
        for (int32_t x = 0; x < 37; ++x)
            mask.pixels.row(y)[x] = uint8_t(x * 7 + y);
    doc.extraChannels.push_back(std::move(mask));
    return doc;
}

bool samePixels(const TMTC& a, const TMTC& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int32_t y = 0; y < a.height(); ++y)
        for (int32_t x = 0; x < a.width(); ++x)
            if (a.row(y)[x] != b.row(y)[x])
                return false;
    return true;
}

void expectSameDocument(const TPsdDocument& a, const TPsdDocument& b)
{
    EXPECT_EQ(a.width, b.width);
    EXPECT_EQ(a.height, b.height);
    EXPECT_EQ(a.resolution, b.resolution);
    ASSERT_EQ(a.layers.size(), b.layers.size());
    for (size_t i = 0; i < a.layers.size(); ++i) {
        SCOPED_TRACE("layer " + std::to_string(i));
        const auto &x = a.layers[i], &y = b.layers[i];
        EXPECT_EQ(x.name, y.name);
        EXPECT_EQ(x.left, y.left);
        EXPECT_EQ(x.top, y.top);
        EXPECT_EQ(x.opacity, y.opacity);
        EXPECT_EQ(x.visible, y.visible);
        EXPECT_EQ(x.mode, y.mode);
        EXPECT_TRUE(samePixels(x.pixels, y.pixels));
    }
    EXPECT_TRUE(samePixels(a.merged, b.merged));
    ASSERT_EQ(a.extraChannels.size(), b.extraChannels.size());
    for (size_t i = 0; i < a.extraChannels.size(); ++i) {
        EXPECT_EQ(a.extraChannels[i].name, b.extraChannels[i].name);
        const TChannel &p = a.extraChannels[i].pixels, &q = b.extraChannels[i].pixels;
        ASSERT_EQ(p.width(), q.width());
        ASSERT_EQ(p.height(), q.height());
        for (int32_t r = 0; r < p.height(); ++r)
            EXPECT_EQ(0, std::memcmp(p.row(r), q.row(r), size_t(p.width())));
    }
}

// Where the layer and mask section's length word lies.
size_t layerSectionAt(const std::vector<uint8_t>& bytes)
{
    BigEndianReader in(bytes);
    in.skip(26);
    in.skip(in.u32());
    in.skip(in.u32());
    return in.position();
}

void putU16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = uint8_t(v >> 8);
    b[at + 1] = uint8_t(v);
}
void putU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    putU16(b, at, uint16_t(v >> 16));
    putU16(b, at + 2, uint16_t(v));
}

TEST(PsdRoundTrip, EveryVersionAndCompressionReadsBackIdentically)
{
    const TPsdDocument doc = sampleDocument();
    for (int version : {3, 5, 6, 7}) {
        for (int flags : {0, kPsdFlagRaw}) {
            SCOPED_TRACE("version " + std::to_string(version) + " flags " + std::to_string(flags));
            const auto bytes = writePsdBytes(doc, version, flags);
            ASSERT_FALSE(bytes.empty());
            TPsdDocument back;
            ASSERT_EQ(0, readPsd(bytes, back));
            expectSameDocument(doc, back);
        }
    }
    // PackBits must actually pay off on a picture with long runs.
    EXPECT_LT(writePsdBytes(doc, 6, 0).size(), writePsdBytes(doc, 6, kPsdFlagRaw).size());
}

TEST(PsdRoundTrip, LongNamesKeepWholeCharacters)
{
    TPsdDocument doc;
    doc.width = doc.height = 2;
    std::string name;
    for (int i = 0; i < 100; ++i)
        name += "ﾚ"; // three bytes each: 300 bytes
    doc.layers.push_back(makeLayer(name, 0, 0, 2, 2, 255, true, 3, 1));
    TPsdDocument back;
    ASSERT_EQ(0, readPsd(writePsdBytes(doc, 6, 0), back));
    EXPECT_EQ(name, back.layers[0].name); // the Unicode name wins over the cut Pascal one
    ASSERT_EQ(0, readPsd(writePsdBytes(doc, 3, 0), back));
    EXPECT_EQ(name.substr(0, 255), back.layers[0].name); // 85 whole characters
}

TEST(PsdRoundTrip, VersionIsClampedAndOnlyUnicodeNamesDependOnIt)
{
    const TPsdDocument doc = sampleDocument();
    EXPECT_EQ(writePsdBytes(doc, 9, 0), writePsdBytes(doc, 7, 0));
    EXPECT_EQ(writePsdBytes(doc, 1, 0), writePsdBytes(doc, 3, 0));
    EXPECT_EQ(writePsdBytes(doc, 3, 0), writePsdBytes(doc, 5, 0));
    EXPECT_EQ(writePsdBytes(doc, 6, 0), writePsdBytes(doc, 7, 0));
    EXPECT_GT(writePsdBytes(doc, 6, 0).size(), writePsdBytes(doc, 5, 0).size());
}

TEST(PsdRoundTrip, RefusesDocumentsTheFormatCannotHold)
{
    TPsdDocument doc = sampleDocument();
    doc.width = 30001;
    EXPECT_TRUE(writePsdBytes(doc, 6, 0).empty());
    doc = sampleDocument();
    doc.merged = patternImage(5, 5, 1); // not the picture's size
    EXPECT_TRUE(writePsdBytes(doc, 6, 0).empty());
    // No merged picture: written transparent, layers intact.
    doc.merged = TMTC();
    TPsdDocument back;
    ASSERT_EQ(0, readPsd(writePsdBytes(doc, 6, 0), back));
    EXPECT_EQ(0u, back.merged.pixel(3, 3));
    EXPECT_EQ(doc.layers.size(), back.layers.size());
}

TEST(PsdBlendKeys, EveryModeSurvivesAndUnknownKeysAreNormal)
{
    for (int mode = 0; mode < 22; ++mode)
        EXPECT_EQ(mode, modeFromBlendKey(blendKeyFromMode(uint8_t(mode))));
    EXPECT_EQ(psdKey("lbrn"), blendKeyFromMode(18));
    EXPECT_EQ(psdKey("lddg"), blendKeyFromMode(1));
    EXPECT_EQ(3, modeFromBlendKey(psdKey("diss")));
    EXPECT_EQ(3, modeFromBlendKey(psdKey("pass")));
    EXPECT_EQ(3, modeFromBlendKey(psdKey("hMix")));
}

TEST(PsdPackBits, RoundTripsEveryLengthWithinTheWorstCaseBound)
{
    for (size_t n = 0; n <= 400; ++n) {
        for (int pattern = 0; pattern < 3; ++pattern) {
            std::vector<uint8_t> row(n);
            for (size_t i = 0; i < n; ++i)
                row[i] = pattern == 0 ? uint8_t(i * 31 + 7)                 // no runs
                         : pattern == 1 ? uint8_t(i / 130)                  // runs past 128
                                        : uint8_t((i % 5 < 2) ? i : 0xAA); // runs of 2 and 3
            std::vector<uint8_t> coded;
            packBitsEncode(row, coded);
            EXPECT_LE(coded.size(), n + (n + 127) / 128);
            std::vector<uint8_t> out(n, 0x55);
            ASSERT_TRUE(packBitsDecode(coded, out)) << n << " " << pattern;
            EXPECT_EQ(row, out);
        }
    }
}

TEST(PsdPackBits, DecodeRefusesRowsOfTheWrongLength)
{
    std::vector<uint8_t> out(4);
    EXPECT_TRUE(packBitsDecode(std::vector<uint8_t>{0xFD, 9}, out));           // 9 four times
    EXPECT_FALSE(packBitsDecode(std::vector<uint8_t>{0xFC, 9}, out));          // 5: overfills
    EXPECT_FALSE(packBitsDecode(std::vector<uint8_t>{0x02, 1, 2, 3}, out));    // 3: too few
    EXPECT_FALSE(packBitsDecode(std::vector<uint8_t>{0x03, 1, 2}, out));       // literal cut short
    EXPECT_FALSE(packBitsDecode(std::vector<uint8_t>{0xFD}, out));             // repeat without byte
    EXPECT_FALSE(packBitsDecode(std::vector<uint8_t>{0xFD, 9, 0x00, 1}, out)); // left over
    EXPECT_TRUE(packBitsDecode(std::vector<uint8_t>{0x80, 0xFD, 9}, out));     // −128 is skipped
}

TEST(PsdMalformed, EveryTruncationFailsCleanly)
{
    TPsdDocument doc;
    doc.width = 5;
    doc.height = 4;
    doc.layers.push_back(makeLayer("a", 1, 1, 3, 2, 200, true, 4, 1));
    doc.layers.push_back(makeLayer("b", 0, 0, 5, 4, 255, false, 3, 2));
    doc.merged = patternImage(5, 4, 3);
    for (int flags : {0, kPsdFlagRaw}) {
        const auto bytes = writePsdBytes(doc, 6, flags);
        TPsdDocument out;
        ASSERT_EQ(0, readPsd(bytes, out));
        for (size_t n = 0; n < bytes.size(); ++n) {
            TPsdDocument partial;
            partial.width = 123;
            EXPECT_NE(0, readPsd(std::span(bytes.data(), n), partial)) << n;
            EXPECT_EQ(123, partial.width) << "a failed read changed the output";
        }
    }
}

TEST(PsdMalformed, AbsurdSizesAndCountsAreRefused)
{
    TPsdDocument doc;
    doc.width = 6;
    doc.height = 3;
    doc.layers.push_back(makeLayer("", 0, 0, 6, 3, 255, true, 3, 1));
    const auto good = writePsdBytes(doc, 3, 0);
    const size_t section = layerSectionAt(good);
    const size_t record = section + 10; // after both length words and the layer count
    TPsdDocument out;
    const auto patched = [&](auto&& change) {
        auto b = good;
        change(b);
        return readPsd(b, out);
    };
    EXPECT_EQ(int(PsdError::BadSize), patched([](auto& b) { putU32(b, 18, 30001); }));
    EXPECT_EQ(int(PsdError::BadSize), patched([](auto& b) { putU32(b, 14, 0); }));
    EXPECT_EQ(int(PsdError::BadSize), patched([](auto& b) { putU32(b, 14, 0xFFFFFFFFu); }));
    EXPECT_EQ(int(PsdError::BadChannelCount), patched([](auto& b) { putU16(b, 12, 0); }));
    EXPECT_EQ(int(PsdError::BadChannelCount), patched([](auto& b) { putU16(b, 12, 57); }));
    EXPECT_EQ(int(PsdError::BadVersion), patched([](auto& b) { putU16(b, 4, 2); }));
    EXPECT_EQ(int(PsdError::BadSignature), patched([](auto& b) { b[0] = 'X'; }));
    // Layer counts beyond the limit, or more than the bytes could describe.
    EXPECT_EQ(int(PsdError::TooManyLayers), patched([&](auto& b) { putU16(b, section + 8, 10001); }));
    EXPECT_EQ(int(PsdError::TooManyLayers), patched([&](auto& b) { putU16(b, section + 8, 0x8000); }));
    EXPECT_NE(0, patched([&](auto& b) { putU16(b, section + 8, 9000); }));
    // Section lengths past the end of the file.
    EXPECT_NE(0, patched([&](auto& b) { putU32(b, section, 0xFFFFFFF0u); }));
    EXPECT_NE(0, patched([&](auto& b) { putU32(b, section + 4, 0xFFFFFFF0u); }));
    EXPECT_NE(0, patched([](auto& b) { putU32(b, 26, 0x7FFFFFFFu); }));
    // A layer box of 30000 × 30000 with channel data of a few bytes must not be allocated.
    EXPECT_NE(0, patched([&](auto& b) {
        putU32(b, record + 8, 30000);
        putU32(b, record + 12, 30000);
    }));
    EXPECT_EQ(int(PsdError::BadSize), patched([&](auto& b) { putU32(b, record + 12, 30001); }));
    EXPECT_EQ(int(PsdError::BadSize), patched([&](auto& b) { putU32(b, record, 5); })); // top > bottom
    // Channel counts and lengths that do not fit.
    EXPECT_EQ(int(PsdError::BadLayerRecord), patched([&](auto& b) { putU16(b, record + 16, 57); }));
    EXPECT_NE(0, patched([&](auto& b) { putU32(b, record + 20, 0xFFFFFFFFu); }));
    // A layer that has pixels but no colour or alpha channel.
    EXPECT_EQ(int(PsdError::MissingChannels), patched([&](auto& b) {
        for (int k = 0; k < 4; ++k)
            putU16(b, record + 18 + size_t(k) * 6, uint16_t(-2)); // all turned into mask channels
    }));
}

TEST(PsdMalformed, CompressionsOtherThanRawAndPackBitsAreRefused)
{
    TPsdDocument doc;
    doc.width = 4;
    doc.height = 2;
    doc.layers.push_back(makeLayer("", 0, 0, 4, 2, 255, true, 3, 1));
    const auto good = writePsdBytes(doc, 3, 0);
    const size_t section = layerSectionAt(good);
    const size_t firstChannel = section + 10 + 70; // one record of 70 bytes (empty name, no 'luni')
    BigEndianReader in(good);
    in.skip(section);
    const size_t merged = section + 4 + in.u32();
    TPsdDocument out;
    for (uint16_t compression : {2, 3, 77}) {
        auto b = good;
        putU16(b, firstChannel, compression);
        EXPECT_EQ(int(PsdError::BadCompression), readPsd(b, out));
        b = good;
        putU16(b, merged, compression);
        EXPECT_EQ(int(PsdError::BadCompression), readPsd(b, out));
    }
    // A PackBits row count that disagrees with the row.
    auto b = good;
    putU16(b, firstChannel + 2, 1);
    EXPECT_EQ(int(PsdError::BadChannelData), readPsd(b, out));
}

// A flat file built by hand: header, empty sections, raw merged planes.
std::vector<uint8_t> flatFile(uint16_t mode, uint16_t depth, uint16_t channels, uint32_t w,
                              uint32_t h, const std::vector<uint8_t>& planes)
{
    BigEndianWriter out;
    out.text("8BPS");
    out.u16(1);
    out.u32(0);
    out.u16(0);
    out.u16(channels);
    out.u32(h);
    out.u32(w);
    out.u16(depth);
    out.u16(mode);
    out.u32(0);
    out.u32(0);
    out.u32(0);
    out.u16(0); // raw
    out.bytes(planes.data(), planes.size());
    return out.data();
}

TEST(PsdRead, OnlyEightBitRgbOrGreyAndOneBitBitmapAreSupported)
{
    TPsdDocument out;
    const std::vector<uint8_t> lots(64, 0);
    EXPECT_EQ(15, readPsd(flatFile(3, 16, 3, 2, 2, lots), out)); // 16-bit RGB
    EXPECT_EQ(15, readPsd(flatFile(4, 8, 4, 2, 2, lots), out));  // CMYK
    EXPECT_EQ(15, readPsd(flatFile(2, 8, 1, 2, 2, lots), out));  // indexed
    EXPECT_EQ(15, readPsd(flatFile(0, 8, 1, 2, 2, lots), out));  // bitmap must be 1-bit
    EXPECT_EQ(15, readPsd(flatFile(1, 1, 1, 2, 2, lots), out));  // 1-bit grey
    EXPECT_EQ(15, readPsd(flatFile(1, 32, 1, 2, 2, lots), out));
}

TEST(PsdRead, GreyAndBitmapFilesBecomeOpaqueColourPictures)
{
    TPsdDocument grey;
    ASSERT_EQ(0, readPsd(flatFile(1, 8, 1, 3, 1, {0x00, 0x80, 0xFF}), grey));
    ASSERT_EQ(3, grey.merged.width());
    EXPECT_EQ(0xFF000000u, grey.merged.pixel(0, 0));
    EXPECT_EQ(0xFF808080u, grey.merged.pixel(1, 0));
    EXPECT_EQ(0xFFFFFFFFu, grey.merged.pixel(2, 0));
    EXPECT_TRUE(grey.layers.empty());

    // Ten pixels in two bytes per row: set bits are black; the padding bits are ignored.
    TPsdDocument bitmap;
    ASSERT_EQ(0, readPsd(flatFile(0, 1, 1, 10, 2, {0xA0, 0x7F, 0x00, 0x40}), bitmap));
    const uint32_t black = 0xFF000000u, white = 0xFFFFFFFFu;
    const uint32_t row0[10] = {black, white, black, white, white, white, white, white, white, black};
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(row0[x], bitmap.merged.pixel(x, 0)) << x;
    EXPECT_EQ(black, bitmap.merged.pixel(9, 1));
    EXPECT_EQ(white, bitmap.merged.pixel(8, 1));
    // A grey picture with a second plane keeps it as an extra channel.
    TPsdDocument extra;
    ASSERT_EQ(0, readPsd(flatFile(1, 8, 2, 2, 1, {1, 2, 30, 40}), extra));
    ASSERT_EQ(1u, extra.extraChannels.size());
    EXPECT_EQ(40, extra.extraChannels[0].pixels.row(0)[1]);
    EXPECT_EQ(0xFF010101u, extra.merged.pixel(0, 0));
}

std::string tempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() /
            (std::string("quillmere_psd_") + std::to_string(::getpid()) + "_" + name))
        .string();
}

TEST(PsdFile, SaveReadsBackAndAFailedSaveKeepsTheOldFile)
{
    const std::string path = tempPath("save.psd");
    const TPsdDocument doc = sampleDocument();
    ASSERT_TRUE(writePsd(doc, path, 6, 0));
    TPsdDocument back;
    ASSERT_EQ(0, readPsdFile(path, back));
    expectSameDocument(doc, back);

    TPsdDocument bad = sampleDocument();
    bad.height = 0;
    EXPECT_FALSE(writePsd(bad, path, 6, 0));
    ASSERT_EQ(0, readPsdFile(path, back));
    expectSameDocument(doc, back);
    // A write cut short over the same file: uncompressed channels make it larger than the limit.
    const auto size = std::filesystem::file_size(path);
    {
        test::FileSizeLimit limit(size + 16);
        ASSERT_TRUE(limit.active());
        EXPECT_FALSE(writePsd(doc, path, 6, kPsdFlagRaw));
    }
    ASSERT_EQ(0, readPsdFile(path, back));
    expectSameDocument(doc, back);
    EXPECT_EQ(std::filesystem::file_size(path), size);
    std::filesystem::remove(path);
    EXPECT_EQ(int(PsdError::CannotOpen), readPsdFile(path, back));
}

std::string jsonEscape(const std::string& s)
{
    std::string out;
    for (const char c : s) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c;
    }
    return out;
}

std::string hexRgba(const TMTC& image)
{
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (int32_t y = 0; y < image.height(); ++y)
        for (int32_t x = 0; x < image.width(); ++x) {
            const uint32_t p = image.row(y)[x];
            for (int shift : {16, 8, 0, 24}) {
                out += digits[(p >> (shift + 4)) & 15];
                out += digits[(p >> shift) & 15];
            }
        }
    return out;
}

TEST(PsdIndependentReader, AcceptsOurFileWithTheSameLayers)
{
    const std::string script =
        (std::filesystem::path(__FILE__).parent_path() / "psd_check.py").string();
    if (!std::filesystem::exists("/usr/bin/python3"))
        GTEST_SKIP() << "/usr/bin/python3 is missing: the independent PSD check is skipped";
    if (std::system("/usr/bin/python3 -c 'import psd_tools' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-psd-tools is missing: the independent PSD check is skipped";

    TPsdDocument doc;
    doc.width = 9;
    doc.height = 7;
    doc.layers.push_back(makeLayer("Ébauche ﾚｲﾔ", 0, 0, 9, 7, 255, true, 3, 1));
    doc.layers.push_back(makeLayer("ink \"2\"", 2, 3, 4, 2, 128, false, 0, 2));
    doc.layers.push_back(makeLayer("light", -1, 5, 3, 3, 10, true, 13, 3));
    doc.merged = patternImage(9, 7, 5);
    for (int flags : {0, kPsdFlagRaw}) {
        SCOPED_TRACE("flags " + std::to_string(flags));
        const std::string path = tempPath("check.psd");
        ASSERT_TRUE(writePsd(doc, path, 6, flags));
        const std::string command = "/usr/bin/python3 '" + script + "' '" + path + "'";
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        ASSERT_TRUE(pipe);
        std::string json;
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
            json.append(buffer, n);
        std::filesystem::remove(path);

        std::string expected = "{\"width\": 9, \"height\": 7, \"layers\": [";
        for (size_t i = 0; i < doc.layers.size(); ++i) {
            const TPsdLayer& l = doc.layers[i];
            const uint32_t key = blendKeyFromMode(l.mode);
            const std::string blend = {char(key >> 24), char(key >> 16), char(key >> 8), char(key)};
            expected += std::string(i ? ", " : "") + "{\"name\": \"" + jsonEscape(l.name) +
                        "\", \"left\": " + std::to_string(l.left) +
                        ", \"top\": " + std::to_string(l.top) +
                        ", \"width\": " + std::to_string(l.pixels.width()) +
                        ", \"height\": " + std::to_string(l.pixels.height()) +
                        ", \"opacity\": " + std::to_string(l.opacity) +
                        ", \"visible\": " + (l.visible ? "true" : "false") + ", \"blend\": \"" +
                        blend + "\", \"rgba\": \"" + hexRgba(l.pixels) + "\"}";
        }
        expected += "]}\n";
        EXPECT_EQ(expected, json);
    }
}

} // namespace
} // namespace qm
