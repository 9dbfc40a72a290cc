#include "text/font_record.h"

#include "core/byte_io.h"
#include "text/utf8_decode.h"

#include <algorithm>
#include <string_view>

namespace qm {

namespace {

constexpr uint8_t kQualityAntialiased = 4;
constexpr int32_t kBoldFrom = 600;
constexpr int32_t kMaxWeight = 1000;

} // namespace

int32_t pixelHeightForPoints(int32_t points)
{
    if (points <= 0) return 0;
    // round(p × 4 / 3) with halves up = floor((8p + 3) / 6); 64-bit for the largest sizes.
    return int32_t(std::min<int64_t>((int64_t(points) * 8 + 3) / 6, INT32_MAX));
}

int32_t pointsForPixelHeight(int32_t pixels)
{
    if (pixels <= 0) return 0;
    return int32_t((int64_t(pixels) * 3 + 2) / 4);
}

TLogFontBytes encodeLogFont(const TFontRecord& font)
{
    ByteWriter w;
    w.i32(-pixelHeightForPoints(font.points));
    w.i32(0); // width: the face's own
    w.i32(0); // escapement
    w.i32(0); // orientation
    w.i32(font.bold ? kWeightBold : kWeightRegular);
    w.u8(font.italic ? 1 : 0);
    w.u8(0); // underline
    w.u8(0); // strike-out
    w.u8(font.charSet);
    w.u8(0); // output precision
    w.u8(0); // clip precision
    w.u8(kQualityAntialiased);
    w.u8(0); // pitch and family
    const std::string_view name = prefixAtCharacterBoundary(font.face, kFaceNameBytes - 1);
    w.text(name);
    w.zeros(kFaceNameBytes - name.size());

    TLogFontBytes out{};
    std::copy(w.data().begin(), w.data().end(), out.begin());
    return out;
}

bool decodeLogFont(std::span<const uint8_t> bytes, TFontRecord& font)
{
    if (bytes.size() != kLogFontSize) return false;
    ByteReader r(bytes);
    const int32_t height = r.i32();
    r.skip(12); // width, escapement, orientation
    const int32_t weight = r.i32();
    const uint8_t italic = r.u8();
    r.skip(2); // underline, strike-out
    const uint8_t charSet = r.u8();
    r.skip(4); // precisions, quality, pitch and family
    const std::span<const uint8_t> nameBytes = r.take(kFaceNameBytes);
    if (r.failed() || weight < 0 || weight > kMaxWeight) return false;

    const auto nul = std::find(nameBytes.begin(), nameBytes.end(), uint8_t(0));
    if (nul == nameBytes.end()) return false;
    const std::string_view name(reinterpret_cast<const char*>(nameBytes.data()),
                                size_t(nul - nameBytes.begin()));
    if (validUtf8(name).size() != name.size()) return false;

    // |INT32_MIN| does not fit an i32: work in 64 bits and clamp.
    const int64_t pixels = std::min<int64_t>(height < 0 ? -int64_t(height) : height, INT32_MAX);
    font.face = std::string(name);
    font.points = pointsForPixelHeight(int32_t(pixels));
    font.charSet = charSet;
    font.italic = italic != 0;
    font.bold = weight >= kBoldFrom;
    return true;
}

std::vector<uint8_t> encodeTextFont(const TTextFontPacket& packet)
{
    ByteWriter w;
    const TLogFontBytes logFont = encodeLogFont(packet.font);
    w.bytes(logFont.data(), logFont.size());
    w.i16(packet.spacing);
    w.i16(packet.leading);
    w.u16(0);
    w.u16(0);
    return w.data();
}

bool decodeTextFont(std::span<const uint8_t> payload, TTextFontPacket& packet)
{
    if (payload.size() != kTextFontPacketSize) return false;
    TFontRecord font;
    if (!decodeLogFont(payload.first(kLogFontSize), font)) return false;
    ByteReader r(payload.subspan(kLogFontSize));
    const int16_t spacing = r.i16();
    const int16_t leading = r.i16();
    const uint16_t reserved0 = r.u16();
    const uint16_t reserved1 = r.u16();
    if (r.failed() || reserved0 != 0 || reserved1 != 0) return false;
    packet.font = std::move(font);
    packet.spacing = spacing;
    packet.leading = leading;
    return true;
}

std::vector<uint8_t> encodeText(const std::string& text)
{
    const std::string_view kept = prefixAtCharacterBoundary(text, kMaxRecordedTextBytes);
    const size_t n = (kept.size() + 1 + 1) & ~size_t(1); // text, NUL, rounded up to even
    ByteWriter w;
    w.u16(uint16_t(n));
    w.text(kept);
    w.zeros(n - kept.size());
    return w.data();
}

bool decodeText(std::span<const uint8_t> payload, std::string& text)
{
    ByteReader r(payload);
    const uint16_t n = r.u16();
    if (r.failed() || r.remaining() != n) return false;
    const std::span<const uint8_t> field = r.take(n);
    const auto nul = std::find(field.begin(), field.end(), uint8_t(0));
    if (nul == field.end()) return false;
    text.assign(reinterpret_cast<const char*>(field.data()), size_t(nul - field.begin()));
    return true;
}

} // namespace qm
