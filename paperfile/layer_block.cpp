#include "paperfile/layer_block.h"

#include "core/block_vmtc.h"
#include "files/image_block.h"
#include "layers/layer_data.h"

#include <algorithm>

namespace qm {

namespace {

constexpr uint32_t kLayerMagic = blockMagic("QLYR");

uint32_t nameFieldLength(const std::string& name)
{
    return uint32_t(alignTo4(name.size() + 1));
}

} // namespace

TLayerRecord layerRecordOf(const CLayerData& layer, int32_t index)
{
    TLayerRecord r;
    r.index = index;
    r.flags = uint16_t((layer.visible ? 1 : 0) | (layer.protectAlpha ? 2 : 0) | 0x10 |
                       (layer.blendNoise ? 0x20 : 0));
    r.mode = layer.mode;
    r.opacity = layer.opacity;
    if (const CBlockVMTC* image = layer.image()) {
        r.tileWidth = uint32_t(image->blockWidth());
        r.tileHeight = uint32_t(image->blockHeight());
        r.tilesAcross = uint32_t(image->blocksAcross());
        r.tilesDown = uint32_t(image->blocksDown());
        r.width = image->width(), r.height = image->height();
    }
    r.offsetX = layer.offsetX, r.offsetY = layer.offsetY;
    r.paperWidth = layer.paperWidth, r.paperHeight = layer.paperHeight;
    r.fill = CBlockVMTC::kDefaultFill;
    r.nameLength = uint16_t(layer.name.size() + 1);
    r.modeWord = (layer.mode & 0x7F) > 3 ? 1 : 0;
    r.blendAmount = layer.blendAmount;
    r.randomState = layer.random.state;
    r.name = layer.name;
    return r;
}

void writeLayerRecord(ByteWriter& out, const TLayerRecord& r)
{
    out.u32(kLayerMagic);
    out.u32(kLayerRecordLength + nameFieldLength(r.name));
    out.i32(r.index);
    out.u16(r.flags);
    out.u8(r.mode);
    out.u8(r.opacity);
    out.u32(r.tileWidth), out.u32(r.tileHeight), out.u32(r.tilesAcross), out.u32(r.tilesDown);
    out.i32(r.width), out.i32(r.height);
    out.i32(r.offsetX), out.i32(r.offsetY), out.i32(r.paperWidth), out.i32(r.paperHeight);
    out.u32(r.fill);
    out.u16(uint16_t(r.name.size() + 1));
    out.u16(r.modeWord);
    out.u8(r.blendAmount);
    out.zeros(3);
    out.u32(r.randomState);
    out.zeros(8);
    out.text(r.name);
    out.zeros(alignTo4(r.name.size() + 1) - r.name.size());
}

bool readLayerRecord(ByteReader& in, uint32_t length, TLayerRecord& r)
{
    if (length < kLayerRecordLength || length - kLayerRecordLength > in.remaining()) return false;
    r.index = in.i32();
    r.flags = in.u16();
    r.mode = in.u8(), r.opacity = in.u8();
    r.tileWidth = in.u32(), r.tileHeight = in.u32(), r.tilesAcross = in.u32(),
    r.tilesDown = in.u32();
    r.width = in.i32(), r.height = in.i32();
    r.offsetX = in.i32(), r.offsetY = in.i32(), r.paperWidth = in.i32(), r.paperHeight = in.i32();
    r.fill = in.u32();
    r.nameLength = in.u16();
    r.modeWord = in.u16();
    r.blendAmount = in.u8();
    in.skip(3);
    r.randomState = in.u32();
    in.skip(8);
    if (in.failed()) return false;
    const std::span<const uint8_t> field = in.take(length - kLayerRecordLength);
    if (in.failed()) return false;
    size_t n = std::min<size_t>(r.nameLength, field.size());
    while (n > 0 && field[n - 1] == 0)
        --n;
    r.name.assign(field.begin(), field.begin() + ptrdiff_t(n));
    return true;
}

} // namespace qm
