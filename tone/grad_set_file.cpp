// The gradation set file; see grad_set_file.h.
#include "tone/grad_set_file.h"

#include "core/safe_file.h"
#include "files/image_block.h" // blockMagic
#include "files/picture.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <new>

namespace qm {

namespace {

constexpr uint32_t kHeaderMagic = blockMagic("GRST");
constexpr uint32_t kEntryMagic = blockMagic("QGRD");
constexpr int32_t kHeaderLength = 24; // the header's bytes after its length field
constexpr size_t kHeaderSize = 32;
constexpr uint16_t kVersion = 1;
constexpr uint16_t kEntryVersion = 1;
constexpr uint32_t kEntryHeadLength = 28; // the head's bytes after magic and size
constexpr uint16_t kFlagFixedCurrent = 0x1;
constexpr uint16_t kFlagOptions = 0x1;
constexpr int32_t kMaxType = 3;
constexpr int32_t kMaxMap = 2;
constexpr int32_t kMaxRepeat = 2;

template <typename Operation>
GradSetError guarded(Operation&& operation)
{
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return GradSetError::OutOfMemory;
    } catch (const std::exception&) {
        return GradSetError::Exception;
    }
}

GradSetError readEntry(ByteReader body, TGradSetEntry& entry)
{
    if (body.remaining() < kEntryHeadLength)
        return GradSetError::ReadFailed;
    const uint16_t flags = body.u16();
    if (body.u16() > kEntryVersion)
        return GradSetError::VersionTooNew;
    entry.options.flag = (flags & kFlagOptions) != 0 ? 1 : 0;
    entry.options.type = uint8_t(std::min<int32_t>(body.u16(), kMaxType));
    entry.options.map = uint8_t(std::min<int32_t>(body.u16(), kMaxMap));
    entry.options.repeat = uint8_t(std::min<int32_t>(body.u16(), kMaxRepeat));
    entry.options.setCount(body.i16());
    body.skip(10);
    body.skip(4); // stop count and size: the chunk's length says how many stops there are
    const uint16_t nameLength = body.u16();
    if (alignTo4(nameLength) > body.remaining())
        return GradSetError::ReadFailed;
    const auto name = body.take(nameLength);
    body.skip(paddingTo4(nameLength));

    std::vector<TColorStop> stops;
    while (body.remaining() >= TColorStop::kBytes) {
        if (int32_t(stops.size()) >= CColorSlotGroup::kMaxStops)
            return GradSetError::StopsFull;
        TColorStop stop;
        stop.read(body);
        // A length is a relative weight: a negative one means nothing, and would run the
        // renormalising sums past their range.
        stop.length = std::max(stop.length, 0);
        stops.push_back(stop);
    }
    if (stops.size() < 2)
        return GradSetError::TooFewStops;
    entry.stops.stops = std::move(stops);
    entry.stops.name.assign(name.begin(), name.end());
    entry.stops.Normalize();
    return GradSetError::None;
}

void writeEntry(ByteWriter& out, const CGradObj& entry)
{
    const CColorSlotGroup& stops = entry.stops;
    const std::string_view name = std::string_view(stops.name).substr(0, UINT16_MAX);
    const TGradOptions& options = entry.options;
    out.u32(kEntryMagic);
    out.u32(uint32_t(kEntryHeadLength + alignTo4(name.size()) +
                     TColorStop::kBytes * stops.stops.size()));
    out.u16(options.flag != 0 ? kFlagOptions : 0);
    out.u16(kEntryVersion);
    out.u16(options.type);
    out.u16(options.map);
    out.u16(options.repeat);
    out.i16(int16_t(std::clamp<int32_t>(options.count, 1, INT16_MAX)));
    out.zeros(10);
    out.u16(uint16_t(stops.stops.size()));
    out.u16(uint16_t(TColorStop::kBytes));
    out.u16(uint16_t(name.size()));
    out.text(name);
    out.zeros(paddingTo4(name.size()));
    for (const TColorStop& stop : stops.stops)
        stop.write(out);
}

} // namespace

GradSetError readGradSetBytes(std::span<const uint8_t> bytes, TGradSetData& data)
{
    return guarded([&] {
        data = TGradSetData{};
        ByteReader in(bytes);
        if (in.remaining() < kHeaderSize)
            return GradSetError::ReadFailed;
        if (in.u32() != kHeaderMagic || in.i32() != kHeaderLength)
            return GradSetError::ReadFailed;
        if (in.u16() > kVersion)
            return GradSetError::VersionTooNew;
        TGradSetData read;
        read.announced = in.u16();
        read.fixedCurrent = (in.u16() & kFlagFixedCurrent) != 0;
        in.skip(2);
        read.currentIndex = in.i16();
        read.fixedIndex = in.i16();
        in.skip(12);

        while (int32_t(read.entries.size()) < read.announced && in.remaining() >= 8) {
            const uint32_t magic = in.u32();
            const uint32_t size = in.u32();
            if (size > in.remaining()) {
                read.lastError = GradSetError::ChunkTooLarge;
                break;
            }
            const auto body = in.take(size);
            if (magic != kEntryMagic)
                continue;
            TGradSetEntry entry;
            if (const GradSetError error = readEntry(ByteReader(body), entry);
                error != GradSetError::None) {
                read.lastError = error;
                continue;
            }
            read.entries.push_back(std::move(entry));
        }
        data = std::move(read);
        return GradSetError::None;
    });
}

GradSetError readGradSetFile(const std::string& path, TGradSetData& data)
{
    return guarded([&] {
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            return GradSetError::FileNotFound;
        if (!std::filesystem::is_regular_file(path, error))
            return GradSetError::OpenFailed;
        std::vector<uint8_t> bytes;
        if (!readWholeFile(path, bytes))
            return GradSetError::OpenFailed;
        return readGradSetBytes(bytes, data);
    });
}

GradSetError writeGradSetBytes(CGradMngr& gradations, ByteWriter& out)
{
    return guarded([&] {
        const int32_t fixed = gradations.fixedIndex();
        const int32_t current = gradations.currentIndex();
        std::vector<const CGradObj*> written;
        for (int32_t i = 0; i < gradations.count(); ++i) {
            if (i == fixed)
                continue;
            const CGradObj* entry = gradations.entry(i);
            const auto& stops = entry->stops.stops;
            if (!std::all_of(stops.begin(), stops.end(),
                             [](const TColorStop& s) { return s.counts(); }))
                return GradSetError::TooFewStops;
            written.push_back(entry);
        }
        if (written.empty())
            return GradSetError::NoEntries;
        if (written.size() > UINT16_MAX)
            return GradSetError::WriteFailed;
        const bool fixedCurrent = fixed >= 0 && current == fixed;
        // The current entry's place among those written (the fixed entry's own index when it
        // is current).
        const int32_t storedCurrent = fixed >= 0 && current > fixed ? current - 1 : current;

        ByteWriter file;
        file.u32(kHeaderMagic);
        file.i32(kHeaderLength);
        file.u16(kVersion);
        file.u16(uint16_t(written.size()));
        file.u16(fixedCurrent ? kFlagFixedCurrent : 0);
        file.u16(0);
        file.i16(int16_t(std::clamp<int32_t>(storedCurrent, -1, INT16_MAX)));
        file.i16(int16_t(std::clamp<int32_t>(fixed, -1, INT16_MAX)));
        file.zeros(12);
        for (const CGradObj* entry : written)
            writeEntry(file, *entry);
        out.bytes(file.data().data(), file.size());
        return GradSetError::None;
    });
}

GradSetError saveGradSet(const std::string& path, CGradMngr& gradations)
{
    return guarded([&] {
        std::error_code error;
        const std::filesystem::path target(path);
        if (path.empty() || std::filesystem::is_directory(target, error) ||
            (target.has_parent_path() && !std::filesystem::is_directory(target.parent_path(), error)))
            return GradSetError::CannotCreate;
        ByteWriter out;
        if (const GradSetError result = writeGradSetBytes(gradations, out);
            result != GradSetError::None)
            return result;
        return saveFileReplacing(path, out.data()) ? GradSetError::None : GradSetError::WriteFailed;
    });
}

TGradSetLoad applyGradSet(TGradSetData&& data, CGradMngr& gradations, SetLoadMode mode)
{
    TGradSetLoad result;
    result.announced = data.announced;
    if (data.entries.empty()) {
        result.error = data.lastError != GradSetError::None ? data.lastError
                                                            : GradSetError::NoEntries;
        return result;
    }
    if (mode == SetLoadMode::Replace) {
        // The fixed entry follows the pen's colours and is never stored: it stays, alone.
        for (int32_t i = gradations.count() - 1; i >= 0; --i)
            if (i != gradations.fixedIndex())
                gradations.Remove(i);
    }
    try {
        for (TGradSetEntry& read : data.entries) {
            auto entry = std::make_unique<CGradObj>();
            entry->stops = std::move(read.stops);
            entry->options = read.options;
            if (gradations.add(std::move(entry)) >= 0)
                ++result.loaded;
        }
    } catch (const std::bad_alloc&) {
        data.lastError = GradSetError::OutOfMemory;
    }
    if (mode == SetLoadMode::Replace) {
        if (data.fixedCurrent && gradations.fixedIndex() >= 0)
            gradations.Select(gradations.fixedIndex());
        else
            gradations.Select(data.currentIndex + 1);
    }
    result.error = data.lastError;
    return result;
}

TGradSetLoad loadGradSet(const std::string& path, CGradMngr& gradations, SetLoadMode mode,
                         MessageSink* messages)
{
    TGradSetData data;
    TGradSetLoad result;
    result.error = readGradSetFile(path, data);
    if (result.error == GradSetError::None)
        result = applyGradSet(std::move(data), gradations, mode);
    if (messages)
        if (const std::string text = gradSetLoadMessage(result); !text.empty())
            messages->showMessage(text);
    return result;
}

std::string gradSetLoadMessage(const TGradSetLoad& result)
{
    return setLoadMessage(kGradSetWord, result.anyLoaded(), int32_t(result.error),
                          result.missing());
}

TStartupSetFile chooseStartupGradSet(const TFileIOSettings& settings)
{
    return chooseStartupSetFile(settings.gradFile, settings.gradPath, kGradSetDefaultName);
}

TStartupSetFile startGradSet(CGradMngr& gradations, TFileIOSettings& settings,
                             MessageSink* messages, TGradSetLoad* load)
{
    const TStartupSetFile choice = chooseStartupGradSet(settings);
    if (choice.clearSetting) {
        settings.gradFile.clear();
    } else {
        const TGradSetLoad result = loadGradSet(choice.path, gradations, SetLoadMode::Replace,
                                                messages);
        if (load)
            *load = result;
    }
    return choice;
}

} // namespace qm
