// The tone set file; see tone_set_file.h.
#include "tone/tone_set_file.h"

#include "core/safe_file.h"
#include "files/image_block.h"
#include "files/picture.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>

namespace qm {

namespace {

constexpr uint32_t kHeaderMagic = blockMagic("PTST");
constexpr uint32_t kPatternMagic = blockMagic("QPAT");
constexpr int32_t kHeaderLength = 24; // the header's bytes after its length field
constexpr size_t kHeaderSize = 32;
constexpr uint16_t kVersion = 1;
constexpr uint32_t kRecordSize = 72;
constexpr uint16_t kRecordKind = 8;
constexpr uint16_t kRecordVersion = 1;
constexpr uint32_t kFlagToneAttr = 0x1;
constexpr uint32_t kFlagInverted = 0x2;
constexpr uint32_t kFlagBitmap = 0x100;
// The tile's image block: the format word says what the pixels are; the key is ours to choose,
// readers take it from the descriptor.
constexpr uint16_t kTileFormatBitmap = 4;
constexpr uint16_t kTileFormatTone = 2;
constexpr uint8_t kTileGroupSize = 3;
constexpr uint8_t kTileKey = 0x6B;
constexpr uint8_t kTileStride = 2;

template <typename Operation>
ToneSetError guarded(Operation&& operation)
{
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return ToneSetError::OutOfMemory;
    } catch (const std::exception&) {
        return ToneSetError::Exception;
    }
}

ToneSetError fromImageBlock(ImageBlockError error)
{
    switch (error) {
    case ImageBlockError::None:
        return ToneSetError::None;
    case ImageBlockError::ShortRead:
        return ToneSetError::ChunkTooLarge;
    case ImageBlockError::WrongMagic:
    case ImageBlockError::BadSize:
        return ToneSetError::WrongKind;
    case ImageBlockError::BadLength:
        return ToneSetError::RecordTooShort;
    case ImageBlockError::UnknownKind:
        return ToneSetError::UnknownImageKind;
    case ImageBlockError::Corrupt:
        return ToneSetError::ReadFailed;
    case ImageBlockError::OutOfMemory:
        return ToneSetError::OutOfMemory;
    }
    return ToneSetError::Exception;
}

// ---- reading ----

// The record and name of a "QPAT" chunk; the tile's sides come back for the image block to
// match.
ToneSetError readRecord(ByteReader body, TToneSetEntry& entry, int32_t& width, int32_t& height)
{
    if (body.remaining() < kRecordSize)
        return ToneSetError::RecordTooShort;
    if (body.u16() != kRecordKind)
        return ToneSetError::WrongKind;
    const uint16_t kind = body.u16();
    const uint16_t nameLength = body.u16();
    if (body.u16() > kRecordVersion)
        return ToneSetError::VersionTooNew;
    if (kind != uint16_t(PatKind::Bitmap) && kind != uint16_t(PatKind::Tone))
        return ToneSetError::WrongKind;
    entry.kind = PatKind(kind);
    entry.flags = body.u32();
    entry.scale = body.i32();
    entry.originX = body.i32();
    entry.originY = body.i32();
    width = body.i32();
    height = body.i32();
    body.skip(8);
    const int32_t shape = body.i32();
    const float dpi = body.f32();
    const float lines = body.f32();
    const float percent = body.f32();
    const float angle = body.f32();
    const int32_t blur = body.i32();
    body.skip(8);
    if (nameLength > body.remaining())
        return ToneSetError::RecordTooShort;
    const auto name = body.take(nameLength);

    SToneAttr attr;
    if (entry.kind == PatKind::Tone) {
        attr.shape = uint8_t(ClampToneShape(shape));
        attr.dpi = dpi;
        attr.lines = lines;
        attr.percent = percent;
        attr.angle = angle;
        attr.blur = blur;
        attr.flag = (entry.flags & kFlagToneAttr) != 0 ? 1 : 0;
    }
    attr.name.assign(name.begin(), name.end());
    entry.attr = std::move(attr);
    return ToneSetError::None;
}

// The tile from its image block; its sides must be the record's.
ToneSetError readTile(std::span<const uint8_t> block, int32_t width, int32_t height,
                      TChannel& tile)
{
    ByteReader in(block);
    TImageBlockInfo info;
    std::vector<uint8_t> pixels;
    if (const ImageBlockError error = readImageBlock(in, 1, kMaxToneSetTileSide, info, pixels);
        error != ImageBlockError::None)
        return fromImageBlock(error);
    if (info.width != width || info.height != height)
        return ToneSetError::WrongKind;
    TChannel result;
    if (!result.Resize(width, height))
        return ToneSetError::OutOfMemory;
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(pixels.data() + size_t(y) * size_t(width), width, result.row(y));
    tile = std::move(result);
    return ToneSetError::None;
}

// ---- writing ----

ToneSetError writePattern(ByteWriter& out, const CPatObj& pattern)
{
    if (pattern.kind() != PatKind::Bitmap && pattern.kind() != PatKind::Tone)
        return ToneSetError::UnknownPatternKind;
    const TChannel& tile = pattern.channel();
    if (!tile.IsValid() || tile.width() < 1 || tile.height() < 1)
        return ToneSetError::WriteFailed;
    const bool tone = pattern.kind() == PatKind::Tone;
    // The length field holds at most 65,535 bytes of name.
    const std::string_view name = std::string_view(pattern.name()).substr(0, UINT16_MAX);

    uint32_t flags = pattern.inverted() ? kFlagInverted : 0;
    SToneAttr attr;
    if (tone) {
        attr = static_cast<const CPat8Tone&>(pattern).attr();
        if (attr.flag != 0)
            flags |= kFlagToneAttr;
    } else {
        flags |= kFlagBitmap;
    }

    out.u32(kPatternMagic);
    out.u32(uint32_t(kRecordSize + alignTo4(name.size())));
    out.u16(kRecordKind);
    out.u16(uint16_t(pattern.kind()));
    out.u16(uint16_t(name.size()));
    out.u16(kRecordVersion);
    out.u32(flags);
    out.i32(pattern.scale());
    out.i32(pattern.originX());
    out.i32(pattern.originY());
    out.i32(tile.width());
    out.i32(tile.height());
    out.zeros(8);
    if (tone) {
        out.i32(attr.shape);
        out.f32(attr.dpi);
        out.f32(attr.lines);
        out.f32(attr.percent);
        out.f32(attr.angle);
        out.i32(attr.blur);
    } else {
        out.zeros(24);
    }
    out.zeros(8);
    out.text(name);
    out.zeros(paddingTo4(name.size()));

    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(tile.width()) * size_t(tile.height()));
    for (int32_t y = 0; y < tile.height(); ++y)
        pixels.insert(pixels.end(), tile.row(y), tile.row(y) + tile.width());
    TImageBlockInfo info;
    info.kind = kImageBlockScrambled;
    info.format = tone ? kTileFormatTone : kTileFormatBitmap;
    info.groupSize = kTileGroupSize;
    info.key = kTileKey;
    info.stride = kTileStride;
    info.sourceWidth = info.width = tile.width();
    info.sourceHeight = info.height = tile.height();
    return writeImageBlock(out, info, pixels) ? ToneSetError::None : ToneSetError::WriteFailed;
}

bool isRegularFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_regular_file(path, error);
}

} // namespace

ToneSetError readToneSetBytes(std::span<const uint8_t> bytes, TToneSetData& data)
{
    return guarded([&] {
        data = TToneSetData{};
        ByteReader in(bytes);
        if (in.remaining() < kHeaderSize)
            return ToneSetError::ReadFailed;
        if (in.u32() != kHeaderMagic || in.i32() != kHeaderLength || in.u16() != 0)
            return ToneSetError::WrongKind;
        if (in.u16() > kVersion)
            return ToneSetError::VersionTooNew;
        TToneSetData read;
        read.announced = in.u16();
        read.currentIndex = in.u16();
        in.skip(16);

        while (int32_t(read.entries.size()) < read.announced && in.remaining() >= 8) {
            const uint32_t magic = in.u32();
            const uint32_t size = in.u32();
            if (size > in.remaining()) {
                read.lastError = ToneSetError::ChunkTooLarge;
                break;
            }
            const auto body = in.take(size);
            // A pattern's tile follows its chunk; skipping a chunk skips the block with it.
            std::span<const uint8_t> block;
            if (in.remaining() >= 8) {
                ByteReader peek = in;
                if (peek.u32() == kImageBlockMagic) {
                    const uint32_t length = peek.u32();
                    if (length > peek.remaining()) {
                        read.lastError = ToneSetError::ChunkTooLarge;
                        break;
                    }
                    block = in.take(8 + size_t(length));
                }
            }
            if (magic != kPatternMagic)
                continue;

            TToneSetEntry entry;
            int32_t width = 0, height = 0;
            ToneSetError error = readRecord(ByteReader(body), entry, width, height);
            if (error == ToneSetError::None)
                error = block.empty() ? ToneSetError::WrongKind
                                      : readTile(block, width, height, entry.tile);
            if (error != ToneSetError::None) {
                read.lastError = error;
                continue;
            }
            read.entries.push_back(std::move(entry));
        }
        data = std::move(read);
        return ToneSetError::None;
    });
}

ToneSetError readToneSetFile(const std::string& path, TToneSetData& data)
{
    return guarded([&] {
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return ToneSetError::FileNotFound;
        if (!std::filesystem::is_regular_file(path, error))
            return ToneSetError::OpenFailed;
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes))
            return ToneSetError::OpenFailed;
        return readToneSetBytes(bytes, data);
    });
}

ToneSetError writeToneSetBytes(const CPatMngrBase& patterns, ByteWriter& out)
{
    return guarded([&] {
        const int32_t count = patterns.count();
        if (count == 0)
            return ToneSetError::NoPatterns;
        if (count > UINT16_MAX)
            return ToneSetError::WriteFailed;
        ByteWriter file;
        file.u32(kHeaderMagic);
        file.i32(kHeaderLength);
        file.u16(0);
        file.u16(kVersion);
        file.u16(uint16_t(count));
        file.u16(uint16_t(std::max(patterns.currentIndex(), 0)));
        file.zeros(16);
        for (int32_t i = 0; i < count; ++i)
            if (const ToneSetError error = writePattern(file, *patterns.at(i));
                error != ToneSetError::None)
                return error;
        out.bytes(file.data().data(), file.size());
        return ToneSetError::None;
    });
}

ToneSetError saveToneSet(const std::string& path, const CPatMngrBase& patterns)
{
    return guarded([&] {
        std::error_code error;
        const std::filesystem::path target(path);
        if (path.empty() || std::filesystem::is_directory(target, error) ||
            (target.has_parent_path() && !std::filesystem::is_directory(target.parent_path(), error)))
            return ToneSetError::CannotCreate;
        ByteWriter out;
        if (const ToneSetError result = writeToneSetBytes(patterns, out); result != ToneSetError::None)
            return result;
        return saveFileReplacing(path, out.data()) ? ToneSetError::None : ToneSetError::WriteFailed;
    });
}

TToneSetLoad applyToneSet(TToneSetData&& data, CToneMngr& tones, SetLoadMode mode)
{
    TToneSetLoad result;
    result.announced = data.announced;
    const int32_t before = tones.count();
    bool addFailed = false;
    for (TToneSetEntry& entry : data.entries) {
        try {
            int32_t index = -1;
            if (entry.kind == PatKind::Tone) {
                // The stored tile is the tone's picture; the generator is not asked again.
                index = tones.AddTone(entry.attr, false, &entry.tile);
            } else {
                index = tones.AddPattern(entry.tile, entry.scale, {entry.originX, entry.originY});
                if (index >= 0)
                    tones.Rename(index, entry.attr.name);
            }
            if (index < 0) {
                addFailed = true;
                continue;
            }
            tones.SetScale(index, entry.scale);
            tones.SetOrigin(index, entry.originX, entry.originY);
            tones.SetInverted(index, entry.inverted());
            ++result.loaded;
        } catch (const std::bad_alloc&) {
            addFailed = true;
        }
    }
    if (mode == SetLoadMode::Replace && result.loaded > 0) {
        // Select a new pattern first, so taking the old ones away never rebuilds the working
        // pattern for a pattern about to go.
        tones.Select(tones.count() - 1);
        for (int32_t i = 0; i < before; ++i)
            tones.Remove(0);
        tones.Select(data.currentIndex);
    }
    if (addFailed)
        result.error = ToneSetError::AddFailed;
    else if (result.loaded == 0 && data.lastError == ToneSetError::None)
        result.error = ToneSetError::NoPatterns;
    else
        result.error = data.lastError;
    return result;
}

TToneSetLoad loadToneSet(const std::string& path, CToneMngr& tones, SetLoadMode mode,
                         MessageSink* messages)
{
    TToneSetData data;
    TToneSetLoad result;
    result.error = readToneSetFile(path, data);
    if (result.error == ToneSetError::None)
        result = applyToneSet(std::move(data), tones, mode);
    if (messages)
        if (const std::string text = toneSetLoadMessage(result); !text.empty())
            messages->showMessage(text);
    return result;
}

std::string setLoadMessage(const char* word, bool anyLoaded, int32_t error, int32_t missing)
{
    char text[256];
    if (!anyLoaded)
        std::snprintf(text, sizeof text, kSetLoadFailedMessage, word, int(error));
    else if (missing > 0)
        std::snprintf(text, sizeof text, kSetItemsMissingMessage, int(missing), word);
    else
        return {};
    return text;
}

std::string toneSetLoadMessage(const TToneSetLoad& result)
{
    return setLoadMessage(kToneSetWord, result.anyLoaded(), int32_t(result.error),
                          result.missing());
}

TStartupSetFile chooseStartupSetFile(const std::string& file, const std::string& folder,
                                     const char* defaultName)
{
    if (isRegularFile(file))
        return {file, false};
    if (!folder.empty()) {
        const std::string fallback = (std::filesystem::path(folder) / defaultName).string();
        if (isRegularFile(fallback))
            return {fallback, false};
    }
    return {{}, true};
}

TStartupSetFile chooseStartupToneSet(const TFileIOSettings& settings)
{
    return chooseStartupSetFile(settings.toneFile, settings.tonePath, kToneSetDefaultName);
}

TStartupSetFile startToneSet(CToneMngr& tones, TFileIOSettings& settings, MessageSink* messages,
                             TToneSetLoad* load)
{
    const TStartupSetFile choice = chooseStartupToneSet(settings);
    if (choice.clearSetting) {
        settings.toneFile.clear();
    } else {
        const TToneSetLoad result = loadToneSet(choice.path, tones, SetLoadMode::Replace, messages);
        if (load)
            *load = result;
    }
    return choice;
}

} // namespace qm
