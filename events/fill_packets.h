// The payloads of the fills: an area fill (category 6, subs 0–3 and 5), a polygon fill
// (category 6 sub 4) and an 8-bit channel applied to a layer (category 13: the seed fill's
// filled area, text, colour masks). Each layout has this one writer and this one reader; a
// reader checks every length and count against the payload and fails on anything that does
// not add up, so a damaged recording stops its replay instead of painting garbage.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "paper/fill_options.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// Subs 0–3 and 5, 22 bytes: i16 layer, i32 value, two i32 (the first point, whole pixels),
// two f32 (the second point). The fill tool keeps its corners on whole pixels, so the first
// point loses nothing as integers.
struct TAreaFillPacket {
    int16_t layer = 0;
    int32_t value = 0;
    int32_t x0 = 0, y0 = 0;
    float x1 = 0.0f, y1 = 0.0f;
};
std::vector<uint8_t> encodeAreaFill(const TAreaFillPacket& packet);
bool decodeAreaFill(std::span<const uint8_t> payload, TAreaFillPacket& packet);

// Sub 4: i16 layer, u16 point count, then f32 x, f32 y per point.
struct TPolygonFillPacket {
    int16_t layer = 0;
    std::vector<TPointF> points;
};
inline constexpr size_t kMaxPolygonFillPoints = 65535;
std::vector<uint8_t> encodePolygonFill(const TPolygonFillPacket& packet);
bool decodePolygonFill(std::span<const uint8_t> payload, TPolygonFillPacket& packet);

// Category 13: the channel block. Subs 0, 1, 16, 17 and 32 use the 54-byte head, subs 2 and 3
// the 72-byte one with a second point and a position. The channel covers `rect` exactly
// (rect.width() × rect.height() bytes).
struct TChannelPacket {
    TChannelEventHead head;
    TChannel channel; // head.rect's size
};
// The largest side a stored channel may have (a paper's largest side).
inline constexpr int32_t kMaxChannelSide = 10000;

enum class ChannelPacketError {
    None = 0,
    ShortHead,      // fewer bytes than the head
    WrongLayout,    // the layout code does not belong to the sub-code
    BadRectangle,   // empty, reversed or larger than a paper
    RawLength,      // the raw length is not the rectangle's area
    CompressedSize, // the compressed lengths disagree with each other or with the payload
    Decompress,     // the channel data does not decompress to exactly the raw length
    OutOfMemory,
};
bool isLongChannelHead(uint8_t sub);
std::vector<uint8_t> encodeChannel(uint8_t sub, const TChannelEventHead& head,
                                   const TChannel& channel);
ChannelPacketError decodeChannel(uint8_t sub, std::span<const uint8_t> payload,
                                 TChannelPacket& packet);

} // namespace qm
