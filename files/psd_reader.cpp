#include "files/psd_reader.h"

#include "files/big_endian.h"
#include "files/psd_packbits.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <new>
#include <vector>

namespace qm {
namespace {

enum class ColourMode : uint16_t { Bitmap = 0, Grey = 1, Rgb = 3 };

// Thrown inside the reader and turned into its result at the boundary.
struct PsdFailure {
    PsdError code;
};

[[noreturn]] void fail(PsdError code) { throw PsdFailure{code}; }

void need(const BigEndianReader& in, uint64_t count, PsdError code = PsdError::Truncated)
{
    if (count > in.remaining())
        fail(code);
}

std::span<const uint8_t> takeOrFail(BigEndianReader& in, uint64_t count, PsdError code)
{
    need(in, count, code);
    return in.take(size_t(count));
}

uint32_t readKey(BigEndianReader& in) { return in.u32(); }

// A Pascal string padded so that length byte plus text fill a multiple of `padding`.
std::string readPascal(BigEndianReader& in, size_t padding, PsdError code)
{
    need(in, 1, code);
    const size_t length = in.u8();
    const auto text = takeOrFail(in, length, code);
    const size_t used = 1 + length;
    const size_t pad = (padding - used % padding) % padding;
    in.skip(std::min(pad, in.remaining())); // writers differ here; a missing pad at the end is fine
    return std::string(text.begin(), text.end());
}

// A u32 count of UTF-16 code units followed by the units.
std::string readUnicode(BigEndianReader& in, PsdError code)
{
    need(in, 4, code);
    const uint32_t count = in.u32();
    need(in, uint64_t(count) * 2, code);
    std::u16string text(count, u'\0');
    for (auto& c : text)
        c = char16_t(in.u16());
    // Some writers count a terminating zero.
    while (!text.empty() && text.back() == 0)
        text.pop_back();
    return utf8FromUtf16(text);
}

struct THeader {
    uint16_t channels = 0;
    int32_t width = 0;
    int32_t height = 0;
    ColourMode mode = ColourMode::Rgb;
};

THeader readHeader(BigEndianReader& in)
{
    need(in, 26);
    if (readKey(in) != psdKey("8BPS"))
        fail(PsdError::BadSignature);
    if (in.u16() != 1)
        fail(PsdError::BadVersion);
    in.skip(6);
    THeader h;
    h.channels = in.u16();
    const uint32_t height = in.u32(), width = in.u32();
    const uint16_t depth = in.u16(), mode = in.u16();
    if (h.channels < 1 || h.channels > 56)
        fail(PsdError::BadChannelCount);
    if (height < 1 || width < 1 || height > uint32_t(kPsdMaxSide) || width > uint32_t(kPsdMaxSide))
        fail(PsdError::BadSize);
    h.width = int32_t(width);
    h.height = int32_t(height);
    const bool eightBit = depth == 8 && (mode == uint16_t(ColourMode::Rgb) || mode == uint16_t(ColourMode::Grey));
    const bool bitmap = depth == 1 && mode == uint16_t(ColourMode::Bitmap);
    if (!eightBit && !bitmap)
        fail(PsdError::UnsupportedFormat);
    h.mode = ColourMode(mode);
    if (h.mode == ColourMode::Rgb && h.channels < 3)
        fail(PsdError::BadChannelCount);
    return h;
}

struct TResources {
    int32_t resolution = 72;
    std::vector<std::string> pascalNames;  // of the extra channels, in order
    std::vector<std::string> unicodeNames;
};

void readResources(std::span<const uint8_t> section, TResources& out)
{
    BigEndianReader in(section);
    while (in.remaining() > 0) {
        need(in, 6, PsdError::BadResources);
        in.u32(); // "8BIM", though older writers used other signatures
        const uint16_t id = in.u16();
        readPascal(in, 2, PsdError::BadResources);
        need(in, 4, PsdError::BadResources);
        const uint32_t size = in.u32();
        BigEndianReader data(takeOrFail(in, size, PsdError::BadResources));
        if (size % 2)
            in.skip(std::min<size_t>(1, in.remaining()));
        if (id == 1005 && size >= 16) {
            const uint32_t fixed = data.u32(); // 16.16 pixels per inch
            const uint32_t dpi = (fixed + 0x8000) >> 16;
            if (dpi > 0 && dpi <= 65535)
                out.resolution = int32_t(dpi);
        } else if (id == 1006) {
            while (data.remaining() > 0)
                out.pascalNames.push_back(utf8FromLegacy(readPascal(data, 1, PsdError::BadResources)));
        } else if (id == 1045) {
            while (data.remaining() >= 4)
                out.unicodeNames.push_back(readUnicode(data, PsdError::BadResources));
        }
    }
}

struct TChannelInfo {
    int16_t id = 0;
    uint32_t length = 0;
};

struct TLayerRecord {
    int32_t top = 0, left = 0, width = 0, height = 0;
    std::vector<TChannelInfo> channels;
    uint32_t blendKey = 0;
    uint8_t opacity = 255;
    uint8_t flags = 0;
    std::string pascalName;
    std::string unicodeName;
    bool hasUnicodeName = false;
    bool groupMarker = false; // a group's opening or closing record: no pixels of its own
};

// The fewest bytes that can describe a channel of width × height in a compression; used to
// refuse sizes the data cannot back before anything is allocated.
uint64_t minimumChannelBytes(uint16_t compression, int32_t width, int32_t height)
{
    const uint64_t w = uint64_t(width), h = uint64_t(height);
    if (compression == 0)
        return w * h;
    return h * 2 + h * 2 * ((w + 127) / 128);
}

TLayerRecord readLayerRecord(BigEndianReader& in)
{
    TLayerRecord r;
    need(in, 18, PsdError::BadLayerRecord);
    const int64_t top = in.i32(), left = in.i32(), bottom = in.i32(), right = in.i32();
    if (bottom < top || right < left || bottom - top > kPsdMaxSide || right - left > kPsdMaxSide)
        fail(PsdError::BadSize);
    r.top = int32_t(top);
    r.left = int32_t(left);
    r.height = int32_t(bottom - top);
    r.width = int32_t(right - left);
    const uint16_t count = in.u16();
    if (count > 56)
        fail(PsdError::BadLayerRecord);
    need(in, uint64_t(count) * 6, PsdError::BadLayerRecord);
    r.channels.resize(count);
    for (auto& c : r.channels) {
        c.id = in.i16();
        c.length = in.u32();
    }
    need(in, 16, PsdError::BadLayerRecord);
    if (readKey(in) != psdKey("8BIM"))
        fail(PsdError::BadSignature);
    r.blendKey = readKey(in);
    r.opacity = in.u8();
    in.u8(); // clipping
    r.flags = in.u8();
    in.u8(); // filler
    const uint32_t extraLength = in.u32();
    BigEndianReader extra(takeOrFail(in, extraLength, PsdError::BadLayerRecord));
    need(extra, 4, PsdError::BadLayerRecord);
    takeOrFail(extra, extra.u32(), PsdError::BadLayerRecord); // layer mask data
    need(extra, 4, PsdError::BadLayerRecord);
    takeOrFail(extra, extra.u32(), PsdError::BadLayerRecord); // blending ranges
    r.pascalName = readPascal(extra, 4, PsdError::BadLayerRecord);
    // Tagged blocks; unknown ones are skipped by their length.
    while (extra.remaining() >= 12) {
        const uint32_t signature = readKey(extra);
        if (signature != psdKey("8BIM") && signature != psdKey("8B64"))
            break;
        const uint32_t key = readKey(extra);
        const uint32_t length = extra.u32();
        BigEndianReader block(takeOrFail(extra, length, PsdError::BadLayerRecord));
        if (key == psdKey("luni")) {
            r.unicodeName = readUnicode(block, PsdError::BadLayerRecord);
            r.hasUnicodeName = true;
        } else if (key == psdKey("lsct") && length >= 4) {
            const uint32_t kind = block.u32();
            r.groupMarker = kind >= 1 && kind <= 3;
        }
    }
    return r;
}

// Decodes one channel of width × height (compression word included in `data`) and hands each
// row to put(y, row).
template <typename Put>
void decodeChannel(std::span<const uint8_t> data, int32_t width, int32_t height, Put&& put,
                   PsdError code)
{
    BigEndianReader in(data);
    need(in, 2, code);
    const uint16_t compression = in.u16();
    if (compression != 0 && compression != 1)
        fail(PsdError::BadCompression);
    if (width == 0 || height == 0)
        return;
    need(in, minimumChannelBytes(compression, width, height), code);
    std::vector<uint8_t> row(static_cast<size_t>(width));
    if (compression == 0) {
        for (int32_t y = 0; y < height; ++y) {
            const auto bytes = in.take(size_t(width));
            put(y, bytes.data());
        }
    } else {
        std::vector<uint16_t> counts(static_cast<size_t>(height));
        for (auto& c : counts)
            c = in.u16();
        for (int32_t y = 0; y < height; ++y) {
            const auto coded = takeOrFail(in, counts[size_t(y)], code);
            if (!packBitsDecode(coded, row))
                fail(code);
            put(y, row.data());
        }
    }
}

// Which byte of a BGRA pixel a channel fills: 0 blue, 1 green, 2 red, 3 alpha; −1 none.
int byteOfChannel(int16_t id, ColourMode mode)
{
    if (id == -1)
        return 3;
    if (mode == ColourMode::Rgb && id >= 0 && id <= 2)
        return 2 - id;
    if (mode == ColourMode::Grey && id == 0)
        return 0; // spread to all three colour bytes
    return -1;
}

void putRow(TMTC& image, int32_t y, const uint8_t* bytes, int byteIndex, bool grey)
{
    uint8_t* d = reinterpret_cast<uint8_t*>(image.row(y));
    const int32_t w = image.width();
    if (grey && byteIndex != 3) {
        for (int32_t x = 0; x < w; ++x)
            d[4 * x] = d[4 * x + 1] = d[4 * x + 2] = bytes[x];
    } else {
        for (int32_t x = 0; x < w; ++x)
            d[4 * x + byteIndex] = bytes[x];
    }
}

void readLayers(std::span<const uint8_t> section, ColourMode mode, TPsdDocument& doc,
                bool& mergedHasAlpha)
{
    BigEndianReader in(section);
    need(in, 4, PsdError::BadLayerInfo);
    const uint32_t infoLength = in.u32();
    if (infoLength == 0)
        return;
    BigEndianReader info(takeOrFail(in, infoLength, PsdError::BadLayerInfo));
    need(info, 2, PsdError::BadLayerInfo);
    const int32_t signedCount = info.i16();
    // A negative count says the merged picture's first alpha channel is its transparency.
    mergedHasAlpha = signedCount < 0;
    const int32_t count = signedCount < 0 ? -signedCount : signedCount;
    if (count > kPsdMaxLayers)
        fail(PsdError::TooManyLayers);
    if (count > 0 && mode == ColourMode::Bitmap)
        fail(PsdError::UnsupportedFormat);
    constexpr uint64_t kSmallestRecord = 34;
    need(info, uint64_t(count) * kSmallestRecord, PsdError::BadLayerInfo);

    std::vector<TLayerRecord> records;
    records.reserve(size_t(count));
    for (int32_t i = 0; i < count; ++i)
        records.push_back(readLayerRecord(info));

    const bool grey = mode == ColourMode::Grey;
    std::vector<TPsdLayer> layers;
    for (const auto& r : records) {
        // Every channel's data is taken first, so the lengths are checked before any pixels
        // are allocated.
        std::vector<std::span<const uint8_t>> data;
        bool hasAlpha = false, hasAny = false;
        for (const auto& c : r.channels) {
            data.push_back(takeOrFail(info, c.length, PsdError::BadChannelData));
            if (byteOfChannel(c.id, mode) >= 0) {
                hasAny = true;
                hasAlpha |= c.id == -1;
            }
        }
        if (r.groupMarker)
            continue;
        TPsdLayer layer;
        layer.name = r.hasUnicodeName ? r.unicodeName : utf8FromLegacy(r.pascalName);
        layer.left = r.left;
        layer.top = r.top;
        layer.opacity = r.opacity;
        layer.visible = (r.flags & 0x02) == 0;
        layer.mode = modeFromBlendKey(r.blendKey);
        if (r.width > 0 && r.height > 0) {
            if (!hasAny)
                fail(PsdError::MissingChannels);
            for (size_t k = 0; k < r.channels.size(); ++k) {
                if (byteOfChannel(r.channels[k].id, mode) < 0)
                    continue;
                BigEndianReader probe(data[k]);
                need(probe, 2, PsdError::BadChannelData);
                const uint16_t compression = probe.u16();
                if (compression != 0 && compression != 1)
                    fail(PsdError::BadCompression);
                need(probe, minimumChannelBytes(compression, r.width, r.height),
                     PsdError::BadChannelData);
            }
            if (!layer.pixels.Resize(r.width, r.height))
                fail(PsdError::OutOfMemory);
            if (!hasAlpha)
                for (int32_t y = 0; y < r.height; ++y)
                    std::fill_n(layer.pixels.row(y), r.width, 0xFF000000u);
        }
        for (size_t k = 0; k < r.channels.size(); ++k) {
            const int byteIndex = byteOfChannel(r.channels[k].id, mode);
            if (byteIndex < 0)
                continue;
            decodeChannel(
                data[k], layer.pixels.width(), layer.pixels.height(),
                [&](int32_t y, const uint8_t* row) { putRow(layer.pixels, y, row, byteIndex, grey); },
                PsdError::BadChannelData);
        }
        layers.push_back(std::move(layer));
    }
    doc.layers = std::move(layers);
    // The global mask information and further tagged blocks that follow are not needed.
}

void readMerged(BigEndianReader& in, const THeader& h, bool hasAlpha, const TResources& res,
                TPsdDocument& doc)
{
    need(in, 2, PsdError::BadMergedImage);
    const uint16_t compression = in.u16();
    if (compression != 0 && compression != 1)
        fail(PsdError::BadCompression);
    const bool bitmap = h.mode == ColourMode::Bitmap;
    const int32_t rowBytes = bitmap ? (h.width + 7) / 8 : h.width;
    const int colours = h.mode == ColourMode::Rgb ? 3 : 1;
    const int channels = h.channels;
    const int alphaIndex = !bitmap && hasAlpha && channels > colours ? colours : -1;
    const int firstExtra = bitmap ? channels : colours + (alphaIndex >= 0 ? 1 : 0);

    // Check that the data can describe every plane before allocating any.
    const uint64_t planeMinimum = minimumChannelBytes(compression, rowBytes, h.height);
    need(in, planeMinimum * uint64_t(channels), PsdError::BadMergedImage);

    if (!doc.merged.Resize(h.width, h.height))
        fail(PsdError::OutOfMemory);
    if (alphaIndex < 0)
        for (int32_t y = 0; y < h.height; ++y)
            std::fill_n(doc.merged.row(y), h.width, 0xFF000000u);
    std::vector<TPsdChannel> extras;
    for (int c = firstExtra; c < channels; ++c) {
        TPsdChannel extra;
        const size_t k = size_t(c - firstExtra);
        if (k < res.unicodeNames.size())
            extra.name = res.unicodeNames[k];
        else if (k < res.pascalNames.size())
            extra.name = res.pascalNames[k];
        if (!extra.pixels.Resize(h.width, h.height))
            fail(PsdError::OutOfMemory);
        extras.push_back(std::move(extra));
    }

    std::vector<uint16_t> counts;
    if (compression == 1) {
        counts.resize(size_t(channels) * size_t(h.height));
        for (auto& c : counts)
            c = in.u16();
    }
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (int c = 0; c < channels; ++c) {
        for (int32_t y = 0; y < h.height; ++y) {
            const uint8_t* bytes;
            if (compression == 0) {
                bytes = takeOrFail(in, size_t(rowBytes), PsdError::BadMergedImage).data();
            } else {
                const auto coded =
                    takeOrFail(in, counts[size_t(c) * size_t(h.height) + size_t(y)], PsdError::BadMergedImage);
                if (!packBitsDecode(coded, row))
                    fail(PsdError::BadMergedImage);
                bytes = row.data();
            }
            if (bitmap) {
                // Set bits are black.
                uint32_t* d = doc.merged.row(y);
                for (int32_t x = 0; x < h.width; ++x)
                    d[x] = (bytes[x >> 3] >> (7 - (x & 7)) & 1) ? 0xFF000000u : 0xFFFFFFFFu;
            } else if (c >= firstExtra) {
                std::copy_n(bytes, h.width, extras[size_t(c - firstExtra)].pixels.row(y));
            } else if (c == alphaIndex) {
                putRow(doc.merged, y, bytes, 3, false);
            } else {
                putRow(doc.merged, y, bytes, colours == 3 ? 2 - c : 0, colours == 1);
            }
        }
    }
    doc.extraChannels = std::move(extras);
}

} // namespace

int readPsd(std::span<const uint8_t> bytes, TPsdDocument& out)
{
    try {
        BigEndianReader in(bytes);
        const THeader header = readHeader(in);
        TPsdDocument doc;
        doc.width = header.width;
        doc.height = header.height;

        need(in, 4);
        takeOrFail(in, in.u32(), PsdError::Truncated); // colour mode data: no use for it

        need(in, 4);
        TResources resources;
        readResources(takeOrFail(in, in.u32(), PsdError::Truncated), resources);
        doc.resolution = resources.resolution;

        need(in, 4);
        const uint32_t layerSectionLength = in.u32();
        bool mergedHasAlpha = false;
        if (layerSectionLength > 0)
            readLayers(takeOrFail(in, layerSectionLength, PsdError::Truncated), header.mode, doc,
                       mergedHasAlpha);

        readMerged(in, header, mergedHasAlpha, resources, doc);
        out = std::move(doc);
        return 0;
    } catch (const PsdFailure& f) {
        return int(f.code);
    } catch (const std::bad_alloc&) {
        return int(PsdError::OutOfMemory);
    } catch (const std::length_error&) {
        return int(PsdError::OutOfMemory);
    }
}

int readPsdFile(const std::string& path, TPsdDocument& out)
{
    std::vector<uint8_t> bytes;
    try {
        std::ifstream file(path, std::ios::binary);
        if (!file)
            return int(PsdError::CannotOpen);
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (file.bad())
            return int(PsdError::CannotOpen);
    } catch (const std::exception&) {
        return int(PsdError::CannotOpen);
    }
    return readPsd(bytes, out);
}

} // namespace qm
