// The payloads of the stack's packets: new paper sizes and the crop (category 2), the 12-byte
// layer operations and the new layer from the dialog (category 4), and the image block of the
// pictures placed on the paper (category 12). Each layout has this one writer and this one
// reader; a reader checks every length against the payload, so a damaged recording stops its
// replay instead of misreading what follows.
#pragma once

#include "core/rect.h"
#include "paper/stack_options.h"

#include <cstdint>
#include <span>
#include <vector>

namespace qm {

// Subs 2, 3 and 9, 10 bytes: i16 width, u8 anchor, u8 1 when the layers are cut to the new
// canvas, i32 resolution (0 keeps it), i16 height.
std::vector<uint8_t> encodePaperResize(const TPaperResize& resize);
bool decodePaperResize(std::span<const uint8_t> payload, TPaperResize& resize);

// Sub 6, 18 bytes: i16 layer, then left, top, right, bottom as i32.
std::vector<uint8_t> encodeCrop(int32_t layer, const TRect& rect);
bool decodeCrop(std::span<const uint8_t> payload, int32_t& layer, TRect& rect);

// The 12-byte layer operations (subs 10, 38, 39): i16 layer, u16 value, i32 a, i32 b.
struct TLayerValues {
    int32_t layer = 0;
    int32_t value = 0;
    int32_t a = 0;
    int32_t b = 0;
};
std::vector<uint8_t> encodeLayerValues(const TLayerValues& values);
bool decodeLayerValues(std::span<const uint8_t> payload, TLayerValues& values);

// Sub 13, 20 bytes: i16 layer, u16 selection slot, i32 dx, i32 dy (the offset's change), i32
// flags (bit 0: the selection moves along), i32 0.
std::vector<uint8_t> encodeLayerMoveWithMask(const TLayerValues& move);
bool decodeLayerMoveWithMask(std::span<const uint8_t> payload, TLayerValues& move);

// Sub 11: a 42-byte record (i16 index, i32 width, i32 height, u8 opacity, u8 mode, u16 flags:
// bit 0 visible, bit 1 filled opaque in the mode's neutral colour; zeros up to offset 40; u16
// name field length) and the zero-terminated name padded to an even length.
std::vector<uint8_t> encodeNamedLayer(const TNewLayerChoice& choice);
bool decodeNamedLayer(std::span<const uint8_t> payload, TNewLayerChoice& choice);

// The image block: a 22-byte head (i16 layer, i32 width, i32 height, u8 32, u8 1 for the
// placement record that follows, u32 length of all that follows the head, u16 name field
// length, u32 pixel bytes), the 72-byte placement record (i32 x, i32 y of the picture's
// top-left pixel on the paper; u8 1 when the layer's attributes follow, else 0; u8 mode, u8
// opacity, u8 flags: bit 0 visible, bit 1 protect alpha; zeros), the name, then the pixels
// row by row from the top, 4 bytes each (B, G, R, A).
inline constexpr size_t kImageBlockHead = 22;
inline constexpr size_t kPlacementRecord = 72;
std::vector<uint8_t> encodeImageBlock(const TImagePlacement& placement);
std::vector<uint8_t> encodeImageBlock(int32_t layer, TPoint at, const std::string& name,
                                      const TMTC& image,
                                      const std::optional<TPlacedAttributes>& attributes = {});
// Also refuses a picture larger than maxSide on either side.
bool decodeImageBlock(std::span<const uint8_t> payload, int32_t maxSide,
                      TImagePlacement& placement);

} // namespace qm
