#include "events/tone_record.h"

#include "core/byte_io.h"
#include "tone/pat_obj.h"

namespace qm {

namespace {

constexpr uint8_t kKindTone = 0;
constexpr uint8_t kKindBitmap = 1;
constexpr int32_t kMaxTileSide = 4096;

} // namespace

std::vector<uint8_t> encodeToneDefinition(const CPatMngrBase& tones)
{
    const CPatObj* pattern = tones.current();
    if (!pattern)
        return {};
    const auto* tone = dynamic_cast<const CPat8Tone*>(pattern);
    ByteWriter w;
    w.u32(uint32_t(pattern->serial()));
    w.u8(tone ? kKindTone : kKindBitmap);
    w.u8(pattern->inverted() ? 1 : 0);
    w.u16(0);
    w.i32(pattern->scale());
    w.i32(pattern->originX());
    w.i32(pattern->originY());
    const SToneAttr attr = tone ? tone->attr() : SToneAttr{};
    w.u8(attr.shape), w.zeros(3);
    w.f32(attr.dpi), w.f32(attr.lines), w.f32(attr.percent), w.f32(attr.angle);
    w.i32(attr.blur), w.i32(attr.flag);
    const TChannel& tile = pattern->channel();
    const bool withTile = !tone && tile.IsValid();
    w.i32(withTile ? tile.width() : 0);
    w.i32(withTile ? tile.height() : 0);
    w.i32(tones.offsetX()), w.i32(tones.offsetY());
    w.zeros(kToneHeadSize - 4 - w.size());
    w.u32(withTile ? uint32_t(tile.width() * tile.height()) : 0);
    if (withTile)
        for (int32_t y = 0; y < tile.height(); ++y)
            w.bytes(tile.row(y), size_t(tile.width()));
    return w.data();
}

std::vector<uint8_t> encodeToneSelection(const CPatMngrBase& tones)
{
    ByteWriter w;
    w.u32(tones.current() ? uint32_t(tones.current()->serial()) : 0);
    w.i32(tones.offsetX()), w.i32(tones.offsetY());
    w.zeros(kToneSelectSize - 12);
    return w.data();
}

int32_t toneSerialOf(std::span<const uint8_t> definition)
{
    if (definition.size() < 4)
        return -1;
    ByteReader in(definition);
    return int32_t(in.u32());
}

bool TReplayTones::define(std::span<const uint8_t> definition)
{
    if (definition.size() < kToneHeadSize)
        return false;
    ByteReader in(definition);
    const int32_t serial = int32_t(in.u32());
    const uint8_t kind = in.u8();
    const bool inverted = in.u8() != 0;
    in.u16();
    const int32_t scale = in.i32(), originX = in.i32(), originY = in.i32();
    SToneAttr attr;
    attr.shape = in.u8();
    in.skip(3);
    attr.dpi = in.f32(), attr.lines = in.f32(), attr.percent = in.f32(), attr.angle = in.f32();
    attr.blur = in.i32(), attr.flag = in.i32();
    const int32_t width = in.i32(), height = in.i32();
    const int32_t offsetX = in.i32(), offsetY = in.i32();
    int32_t index = -1;
    if (kind == kKindTone) {
        index = tones_.AddTone(attr, true);
    } else if (kind == kKindBitmap) {
        if (width <= 0 || height <= 0 || width > kMaxTileSide || height > kMaxTileSide ||
            definition.size() < kToneHeadSize + size_t(width) * size_t(height))
            return false;
        TChannel tile(width, height);
        for (int32_t y = 0; y < height; ++y)
            std::copy_n(definition.begin() + ptrdiff_t(kToneHeadSize + size_t(y) * size_t(width)),
                        width, tile.row(y));
        index = tones_.AddPattern(tile, scale, {originX, originY});
    }
    if (index < 0)
        return false;
    tones_.SetScale(index, scale);
    tones_.SetOrigin(index, originX, originY);
    tones_.SetInverted(index, inverted);
    tones_.Select(index);
    tones_.SetOffset(offsetX, offsetY);
    bySerial_[serial] = index;
    return true;
}

bool TReplayTones::select(std::span<const uint8_t> selection)
{
    if (selection.size() < kToneSelectSize)
        return false;
    ByteReader in(selection);
    const auto found = bySerial_.find(int32_t(in.u32()));
    if (found == bySerial_.end())
        return false;
    const int32_t offsetX = in.i32(), offsetY = in.i32();
    tones_.Select(found->second);
    tones_.SetOffset(offsetX, offsetY);
    return true;
}

} // namespace qm
