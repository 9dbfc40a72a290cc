// The payloads of the selection events (category 10) and of the colour range record
// (category 0 sub 136). Each layout has this one writer and this one reader; a reader checks
// every length and count against the payload, so a damaged recording stops its replay.
#pragma once

#include "core/rect.h"
#include "paper/select_options.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// The short form, 4 bytes: i16 layer, i16 value. The long form, 12 bytes: i16 layer, u16 slot,
// i32 a, i32 b. `slot` is the value of the short form.
struct TSelectPacket {
    int16_t layer = 0;
    int32_t slot = 0;
    int32_t a = 0;
    int32_t b = 0;
};
bool isShortSelectEvent(uint8_t sub);
std::vector<uint8_t> encodeSelect(uint8_t sub, const TSelectPacket& packet);
bool decodeSelect(uint8_t sub, std::span<const uint8_t> payload, TSelectPacket& packet);

// Subs 16 and 17, 22 bytes: i16 layer, i16 slot, u8 mode, u8 0, i32 x0, i32 y0, i32 x1, i32 y1.
std::vector<uint8_t> encodeSelectShape(const TSelectShape& shape);
bool decodeSelectShape(std::span<const uint8_t> payload, TSelectShape& shape);

// Sub 18: i16 layer, u16 slot, u8 mode, u8 0, u16 point count, then f32 x, f32 y per point.
struct TLassoPacket {
    int16_t layer = 0;
    int16_t slot = 0;
    MaskCombine mode = MaskCombine::Replace;
    std::vector<TPointF> points;
};
inline constexpr size_t kMaxLassoPoints = 65535;
std::vector<uint8_t> encodeLasso(const TLassoPacket& packet);
bool decodeLasso(std::span<const uint8_t> payload, TLassoPacket& packet);

// Category 0 sub 136: u32 n, then n bytes: a 20-byte record (u32 pick count, u8 1 when the
// picks were taken on the displayed picture, three zero bytes, i32 slot, eight zero bytes)
// and the picks, 8 bytes each (B, G, R, A, 1 add / 0 remove, range, two zero bytes).
std::vector<uint8_t> encodeColourRange(const TColourRangeChoice& choice);
bool decodeColourRange(std::span<const uint8_t> payload, TColourRangeChoice& choice);

} // namespace qm
