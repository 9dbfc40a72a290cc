#include "events/stack_packets.h"

#include "core/byte_io.h"

#include <algorithm>
#include <limits>

namespace qm {

namespace {

constexpr size_t kNamedLayerHead = 42;
constexpr size_t kLongestName = 65532; // with its terminator, the field still fits 16 bits

size_t nameField(const std::string& name)
{
    const size_t length = std::min(name.size(), kLongestName);
    return length == 0 ? 0 : (length + 2) & ~size_t(1);
}

void writeName(ByteWriter& out, const std::string& name)
{
    const size_t field = nameField(name);
    const size_t length = std::min(name.size(), kLongestName);
    out.bytes(name.data(), length);
    out.zeros(field - length);
}

// The name ends at its terminator, or with the field when a writer left none.
std::string readName(std::span<const uint8_t> field)
{
    const auto end = std::find(field.begin(), field.end(), uint8_t(0));
    return {field.begin(), end};
}

} // namespace

std::vector<uint8_t> encodePaperResize(const TPaperResize& resize)
{
    ByteWriter out;
    out.i16(int16_t(resize.width));
    out.u8(resize.anchor), out.u8(resize.trimLayers);
    out.i32(resize.dpi);
    out.i16(int16_t(resize.height));
    return out.data();
}

bool decodePaperResize(std::span<const uint8_t> payload, TPaperResize& resize)
{
    ByteReader in(payload);
    resize.width = in.i16();
    resize.anchor = in.u8();
    resize.trimLayers = in.u8();
    resize.dpi = in.i32();
    resize.height = in.i16();
    return !in.failed();
}

std::vector<uint8_t> encodeCrop(int32_t layer, const TRect& rect)
{
    ByteWriter out;
    out.i16(int16_t(layer));
    out.i32(rect.left), out.i32(rect.top), out.i32(rect.right), out.i32(rect.bottom);
    return out.data();
}

bool decodeCrop(std::span<const uint8_t> payload, int32_t& layer, TRect& rect)
{
    ByteReader in(payload);
    layer = in.i16();
    rect.left = in.i32(), rect.top = in.i32(), rect.right = in.i32(), rect.bottom = in.i32();
    return !in.failed();
}

std::vector<uint8_t> encodeLayerValues(const TLayerValues& values)
{
    ByteWriter out;
    out.i16(int16_t(values.layer)), out.u16(uint16_t(values.value));
    out.i32(values.a), out.i32(values.b);
    return out.data();
}

bool decodeLayerValues(std::span<const uint8_t> payload, TLayerValues& values)
{
    ByteReader in(payload);
    values.layer = in.i16();
    values.value = in.u16();
    values.a = in.i32();
    values.b = in.i32();
    return !in.failed();
}

std::vector<uint8_t> encodeLayerMoveWithMask(const TLayerValues& move)
{
    ByteWriter out;
    out.i16(int16_t(move.layer)), out.u16(uint16_t(move.value));
    out.i32(move.a), out.i32(move.b);
    out.i32(1), out.i32(0);
    return out.data();
}

bool decodeLayerMoveWithMask(std::span<const uint8_t> payload, TLayerValues& move)
{
    ByteReader in(payload);
    move.layer = in.i16();
    move.value = in.u16();
    move.a = in.i32();
    move.b = in.i32();
    const int32_t flags = in.i32();
    in.i32();
    return !in.failed() && (flags & 1) != 0;
}

std::vector<uint8_t> encodeNamedLayer(const TNewLayerChoice& choice)
{
    ByteWriter out;
    out.i16(int16_t(choice.index)), out.i32(choice.width), out.i32(choice.height);
    out.u8(choice.opacity), out.u8(choice.mode);
    out.u16(uint16_t((choice.visible ? 1 : 0) | (choice.neutralFill ? 2 : 0)));
    out.zeros(kNamedLayerHead - 2 - out.data().size());
    out.u16(uint16_t(nameField(choice.name)));
    writeName(out, choice.name);
    return out.data();
}

bool decodeNamedLayer(std::span<const uint8_t> payload, TNewLayerChoice& choice)
{
    ByteReader in(payload);
    choice.index = in.i16();
    choice.width = in.i32();
    choice.height = in.i32();
    choice.opacity = in.u8();
    choice.mode = in.u8();
    const uint16_t flags = in.u16();
    in.skip(kNamedLayerHead - 2 - 14);
    const std::span<const uint8_t> field = in.take(in.u16());
    if (in.failed()) return false;
    choice.visible = (flags & 1) != 0;
    choice.neutralFill = (flags & 2) != 0;
    choice.name = readName(field);
    return true;
}

std::vector<uint8_t> encodeImageBlock(const TImagePlacement& placement)
{
    return encodeImageBlock(placement.layer, placement.at, placement.name, placement.image,
                            placement.attributes);
}

std::vector<uint8_t> encodeImageBlock(int32_t layer, TPoint at, const std::string& name,
                                      const TMTC& image,
                                      const std::optional<TPlacedAttributes>& attributes)
{
    const int32_t w = image.IsValid() ? image.width() : 0;
    const int32_t h = image.IsValid() ? image.height() : 0;
    const size_t pixels = size_t(w) * size_t(h) * 4;
    const size_t nameBytes = nameField(name);
    const size_t tail = kPlacementRecord + nameBytes + pixels; // all even
    ByteWriter out;
    out.data().reserve(kImageBlockHead + tail);
    out.i16(int16_t(layer)), out.i32(w), out.i32(h);
    out.u8(32), out.u8(1);
    out.u32(uint32_t(tail));
    out.u16(uint16_t(nameBytes));
    out.u32(uint32_t(pixels));
    out.i32(at.x), out.i32(at.y);
    if (attributes) {
        out.u8(1), out.u8(attributes->mode), out.u8(attributes->opacity);
        out.u8(uint8_t((attributes->visible ? 1 : 0) | (attributes->protectAlpha ? 2 : 0)));
    } else {
        out.zeros(4);
    }
    out.zeros(kPlacementRecord - 12);
    writeName(out, name);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out.u32(image.pixel(x, y));
    return out.data();
}

bool decodeImageBlock(std::span<const uint8_t> payload, int32_t maxSide, TImagePlacement& placement)
{
    ByteReader in(payload);
    placement.layer = in.i16();
    const int32_t w = in.i32(), h = in.i32();
    const uint8_t bits = in.u8(), hasPlacement = in.u8();
    const uint32_t tail = in.u32();
    const uint16_t nameLength = in.u16();
    const uint32_t pixelBytes = in.u32();
    if (in.failed() || bits != 32 || hasPlacement > 1 || w <= 0 || h <= 0 || w > maxSide ||
        h > maxSide || uint64_t(pixelBytes) != uint64_t(w) * uint64_t(h) * 4 ||
        tail > in.remaining())
        return false;
    placement.at = {0, 0};
    placement.attributes.reset();
    if (hasPlacement) {
        const std::span<const uint8_t> record = in.take(kPlacementRecord);
        if (in.failed()) return false;
        ByteReader at(record);
        placement.at = {at.i32(), at.i32()};
        const uint8_t hasAttributes = at.u8(), mode = at.u8(), opacity = at.u8(),
                      flags = at.u8();
        if (hasAttributes > 1 || mode > kLastPlacedMode || flags > 3) return false;
        if (hasAttributes)
            placement.attributes =
                TPlacedAttributes{mode, opacity, (flags & 1) != 0, (flags & 2) != 0};
    }
    const std::span<const uint8_t> name = in.take(nameLength);
    if (in.failed()) return false;
    placement.name = readName(name);
    if ((nameLength & 1) != 0) in.skip(1); // padding to even
    const std::span<const uint8_t> bytes = in.take(pixelBytes);
    if (in.failed() || !placement.image.Resize(w, h)) return false;
    for (int32_t y = 0; y < h; ++y) {
        uint32_t* row = placement.image.row(y);
        for (int32_t x = 0; x < w; ++x) {
            const size_t at = (size_t(y) * size_t(w) + size_t(x)) * 4;
            row[x] = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 |
                     uint32_t(bytes[at + 2]) << 16 | uint32_t(bytes[at + 3]) << 24;
        }
    }
    return true;
}

} // namespace qm
