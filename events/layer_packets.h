// The payloads of the layer window's packets (category 4): its attribute changes, the blend
// option, a new name and a new offset. Each layout has this one writer and this one reader;
// a reader fails when the payload is too short for its layout.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

class CLayerData;

namespace layerEvent {
inline constexpr uint8_t duplicate = 3;
inline constexpr uint8_t move = 4;
inline constexpr uint8_t offset = 12;
inline constexpr uint8_t opacity = 16;
inline constexpr uint8_t mode = 17;
inline constexpr uint8_t visible = 18;
inline constexpr uint8_t name = 19;
inline constexpr uint8_t protectAlpha = 20;
inline constexpr uint8_t blendOption = 21;
} // namespace layerEvent

inline bool isLayerWindowEvent(uint8_t sub)
{
    return sub == layerEvent::duplicate || sub == layerEvent::move || sub == layerEvent::offset ||
           (sub >= layerEvent::opacity && sub <= layerEvent::blendOption);
}

// The flags byte of the attribute record: the layer's three flags, as the layer block of the
// paper file orders the first two.
inline constexpr uint8_t kLayerFlagVisible = 0x01;
inline constexpr uint8_t kLayerFlagProtectAlpha = 0x02;
inline constexpr uint8_t kLayerFlagBlendNoise = 0x10;

// Subs 16, 17, 18 and 20, 6 bytes: the layer's mode and level (opacity) bytes and its flags,
// with the new value in `value` (opacity, mode) or in its bit of `flags` (visible, protect).
struct TLayerAttributePacket {
    int16_t layer = 0;
    uint8_t mode = 0;
    uint8_t level = 0;
    uint8_t flags = 0;
    uint8_t value = 0; // 0 for the flag changes
};

// Sub 21, 18 bytes: the attribute record (the new blend-noise flag in its flags), the layer's
// second level byte (blend amount) and generator state, then the operation's two values.
struct TBlendOptionPacket {
    TLayerAttributePacket head;
    uint8_t secondLevel = 0;
    uint32_t seed = 0;
    int16_t noise = 0;  // the new flag, 0 or 1
    int32_t amount = 0; // the new amount, 0 … 255
};

// Sub 19: the layer and its new name (zero-terminated, padded to an even length).
struct TLayerNamePacket {
    int16_t layer = 0;
    std::string name;
};

// Sub 12, 20 bytes: how far the layer's offset moves.
struct TLayerOffsetPacket {
    int16_t layer = 0;
    int32_t dx = 0;
    int32_t dy = 0;
};

// The attribute record of a layer as it is now; value 0.
TLayerAttributePacket attributePacketOf(const CLayerData& layer, int32_t index);
uint8_t layerFlagsOf(const CLayerData& layer);

std::vector<uint8_t> encodeLayerAttribute(const TLayerAttributePacket& packet);
bool decodeLayerAttribute(std::span<const uint8_t> payload, TLayerAttributePacket& packet);
std::vector<uint8_t> encodeBlendOption(const TBlendOptionPacket& packet);
bool decodeBlendOption(std::span<const uint8_t> payload, TBlendOptionPacket& packet);
// A name longer than the 16-bit length allows is cut.
std::vector<uint8_t> encodeLayerName(const TLayerNamePacket& packet);
bool decodeLayerName(std::span<const uint8_t> payload, TLayerNamePacket& packet);
std::vector<uint8_t> encodeLayerOffset(const TLayerOffsetPacket& packet);
bool decodeLayerOffset(std::span<const uint8_t> payload, TLayerOffsetPacket& packet);

} // namespace qm
