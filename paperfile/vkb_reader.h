// Reading the old ".vkb" paper file (read only; we never write it).
//
// Layout, all integers little-endian:
//   0  "VKB2"
//   4  u32   0 when layer pixels follow
//   8  u32   width, 12 u32 height (1 … 10,000 each)
//   16 u32   paper colour
//   20 u8    layer count − 1,  21 u8 current layer,  22 u8 events must not be written out again
//   24 u32   length of the legacy event stream that ends the file
//   then per layer, bottom first: an 8-byte record (mode, level, flag, 5 unused bytes) and, when
//   pixels follow, a u32 byte count and that many bytes of run-length data, row by row:
//   a control byte c > 124 is followed by 255 − c literal pixels, c ≤ 124 by one pixel repeated
//   c times; a pixel is 3 bytes, bits 16–23, 8–15, 0–7 (alpha byte 0). Decoding stops once the
//   image is full; the rest of the byte count is skipped.
//   Then the legacy event stream (events/event_packet.h).
//
// The reader treats the file as hostile: every length is checked against what remains before
// anything is allocated, and a failed read leaves the caller's TVkbFile untouched.
#pragma once

#include "core/dib_core.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The paper file's error codes, where they apply.
enum class VkbError : int32_t {
    None = 0,
    OutOfMemory = 1, // an image could not be allocated, or all layers together exceed
                     // kVkbMaxPixelBytes
    ReadFailed = 8,  // the file cannot be opened or read (readVkbFile)
    ShortRead = 9,   // the header, a layer record, a byte count or run data ends early, or the
                     // run data ends before the image is full
    TooLarge = 13,   // width or height 0 or above 10,000
    WrongMagic = 16, // not "VKB2"
};

// What the caller shows for WrongMagic, and when the event stream is dropped.
inline constexpr const char* kVkbUnknownFormatText = "未知の形式です！";
inline constexpr const char* kVkbBrokenEventsText =
    "ｲﾍﾞﾝﾄﾃﾞｰﾀ部が壊れています! ｲﾍﾞﾝﾄ出力は無効です...";

inline constexpr int32_t kVkbMaxSide = 10000;
// The most pixel memory all layers together may take; a file asking for more is refused
// (a header with 256 layers and no pixel data would otherwise allocate 100 GB).
inline constexpr int64_t kVkbMaxPixelBytes = int64_t(2) << 30;
// Layers without pixels in the file hold the empty-tile value of a new layer.
inline constexpr uint32_t kVkbEmptyPixel = 0x00FFFFFF;

struct TVkbLayer {
    uint8_t mode = 0;  // the layer record's bytes, as stored
    uint8_t level = 0;
    uint8_t flag = 0;
    // width × height of the paper, 0xAARRGGBB. Decoded pixels have alpha 0, except that a
    // layer whose mode byte is below 3 is opaque (alpha 255) all over.
    TMTC image;
};

struct TVkbFile {
    int32_t width = 0;
    int32_t height = 0;
    uint32_t paperColour = 0;
    int32_t currentLayer = 0;       // clamped to an existing layer
    bool eventsNotWritable = false; // the header's byte 22
    std::vector<TVkbLayer> layers;  // bottom first, at least one
    // The legacy stream through its end code when it scans as valid; empty otherwise.
    std::vector<uint8_t> events;
    // False when the stream is missing, cut short or fails the scan: the picture is still
    // good, the events are dropped and must not be written out (kVkbBrokenEventsText).
    bool eventsValid = false;
    bool eventsProtected = false; // the stream carries all sixteen protection marks
};

VkbError readVkb(std::span<const uint8_t> bytes, TVkbFile& out);
VkbError readVkbFile(const std::string& path, TVkbFile& out);

} // namespace qm
