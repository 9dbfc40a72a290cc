// The packets of the event stream: a 2-byte code (category, sub-code) and a payload whose
// length follows from the code alone, from a count in the sub-code, or from a field of a
// fixed head. All integers little-endian.
#pragma once

#include <cstdint>
#include <functional>

namespace qm {

namespace eventCategory {
inline constexpr uint8_t state = 0;       // state records, written only when they change
inline constexpr uint8_t attribute = 1;   // length-prefixed attribute blocks
inline constexpr uint8_t paper = 2;       // paper operations
inline constexpr uint8_t layer = 4;       // layer operations
inline constexpr uint8_t areaFill = 6;
inline constexpr uint8_t selection = 10;
inline constexpr uint8_t image = 12;      // image placement
inline constexpr uint8_t channel = 13;    // 8-bit channel applied to a layer
inline constexpr uint8_t strokeStart = 23;         // generation 2, smoothed
inline constexpr uint8_t strokeStartRaw = 24;      // generation 2, unsmoothed
inline constexpr uint8_t strokePoints = 17;        // 1 … 16 points of 12 bytes
inline constexpr uint8_t strokeLastPoints = 18;    // the same, then the stroke ends
} // namespace eventCategory

// Sub-codes of the state records, and of the paper operations used here.
namespace stateRecord {
inline constexpr uint8_t version = 0;
inline constexpr uint8_t paperColour = 2;
inline constexpr uint8_t secondColour = 3;
inline constexpr uint8_t gradationPoints = 4;
inline constexpr uint8_t gradationSettings = 5;
inline constexpr uint8_t layerAndSlot = 8;
inline constexpr uint8_t paperFlags = 12;
inline constexpr uint8_t strokeFlags = 13;
inline constexpr uint8_t strokeColourKind = 16;
inline constexpr uint8_t strokeSizes = 17;
inline constexpr uint8_t strokeValues = 18;
inline constexpr uint8_t textFont = 32;
inline constexpr uint8_t text = 33;
inline constexpr uint8_t toneDefinition = 36;
inline constexpr uint8_t toneAttributes = 37;
inline constexpr uint8_t gradationSlots = 40;
} // namespace stateRecord

namespace paperOperation {
inline constexpr uint8_t resizeOld = 0;
inline constexpr uint8_t colour = 1;
inline constexpr uint8_t resize = 8;
inline constexpr uint8_t recordingStart = 254;
inline constexpr uint8_t end = 255;
} // namespace paperOperation

inline constexpr uint16_t kProtectedBit = 0x8000; // in the paper flag word

// Reads `count` bytes of the payload from `offset` (relative to the payload start); false when
// the stream ends first.
using PayloadReader = std::function<bool(uint32_t offset, uint8_t* out, uint32_t count)>;

// The payload length of a packet, −1 for an unknown code or a head that cannot be read.
int64_t payloadLength(uint8_t category, uint8_t sub, const PayloadReader& read);

// Whether the code is a category 0 or 1 packet, which never ends an event on its own.
inline bool isStatePacket(uint8_t category)
{
    return category == eventCategory::state || category == eventCategory::attribute;
}

inline bool isStrokeStart(uint8_t category)
{
    return category == 16 || (category >= 20 && category <= 24);
}

} // namespace qm
