// The text tool's font and the records that carry it in a recording.
//
// The 60-byte LOGFONT form, little-endian:
//   offset  0  i32 lfHeight        −(pixel height of the em), pixel height = round(points × 96 /
//   72)
//           4  i32 lfWidth         0
//           8  i32 lfEscapement    0
//          12  i32 lfOrientation   0
//          16  i32 lfWeight        700 bold, 400 regular
//          20  u8  lfItalic        1 italic, 0 upright
//          21  u8  lfUnderline     0
//          22  u8  lfStrikeOut     0
//          23  u8  lfCharSet       the character set byte
//          24  u8  lfOutPrecision  0
//          25  u8  lfClipPrecision 0
//          26  u8  lfQuality       4 (anti-aliased)
//          27  u8  lfPitchAndFamily 0
//          28  32 bytes lfFaceName the face name as UTF-8 with a terminating NUL, zero-padded:
//              at most 31 bytes of name, shortened at a character boundary when longer.
// UTF-8 keeps every name of up to 31 ASCII characters (all the usual Latin family names) and
// about ten CJK characters whole; the name only tells a reader which font was used, since a
// replay takes the drawn channel and never needs the font.
//
// The reader accepts a positive lfHeight as a pixel height too, and takes any weight of 600 or
// more as bold.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

struct TFontRecord {
    std::string face;    // UTF-8; a leading "@" asks for vertical text
    int32_t points = 0;  // point size
    uint8_t charSet = 0; // character set byte, kept for the record
    bool italic = false;
    bool bold = false;

    bool vertical() const { return !face.empty() && face.front() == '@'; }
    // The family name without the vertical mark.
    std::string family() const { return vertical() ? face.substr(1) : face; }
    friend bool operator==(const TFontRecord&, const TFontRecord&) = default;
};

// Pixels of the em at 96 pixels per inch: round(points × 96 / 72), halves rounded up; 0 for
// sizes ≤ 0, at most INT32_MAX.
int32_t pixelHeightForPoints(int32_t points);
// The point size whose pixel height that is: round(pixels × 72 / 96).
int32_t pointsForPixelHeight(int32_t pixels);

inline constexpr size_t kLogFontSize = 60;
inline constexpr size_t kFaceNameBytes = 32;
inline constexpr int32_t kWeightBold = 700;
inline constexpr int32_t kWeightRegular = 400;

using TLogFontBytes = std::array<uint8_t, kLogFontSize>;

TLogFontBytes encodeLogFont(const TFontRecord& font);
// False (and `font` untouched) when the length is not 60, the face name has no NUL or is not
// UTF-8, or the weight lies outside 0…1000.
bool decodeLogFont(std::span<const uint8_t> bytes, TFontRecord& font);

// The text-font record (68 bytes): the LOGFONT, i16 spacing, i16 leading, u16 0, u16 0.
struct TTextFontPacket {
    TFontRecord font;
    int16_t spacing = 0; // extra pixels on every advance
    int16_t leading = 0; // extra pixels on every line height
    friend bool operator==(const TTextFontPacket&, const TTextFontPacket&) = default;
};
inline constexpr size_t kTextFontPacketSize = 68;
std::vector<uint8_t> encodeTextFont(const TTextFontPacket& packet);
// False when the length is not 68, the LOGFONT is refused or the two reserved words are not 0.
bool decodeTextFont(std::span<const uint8_t> payload, TTextFontPacket& packet);

// The text record: u16 n, then n bytes holding the text and a NUL, n rounded up to even.
// The text is UTF-8 with lines separated by CR LF. A text too long for the u16 is shortened
// at a character boundary to the longest that fits (65533 bytes).
inline constexpr size_t kMaxRecordedTextBytes = 65533;
std::vector<uint8_t> encodeText(const std::string& text);
// False when the payload is shorter than its count says or longer, or holds no NUL.
bool decodeText(std::span<const uint8_t> payload, std::string& text);

} // namespace qm
