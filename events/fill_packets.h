// The payloads of the fills: an area fill (category 6, subs 0–3 and 5), a polygon fill
// (category 6 sub 4) and an 8-bit channel applied to a layer (category 13: the seed fill's
// filled area, text, colour masks). Each layout has this one writer and this one reader; a
// reader checks every length and count against the payload and fails on anything that does
// not add up, so a damaged recording stops its replay instead of painting garbage.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

namespace areaFillEvent {
inline constexpr uint8_t fillSelection = 0;  // the selection with a colour
inline constexpr uint8_t clearSelection = 1; // the selection with the paper colour
inline constexpr uint8_t gradation = 2;
inline constexpr uint8_t shape = 3;          // the fill tool: a rectangle or an ellipse
inline constexpr uint8_t polygon = 4;
inline constexpr uint8_t wholeLayer = 5;     // the Insert key: the layer with the pen colour
} // namespace areaFillEvent

// What `value` of a shape fill names.
enum class TFillShape : int32_t { rectangle = 0, ellipse = 1 };

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

namespace channelEvent {
inline constexpr uint8_t bucket = 0;        // paint bucket, the layer as its source
inline constexpr uint8_t wand = 1;          // magic wand, the layer as its source
inline constexpr uint8_t bucketOnView = 2;  // the same with the displayed picture as source
inline constexpr uint8_t wandOnView = 3;
inline constexpr uint8_t text = 16;
inline constexpr uint8_t textSelection = 17;
inline constexpr uint8_t colourMask = 32;
} // namespace channelEvent

// Category 13: the channel block. Subs 0, 1, 16, 17 and 32 use the 54-byte head, subs 2 and 3
// the 72-byte one with a second point and a position. The channel covers `rect` exactly
// (rect.width() × rect.height() bytes).
struct TChannelPacket {
    int16_t layer = 0;
    int16_t value = 0;
    TPoint first{0, 0};  // short head: the layer image's origin
    TPoint second{0, 0}; // short head: the operation's point
    TPoint position{0, 0}; // long head only
    uint8_t options[3] = {0, 0, 0};
    int16_t optionValue = 0;
    TRect rect{0, 0, 0, 0};
    TChannel channel;
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
std::vector<uint8_t> encodeChannel(uint8_t sub, const TChannelPacket& packet);
ChannelPacketError decodeChannel(uint8_t sub, std::span<const uint8_t> payload,
                                 TChannelPacket& packet);

} // namespace qm
