// What the clipboard carries between this program and others, as bytes: the picture as a
// device-independent bitmap (and as a BMP file, the form Linux programs exchange), a layer's
// attributes in the paper file's layer record, and the rectangle a copy came from.
#pragma once

#include "core/dib_core.h"
#include "core/rect.h"
#include "paper/stack_options.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

class CLayerData;

// 24 bits per pixel when every pixel is opaque, else 32 (alpha kept); empty for no image.
std::vector<uint8_t> clipboardDib(const TMTC& image);
// "BM", the file size, two zero words and the offset of the pixels, then the DIB.
std::vector<uint8_t> bmpFileOfDib(std::span<const uint8_t> dib);
// A DIB from the clipboard (any depth a BMP file may have): 24-bit and narrower pictures come
// out opaque, 32-bit ones as they are. False for anything unreadable.
bool pictureFromDib(std::span<const uint8_t> dib, TMTC& picture);
// The same from a BMP file's bytes.
bool pictureFromBmpFile(std::span<const uint8_t> file, TMTC& picture);

// A layer's attributes: its record at stack position `index`, without its tiles.
std::vector<uint8_t> encodeLayerAttributes(const CLayerData& layer, int32_t index);
// Accepted only when the bytes start with "QLYR" and hold the whole record; the mode is
// clamped to the last blend mode.
bool decodeLayerAttributes(std::span<const uint8_t> bytes, TPlacedAttributes& attributes,
                           std::string& name);

// The copied area: left, top, right, bottom as i32.
inline constexpr size_t kClipBoxBytes = 16;
std::vector<uint8_t> encodeClipBox(const TRect& rect);
bool decodeClipBox(std::span<const uint8_t> bytes, TRect& rect);

} // namespace qm
