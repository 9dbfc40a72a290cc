// The own palette file; see qpl_file.h.
#include "palette/qpl_file.h"

#include "core/byte_io.h"

#include <algorithm>

namespace qm {

namespace {

constexpr char kMagic[4] = {'Q', 'P', 'A', 'L'};
constexpr size_t kHeaderSize = 20;
constexpr uint32_t kSizeBase = 12; // the header's bytes from +8 up to the entries

} // namespace

TPalRead readQplBytes(std::span<const uint8_t> bytes)
{
    TPalRead read;
    ByteReader in(bytes);
    if (in.remaining() < kHeaderSize || !std::equal(kMagic, kMagic + 4, bytes.begin())) return read;
    in.skip(4);
    in.u32(); // the size field: the count below says the same
    read.grid.cellWidth = in.u8();
    read.grid.cellHeight = in.u8();
    read.grid.columns = in.u8();
    read.grid.rows = in.u8();
    const uint32_t count = in.u32();
    in.u32();
    read.announced = count;
    const size_t held = std::min<size_t>(count, in.remaining() / 4);
    read.entries.resize(held);
    for (TPalEntry& e : read.entries) {
        e.blue = in.u8();
        e.green = in.u8();
        e.red = in.u8();
        e.source = in.u8();
        read.cmykCount += e.source == uint8_t(PalSource::Cmyk);
    }
    read.result = int32_t(std::min<size_t>(held, INT32_MAX));
    return read;
}

std::vector<uint8_t> writeQplBytes(const CPalette& palette)
{
    const TPalGrid& g = palette.grid();
    const auto entries = palette.entries();
    ByteWriter out;
    out.bytes(kMagic, 4);
    out.u32(uint32_t(entries.size()) * 4 + kSizeBase);
    out.u8(uint8_t(g.cellWidth));
    out.u8(uint8_t(g.cellHeight));
    out.u8(uint8_t(g.columns));
    out.u8(uint8_t(g.rows));
    out.u32(uint32_t(entries.size()));
    out.u32(0);
    for (const TPalEntry& e : entries) {
        out.u8(e.blue);
        out.u8(e.green);
        out.u8(e.red);
        out.u8(e.source);
    }
    return std::move(out.data());
}

} // namespace qm
