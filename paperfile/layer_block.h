// A layer's record as the paper file keeps it before the layer's tiles: the 80-byte block
// head "QLYR" (its length field 72 + the name field) and the name, zero-terminated and padded
// to a multiple of 4. The clipboard carries the same record as a layer's attributes.
#pragma once

#include "core/byte_io.h"

#include <cstdint>
#include <string>

namespace qm {

class CLayerData;

inline constexpr uint32_t kLayerRecordLength = 72; // the record after magic and length

struct TLayerRecord {
    int32_t index = 0;
    uint16_t flags = 0; // bit 0 visible, 1 protect alpha, 4 blend fields valid, 5 blend noise
    uint8_t mode = 0, opacity = 255;
    uint32_t tileWidth = 32, tileHeight = 32, tilesAcross = 0, tilesDown = 0;
    int32_t width = 0, height = 0;
    int32_t offsetX = 0, offsetY = 0, paperWidth = 0, paperHeight = 0;
    uint32_t fill = 0;
    uint16_t nameLength = 0; // with the terminator
    uint16_t modeWord = 0;   // 1 when the mode byte is outside 0 … 3
    uint8_t blendAmount = 255;
    uint32_t randomState = 0;
    std::string name;
};

// The record of a layer at stack position `index` (its image's tile grid of 32 × 32).
TLayerRecord layerRecordOf(const CLayerData& layer, int32_t index);
// Magic, length, the record and the name.
void writeLayerRecord(ByteWriter& out, const TLayerRecord& record);
// The record after magic and length, `length` the length field: the name field must lie in
// what remains. False when it does not, or the bytes run out; the fields are not judged.
bool readLayerRecord(ByteReader& in, uint32_t length, TLayerRecord& record);

} // namespace qm
