// Colour swatch files; see aco_file.h.
#include "palette/aco_file.h"

#include "core/colour_model.h"
#include "files/big_endian.h"

#include <algorithm>

namespace qm {

namespace {

constexpr uint16_t kVersion = 1;
constexpr size_t kRecordSize = 10;
constexpr int32_t k255 = 255 << 16;

enum : uint16_t { kSpaceRgb = 0, kSpaceHsb = 1, kSpaceCmyk = 2, kSpaceGray = 8 };

// A word as a 16.16 fraction of 65535: word × 65536 ÷ 65535, truncated (65535 is exactly 1.0).
int32_t fraction(uint16_t word)
{
    return int32_t((uint64_t(word) << 16) / 65535);
}

uint32_t packRGB(uint32_t r, uint32_t g, uint32_t b)
{
    return r << 16 | g << 8 | b;
}

} // namespace

uint32_t acoRgbColour(uint16_t w, uint16_t x, uint16_t y)
{
    return packRGB(uint32_t(w) * 255 / 65535, uint32_t(x) * 255 / 65535, uint32_t(y) * 255 / 65535);
}

uint32_t acoHsbColour(uint16_t w, uint16_t x, uint16_t y)
{
    // w ÷ 65536 is w itself in 16.16.
    return hsvToRGB({int32_t(w) * 360, fraction(x) * 255, fraction(y) * 255});
}

uint32_t acoCmykColour(uint16_t w, uint16_t x, uint16_t y, uint16_t z)
{
    const auto ink = [](uint16_t word) { return k255 - fraction(word) * 255; };
    return cmykToRGB(ink(w), ink(x), ink(y), ink(z));
}

uint32_t acoGrayColour(uint16_t w)
{
    // The scale tops at 10000; anything beyond is as white as 10000.
    const uint32_t gray = std::min<uint32_t>(uint32_t(w) * 255 / 10000, 255);
    return packRGB(gray, gray, gray);
}

TPalRead readAcoBytes(std::span<const uint8_t> bytes)
{
    TPalRead read;
    read.hasGrid = false;
    BigEndianReader in(bytes);
    if (in.remaining() < 4) return read;
    if (in.u16() != kVersion) {
        read.warnings.emplace_back(kAcoVersionWarning);
        read.result = 0;
        return read;
    }
    const uint16_t count = in.u16();
    read.announced = count;
    read.entries.reserve(std::min<size_t>(count, in.remaining() / kRecordSize));
    for (uint32_t i = 0; i < count && in.remaining() >= kRecordSize; ++i) {
        const uint16_t space = in.u16();
        const uint16_t w = in.u16(), x = in.u16(), y = in.u16(), z = in.u16();
        switch (space) {
        case kSpaceRgb:
            read.entries.push_back(TPalEntry::fromRGB(acoRgbColour(w, x, y), PalSource::Rgb));
            break;
        case kSpaceHsb:
            read.entries.push_back(TPalEntry::fromRGB(acoHsbColour(w, x, y), PalSource::Hsb));
            break;
        case kSpaceCmyk:
            read.entries.push_back(TPalEntry::fromRGB(acoCmykColour(w, x, y, z), PalSource::Cmyk));
            ++read.cmykCount;
            break;
        case kSpaceGray:
            read.entries.push_back(TPalEntry::fromRGB(acoGrayColour(w), PalSource::Gray));
            break;
        default:
            break;
        }
    }
    read.result = int32_t(read.entries.size());
    return read;
}

std::vector<uint8_t> writeAcoBytes(const CPalette& palette)
{
    const auto entries = palette.entries().first(std::min<size_t>(palette.entries().size(), 65535));
    BigEndianWriter out;
    out.u16(kVersion);
    out.u16(uint16_t(entries.size()));
    for (const TPalEntry& e : entries) {
        out.u16(kSpaceRgb);
        out.u16(uint16_t(e.red * 65535 / 255));
        out.u16(uint16_t(e.green * 65535 / 255));
        out.u16(uint16_t(e.blue * 65535 / 255));
        out.u16(0);
    }
    return std::move(out.data());
}

} // namespace qm
