// The text tool's font record, its 68-byte packet and the text packet: bytes written here from
// the documented layouts, round trips, and damaged input refused without harm. Also the UTF-8
// reading the text goes through.
#include "text/font_record.h"
#include "text/utf8_decode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

namespace {

void putI32(std::vector<uint8_t>& b, int32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

// The LOGFONT the layout documents, byte by byte.
std::vector<uint8_t> logFontBytes(int32_t height, int32_t weight, uint8_t italic, uint8_t charSet,
                                  const std::string& name)
{
    std::vector<uint8_t> b;
    putI32(b, height);
    putI32(b, 0);
    putI32(b, 0);
    putI32(b, 0);
    putI32(b, weight);
    b.insert(b.end(), {italic, 0, 0, charSet, 0, 0, 4, 0});
    b.insert(b.end(), name.begin(), name.end());
    b.resize(60, 0);
    return b;
}

std::vector<char32_t> decodeAll(const std::string& text)
{
    std::vector<char32_t> out;
    size_t pos = 0;
    char32_t c = 0;
    while (nextCodePoint(text, pos, c))
        out.push_back(c);
    return out;
}

} // namespace

TEST(TextFontRecord, PixelHeightIsPointsAtNinetySixDpiRounded)
{
    // points × 4 / 3 worked by hand.
    EXPECT_EQ(pixelHeightForPoints(1), 1);   // 1.33
    EXPECT_EQ(pixelHeightForPoints(2), 3);   // 2.67
    EXPECT_EQ(pixelHeightForPoints(9), 12);  // 12
    EXPECT_EQ(pixelHeightForPoints(10), 13); // 13.33
    EXPECT_EQ(pixelHeightForPoints(11), 15); // 14.67
    EXPECT_EQ(pixelHeightForPoints(36), 48);
    EXPECT_EQ(pixelHeightForPoints(0), 0);
    EXPECT_EQ(pixelHeightForPoints(-5), 0);
    EXPECT_GT(pixelHeightForPoints(INT32_MAX), 0); // no overflow
    for (int32_t p = 1; p <= 500; ++p)
        EXPECT_EQ(pointsForPixelHeight(pixelHeightForPoints(p)), p) << p;
}

TEST(TextFontRecord, LogFontBytesFollowTheLayout)
{
    TFontRecord font{"IPAGothic", 12, 128, true, true};
    const TLogFontBytes bytes = encodeLogFont(font);
    const std::vector<uint8_t> expected = logFontBytes(-16, 700, 1, 128, "IPAGothic");
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);

    TFontRecord regular{"@IPAGothic", 9, 1, false, false};
    const TLogFontBytes r = encodeLogFont(regular);
    EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.end()), logFontBytes(-12, 400, 0, 1, "@IPAGothic"));
    EXPECT_TRUE(regular.vertical());
    EXPECT_EQ(regular.family(), "IPAGothic");
}

TEST(TextFontRecord, LogFontRoundTripsAndReadsForeignTerms)
{
    for (const TFontRecord& font :
         {TFontRecord{"DejaVu Sans", 10, 0, false, true},
          TFontRecord{"@IPAゴシック", 48, 128, true, false}, TFontRecord{"", 1, 255, true, true}}) {
        const TLogFontBytes bytes = encodeLogFont(font);
        TFontRecord back;
        ASSERT_TRUE(decodeLogFont(bytes, back)) << font.face;
        EXPECT_EQ(back, font);
    }
    // A positive height is a pixel height as well; weights from 600 up are bold.
    TFontRecord read;
    ASSERT_TRUE(decodeLogFont(logFontBytes(16, 600, 0, 0, "X"), read));
    EXPECT_EQ(read.points, 12);
    EXPECT_TRUE(read.bold);
    ASSERT_TRUE(decodeLogFont(logFontBytes(-16, 599, 7, 0, "X"), read));
    EXPECT_FALSE(read.bold);
    EXPECT_TRUE(read.italic);
    // The most negative height does not overflow.
    ASSERT_TRUE(decodeLogFont(logFontBytes(INT32_MIN, 400, 0, 0, "X"), read));
    EXPECT_GT(read.points, 0);
}

TEST(TextFontRecord, LongFaceNamesAreCutAtACharacterBoundary)
{
    TFontRecord back;
    // Eleven three-byte characters are 33 bytes: ten (30 bytes) fit before the NUL.
    std::string kana;
    for (int i = 0; i < 11; ++i)
        kana += "あ";
    TFontRecord japanese{kana, 12, 0, false, false};
    const TLogFontBytes bytes = encodeLogFont(japanese);
    EXPECT_EQ(bytes[28 + 30], 0);
    ASSERT_TRUE(decodeLogFont(bytes, back));
    EXPECT_EQ(back.face, kana.substr(0, 30));
}

TEST(TextFontRecord, DamagedLogFontIsRefused)
{
    const std::vector<uint8_t> good = logFontBytes(-16, 400, 0, 0, "Face");
    TFontRecord font{"kept", 5, 0, false, false};
    const TFontRecord before = font;

    EXPECT_FALSE(decodeLogFont(std::span(good).first(59), font));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decodeLogFont(longer, font));
    EXPECT_FALSE(decodeLogFont({}, font));

    std::vector<uint8_t> noNul = good;
    for (size_t i = 28; i < 60; ++i)
        noNul[i] = 'x';
    EXPECT_FALSE(decodeLogFont(noNul, font));

    std::vector<uint8_t> notUtf8 = good;
    notUtf8[29] = 0xFF;
    EXPECT_FALSE(decodeLogFont(notUtf8, font));

    EXPECT_FALSE(decodeLogFont(logFontBytes(-16, 1001, 0, 0, "Face"), font));
    EXPECT_FALSE(decodeLogFont(logFontBytes(-16, -1, 0, 0, "Face"), font));
    EXPECT_EQ(font, before);
}

TEST(TextFontPacket, BytesFollowTheLayoutAndRoundTrip)
{
    TTextFontPacket packet{{"IPAGothic", 12, 128, false, true}, -3, 5};
    std::vector<uint8_t> expected = logFontBytes(-16, 700, 0, 128, "IPAGothic");
    expected.insert(expected.end(), {0xFD, 0xFF, 0x05, 0x00, 0, 0, 0, 0});
    const std::vector<uint8_t> bytes = encodeTextFont(packet);
    EXPECT_EQ(bytes, expected);

    TTextFontPacket back;
    ASSERT_TRUE(decodeTextFont(bytes, back));
    EXPECT_EQ(back, packet);

    TTextFontPacket extremes{{"@x", 200, 0, true, false}, INT16_MIN, INT16_MAX};
    ASSERT_TRUE(decodeTextFont(encodeTextFont(extremes), back));
    EXPECT_EQ(back, extremes);
}

TEST(TextFontPacket, DamagedPacketIsRefused)
{
    const std::vector<uint8_t> good = encodeTextFont({{"IPAGothic", 12, 0, false, false}, 1, 2});
    ASSERT_EQ(good.size(), 68u);
    TTextFontPacket packet{{"kept", 5, 0, false, false}, 9, 9};
    const TTextFontPacket before = packet;

    EXPECT_FALSE(decodeTextFont(std::span(good).first(67), packet));
    std::vector<uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(decodeTextFont(longer, packet));
    for (size_t reserved : {64u, 65u, 66u, 67u}) {
        std::vector<uint8_t> bad = good;
        bad[reserved] = 1;
        EXPECT_FALSE(decodeTextFont(bad, packet)) << reserved;
    }
    std::vector<uint8_t> badWeight = good;
    badWeight[17] = 0x10; // weight 4240
    EXPECT_FALSE(decodeTextFont(badWeight, packet));
    EXPECT_EQ(packet, before);
}

TEST(TextPacket, BytesFollowTheLayout)
{
    // n = length + terminator, rounded up to even.
    EXPECT_EQ(encodeText("a\r\nb"), (std::vector<uint8_t>{6, 0, 'a', 0x0D, 0x0A, 'b', 0, 0}));
    EXPECT_EQ(encodeText("ab"), (std::vector<uint8_t>{4, 0, 'a', 'b', 0, 0}));
    EXPECT_EQ(encodeText("abc"), (std::vector<uint8_t>{4, 0, 'a', 'b', 'c', 0}));
    EXPECT_EQ(encodeText(""), (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(encodeText("あ"), (std::vector<uint8_t>{4, 0, 0xE3, 0x81, 0x82, 0}));

    for (const std::string& text :
         {std::string("日本語\r\nテキスト"), std::string("x"), std::string()}) {
        std::string back = "junk";
        ASSERT_TRUE(decodeText(encodeText(text), back));
        EXPECT_EQ(back, text);
    }
}

TEST(TextPacket, DamagedPacketIsRefused)
{
    std::string text = "kept";
    EXPECT_FALSE(decodeText({}, text));
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{4}, text));
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{4, 0, 'a', 'b', 0}, text)); // short
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{2, 0, 'a', 0, 0}, text));   // long
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{2, 0, 'a', 'b'}, text));    // no NUL
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{0, 0}, text));              // no NUL
    EXPECT_FALSE(decodeText(std::vector<uint8_t>{0xFF, 0xFF, 'a', 0}, text));
    EXPECT_EQ(text, "kept");
    // Bytes after the NUL are padding.
    ASSERT_TRUE(decodeText(std::vector<uint8_t>{4, 0, 'a', 0, 'z', 'z'}, text));
    EXPECT_EQ(text, "a");
}

TEST(Utf8, InvalidBytesAreSkippedOneByOne)
{
    EXPECT_EQ(decodeAll("a\xFF"
                        "b"),
              (std::vector<char32_t>{'a', 'b'}));
    EXPECT_EQ(decodeAll("\xE3\x81\x82"), (std::vector<char32_t>{0x3042}));
    EXPECT_EQ(decodeAll("\xF0\x9F\x98\x80!"), (std::vector<char32_t>{0x1F600, '!'}));
    EXPECT_EQ(decodeAll("\xC3\xA9"), (std::vector<char32_t>{0xE9}));
    // A sequence cut short: the lead is skipped, the stray continuation too.
    EXPECT_EQ(decodeAll("\xE3\x81z"), (std::vector<char32_t>{'z'}));
    EXPECT_EQ(decodeAll("\xE3\x81"), (std::vector<char32_t>{}));
    // Overlong, surrogate and out-of-range forms are not characters.
    EXPECT_EQ(decodeAll("\xC0\xAF"
                        "a"),
              (std::vector<char32_t>{'a'}));
    EXPECT_EQ(decodeAll("\xE0\x80\xAF"
                        "a"),
              (std::vector<char32_t>{'a'}));
    EXPECT_EQ(decodeAll("\xED\xA0\x80"
                        "a"),
              (std::vector<char32_t>{'a'}));
    EXPECT_EQ(decodeAll("\xF4\x90\x80\x80"
                        "a"),
              (std::vector<char32_t>{'a'}));
    // The valid character right after a broken lead survives.
    EXPECT_EQ(decodeAll("\xE3"
                        "\xE3\x81\x82"),
              (std::vector<char32_t>{0x3042}));
    EXPECT_EQ(validUtf8("a\xFF\xE3\x81\x82\x80"), "a\xE3\x81\x82");
    EXPECT_EQ(prefixAtCharacterBoundary("a\xE3\x81\x82", 3), "a");
    EXPECT_EQ(prefixAtCharacterBoundary("a\xE3\x81\x82", 4), "a\xE3\x81\x82");
}

} // namespace qm
