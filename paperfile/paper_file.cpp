#include "paperfile/paper_file.h"

#include "core/block_vch.h"
#include "core/block_vmtc.h"
#include "core/safe_file.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "files/compressor.h"
#include "files/picture.h"
#include "layers/blend_mode_table.h"
#include "paper/paper.h"
#include "paperfile/layer_block.h"
#include "paperfile/vkb_reader.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <span>
#include <system_error>
#include <thread>
#include <vector>

namespace qm {

namespace {

constexpr uint32_t kPaperMagic = blockMagic("QPIM");
constexpr uint32_t kLayerMagic = blockMagic("QLYR");
constexpr uint32_t kMaskMagic = blockMagic("QMSK");
constexpr uint32_t kLayerRunMagic = blockMagic("QBIM");
constexpr uint32_t kMaskRunMagic = blockMagic("QBMK");
constexpr uint32_t kThumbnailMagic = blockMagic("QTNL");
constexpr uint32_t kEventsMagic = blockMagic("QEVP");
constexpr uint32_t kPlainEventsMagic = blockMagic("QEVS");
constexpr uint32_t kEventBlockMagic = blockMagic("QBEV");
constexpr uint32_t kHeaderLength = 48;
constexpr uint32_t kRecordLength = 72; // layer and mask records before their names
constexpr uint32_t kRunHeadLength = 32;
constexpr int32_t kMaxRunTiles = 16;
constexpr uint32_t kFileKind = 1;
constexpr int32_t kLayerTile = 32;
constexpr int32_t kMaskTile = 64;
constexpr int32_t kTileBytes = 4096;

// The name with its terminator, padded to a multiple of 4.
void writeName(ByteWriter& out, const std::string& name)
{
    out.text(name);
    out.zeros(alignTo4(name.size() + 1) - name.size());
}

uint32_t nameFieldLength(const std::string& name)
{
    return uint32_t(alignTo4(name.size() + 1));
}

// ---- tile runs ----

// Writes the tiles of an image as runs: tiles with pixels (at most 16 a run) compressed as
// one frame, uniform tiles as their fill values.
bool writeRuns(ByteWriter& out, const CBlockImage& image, uint32_t runMagic)
{
    const auto& blocks = image.blocks();
    size_t i = 0;
    while (i < blocks.size()) {
        const bool withPixels = blocks[i].allocated;
        size_t end = i + 1;
        while (end < blocks.size() && blocks[end].allocated == withPixels &&
               (!withPixels || end - i < size_t(kMaxRunTiles)))
            ++end;
        const uint32_t count = uint32_t(end - i);
        out.u32(runMagic);
        const size_t lengthAt = out.size();
        out.u32(0);
        out.u32(uint32_t(image.blockWidth()));
        out.u32(uint32_t(image.blockHeight()));
        out.u32(withPixels ? 1 : 2);
        out.u32(count);
        const size_t compressedAt = out.size();
        out.u32(0);
        out.u32(withPixels ? count * uint32_t(kTileBytes) : count * 4);
        out.zeros(8);
        if (withPixels) {
            std::vector<uint8_t> raw;
            raw.reserve(size_t(count) * kTileBytes);
            for (size_t k = i; k < end; ++k)
                raw.insert(raw.end(), blocks[k].data.get(), blocks[k].data.get() + kTileBytes);
            const size_t compressed = compressAppend(raw, out.data(), kFileCompressionLevel);
            if (compressed == 0) return false;
            out.zeros(alignTo4(compressed) - compressed);
            out.patchU32(lengthAt, uint32_t(kRunHeadLength + alignTo4(compressed)));
            out.patchU32(compressedAt, uint32_t(compressed));
        } else {
            for (size_t k = i; k < end; ++k)
                out.u32(blocks[k].fill);
            out.patchU32(lengthAt, kRunHeadLength + count * 4);
        }
        i = end;
    }
    return true;
}

// A run of pixel blocks read from the file, to be unpacked into its blocks (allocated already).
struct TPixelRun {
    std::span<const uint8_t> frame;
    TBlockInfo* first;
    uint32_t count;
};

// Unpacks the runs one after another; false when one is damaged.
bool unpackRuns(std::span<const TPixelRun> runs)
{
    // Our runs are at most 64 KB: one buffer kept warm in the cache serves them all.
    thread_local std::vector<uint8_t> pixels;
    bool good = true;
    for (const TPixelRun& run : runs) {
        pixels.resize(size_t(run.count) * kTileBytes);
        if (decompressInto(run.frame, pixels) != DecompressError::None) {
            good = false;
            break;
        }
        for (uint32_t k = 0; k < run.count; ++k)
            std::memcpy(run.first[k].data.get(), pixels.data() + size_t(k) * kTileBytes,
                        kTileBytes);
    }
    if (pixels.capacity() > size_t(kMaxRunTiles) * kTileBytes)
        std::vector<uint8_t>().swap(pixels); // another writer's long runs: not kept
    return good;
}

// Below this many blocks a second thread costs more than it saves.
constexpr size_t kParallelBlocks = 512;

// Unpacking is most of a load and zstd's frames stand alone, so a large image is unpacked by
// two threads, half of its blocks each.
bool unpackAll(std::span<const TPixelRun> runs)
{
    size_t total = 0;
    for (const TPixelRun& run : runs)
        total += run.count;
    if (total < kParallelBlocks || runs.size() < 2 || std::thread::hardware_concurrency() < 2)
        return unpackRuns(runs);
    size_t half = 0;
    for (size_t sum = 0; half < runs.size() && sum < total / 2; ++half)
        sum += runs[half].count;
    bool secondGood = false;
    std::thread second;
    try {
        second = std::thread([&] { secondGood = unpackRuns(runs.subspan(half)); });
    } catch (const std::system_error&) {
        return unpackRuns(runs);
    }
    const bool firstGood = unpackRuns(runs.first(half));
    second.join();
    return firstGood && secondGood;
}

// Reads runs until the image's tile grid is covered, placing them in row-major order.
PaperFileError readRuns(ByteReader& in, CBlockImage& image, uint32_t runMagic, int32_t fileTile,
                        PaperFileError tileError)
{
    auto& blocks = image.blocks();
    if (image.blockWidth() != fileTile || image.blockBytes() != kTileBytes) return tileError;
    std::vector<TPixelRun> pixelRuns;
    size_t placed = 0;
    while (placed < blocks.size()) {
        if (in.remaining() < 8 + kRunHeadLength) return PaperFileError::ShortRead;
        if (in.u32() != runMagic) return PaperFileError::WrongMagic;
        const uint32_t length = in.u32();
        if (length < kRunHeadLength || length > in.remaining()) return PaperFileError::BadLength;
        const uint32_t tileW = in.u32(), tileH = in.u32(), type = in.u32(), count = in.u32();
        const uint32_t compressed = in.u32(), raw = in.u32();
        in.skip(8);
        std::span<const uint8_t> data = in.take(length - kRunHeadLength);
        if (tileW != uint32_t(fileTile) || tileH != uint32_t(fileTile)) return tileError;
        if (count == 0) return PaperFileError::EmptyRun;
        if (count > blocks.size() - placed) return PaperFileError::RunOutsideGrid;
        if (type == 1) {
            if (raw != uint64_t(count) * kTileBytes || compressed > data.size())
                return PaperFileError::RunLength;
            for (uint32_t k = 0; k < count; ++k)
                if (!image.AllocBlockForOverwrite(blocks[placed + k]))
                    return PaperFileError::OutOfMemory;
            pixelRuns.push_back({data.first(compressed), &blocks[placed], count});
        } else if (type == 2) {
            if (raw != uint64_t(count) * 4 || data.size() < raw) return PaperFileError::RunLength;
            ByteReader fills(data);
            for (uint32_t k = 0; k < count; ++k) {
                TBlockInfo& block = blocks[placed + k];
                if (block.allocated) image.FreeBlock(block);
                block.fill = fills.u32();
            }
        } else {
            return PaperFileError::UnknownRunType;
        }
        placed += count;
    }
    if (!unpackAll(pixelRuns)) return PaperFileError::RunLength;
    image.blocksEdited();
    return PaperFileError::None;
}

// ---- layers and masks ----

// Offsets place an image against the paper; anything beyond twice the largest paper is junk.
bool saneOffset(int32_t offset)
{
    return offset >= -2 * kMaxPaperSide && offset <= 2 * kMaxPaperSide;
}

bool writeLayer(ByteWriter& out, const CLayerData& layer, int32_t index)
{
    const CBlockVMTC& image = *layer.image();
    const size_t start = out.size();
    writeLayerRecord(out, layerRecordOf(layer, index));
    if (!writeRuns(out, image, kLayerRunMagic)) {
        out.data().resize(start); // the layer is left out
        return false;
    }
    return true;
}

bool writeMask(ByteWriter& out, const CMaskData& mask, int32_t index, int32_t paperWidth,
               int32_t paperHeight)
{
    const size_t start = out.size();
    const bool pixels = mask.IsValid();
    out.u32(kMaskMagic);
    out.u32(kRecordLength + nameFieldLength(mask.name));
    out.u32(uint32_t(index)); // the tag: its place in the list (serials change from run to run)
    out.u16(pixels ? 1 : 0);
    out.u16(0);
    if (pixels) {
        const CBlockVCH& image = *mask.coverage;
        out.u32(uint32_t(image.blockWidth())), out.u32(uint32_t(image.blockHeight()));
        out.u32(uint32_t(image.blocksAcross())), out.u32(uint32_t(image.blocksDown()));
        out.i32(image.width()), out.i32(image.height());
        out.i32(mask.offsetX), out.i32(mask.offsetY);
    } else {
        out.zeros(32);
    }
    out.i32(paperWidth), out.i32(paperHeight);
    out.u32(pixels ? CBlockVCH::kDefaultFill : 0);
    out.u16(uint16_t(mask.name.size() + 1));
    out.zeros(18);
    writeName(out, mask.name);
    if (pixels && !writeRuns(out, *mask.coverage, kMaskRunMagic)) {
        out.data().resize(start);
        return false;
    }
    return true;
}

std::string readName(ByteReader& in, uint32_t fieldLength, uint16_t nameLength)
{
    std::span<const uint8_t> field = in.take(fieldLength);
    size_t n = std::min<size_t>(nameLength, field.size());
    while (n > 0 && field[n - 1] == 0)
        --n;
    return std::string(field.begin(), field.begin() + ptrdiff_t(n));
}

PaperFileError readLayer(ByteReader& in, uint32_t length, TPaper& paper)
{
    if (length < kRecordLength || length - kRecordLength > in.remaining())
        return PaperFileError::BadLength;
    TLayerRecord r;
    if (!readLayerRecord(in, length, r)) return PaperFileError::ShortRead;
    const int32_t index = r.index;
    const uint16_t flags = r.flags;
    const uint8_t mode = r.mode, opacity = r.opacity;
    const int32_t width = r.width, height = r.height;
    if (r.modeWord > 1 || !modeInfo(mode & 0x7F)) return PaperFileError::Unsupported;
    if (r.tileWidth != uint32_t(kLayerTile) || r.tileHeight != uint32_t(kLayerTile))
        return PaperFileError::LayerTileSize;
    if (width <= 0 || height <= 0 || width > 2 * kMaxPaperSide || height > 2 * kMaxPaperSide ||
        r.tilesAcross != uint32_t((width + kLayerTile - 1) / kLayerTile) ||
        r.tilesDown != uint32_t((height + kLayerTile - 1) / kLayerTile) || !saneOffset(r.offsetX) ||
        !saneOffset(r.offsetY) || r.paperWidth <= 0 || r.paperHeight <= 0 ||
        r.paperWidth > kMaxPaperSide || r.paperHeight > kMaxPaperSide)
        return PaperFileError::BadLength;
    const std::string& name = r.name;
    CLayerMngr& layers = *paper.layers;
    const int32_t at =
        layers.CreateLayer(index < 0 ? layers.Count() : index, width, height, (flags & 1) != 0,
                           opacity, mode, !paper.isCurrentEngine());
    CLayerData* layer = layers.Get(at);
    if (!layer) return PaperFileError::LayerCreateFailed;
    layer->name = name;
    layer->offsetX = r.offsetX, layer->offsetY = r.offsetY;
    layer->paperWidth = r.paperWidth, layer->paperHeight = r.paperHeight;
    layer->protectAlpha = (flags & 2) ? 1 : 0;
    if (flags & 0x10) {
        layer->blendNoise = (flags & 0x20) ? 1 : 0;
        layer->blendAmount = r.blendAmount;
        layer->random.Initialise(r.randomState, CLayerData::kRandomLow, CLayerData::kRandomHigh);
    }
    const PaperFileError runs =
        readRuns(in, *layer->image(), kLayerRunMagic, kLayerTile, PaperFileError::LayerTileSize);
    if (runs != PaperFileError::None) {
        layers.Delete(at);
        return runs;
    }
    layer->UpdateThumbnail();
    return PaperFileError::None;
}

PaperFileError readMask(ByteReader& in, uint32_t length, TPaper& paper)
{
    if (length < kRecordLength || length - kRecordLength > in.remaining())
        return PaperFileError::BadLength;
    in.u32(); // the tag it had when saved
    const uint16_t flags = in.u16();
    in.u16();
    const uint32_t tileW = in.u32(), tileH = in.u32(), across = in.u32(), down = in.u32();
    const int32_t width = in.i32(), height = in.i32(), offsetX = in.i32(), offsetY = in.i32();
    in.skip(12); // paper size and fill: the paper's own
    const uint16_t nameLength = in.u16();
    in.skip(18);
    if (in.failed()) return PaperFileError::ShortRead;
    auto mask = std::make_unique<CMaskData>();
    mask->name = readName(in, length - kRecordLength, nameLength);
    if (flags & 1) {
        if (tileW != uint32_t(kMaskTile) || tileH != uint32_t(kMaskTile))
            return PaperFileError::MaskTileSize;
        if (width <= 0 || height <= 0 || width > 2 * kMaxPaperSide || height > 2 * kMaxPaperSide ||
            across != uint32_t((width + kMaskTile - 1) / kMaskTile) ||
            down != uint32_t((height + kMaskTile - 1) / kMaskTile) || !saneOffset(offsetX) ||
            !saneOffset(offsetY))
            return PaperFileError::BadLength;
        if (!mask->createMask(width, height, paper.window.messages()))
            return PaperFileError::OutOfMemory;
        mask->offsetX = offsetX, mask->offsetY = offsetY;
        const PaperFileError runs =
            readRuns(in, *mask->coverage, kMaskRunMagic, kMaskTile, PaperFileError::MaskTileSize);
        if (runs != PaperFileError::None) return runs;
    }
    paper.masks->InsertMask(paper.masks->Count(), std::move(mask));
    return PaperFileError::None;
}

void reportSaveFailure(TPaper& paper, const char* word, const std::string& name,
                       PaperFileError error)
{
    char message[512];
    std::snprintf(message, sizeof message, kSaveItemFailed, word, name.c_str(), int(error));
    paper.window.messages().showMessage(message);
}

void reportLoadFailure(TPaper& paper, const char* word, PaperFileError error)
{
    char message[256];
    std::snprintf(message, sizeof message, kLoadItemFailed, word, int(error));
    paper.window.messages().showMessage(message);
}

} // namespace

PaperFileError readPaperHeader(ByteReader& in, TPaperHeader& h)
{
    if (in.remaining() < 8 + kHeaderLength) return PaperFileError::WriteFailed;
    if (in.u32() != kPaperMagic) return PaperFileError::WrongMagic;
    if (in.u32() != kHeaderLength) return PaperFileError::BadLength;
    h.width = int32_t(in.u32());
    h.height = int32_t(in.u32());
    const uint32_t kind = in.u32();
    in.u16(), in.u16(); // version
    h.options = in.u32();
    h.paperColour = in.u32() & 0xFFFFFFu;
    h.currentLayer = in.u16();
    h.currentMask = in.u16();
    h.dpi = in.u16();
    in.u16();
    h.layerCount = in.u16();
    h.layerNameCounter = in.u16();
    h.maskCount = in.u16();
    h.maskNameCounter = in.u16();
    in.skip(8);
    if (kind > kFileKind) return PaperFileError::Unsupported;
    if (h.width <= 0 || h.height <= 0 || h.width > kMaxPaperSide || h.height > kMaxPaperSide)
        return PaperFileError::TooLarge;
    return PaperFileError::None;
}

PaperFileError encodePaperFile(TPaper& paper, uint32_t options, ByteWriter& out)
{
    try {
        CEventMngr* events = dynamic_cast<CEventMngr*>(paper.eventMngr.get());
        if (!events || paper.eventOutputOff || events->committedEnd() == 0)
            options &= ~paperFileOption::events;
        if (paper.selectionShown) options |= paperFileOption::selectionShown;
        if (paper.selectionActive) options |= paperFileOption::selectionActive;
        const bool layers = options & paperFileOption::layers;
        const bool masks = options & paperFileOption::masks;
        const size_t headerAt = out.size();
        out.u32(kPaperMagic);
        out.u32(kHeaderLength);
        out.u32(uint32_t(paper.width)), out.u32(uint32_t(paper.height));
        out.u32(kFileKind);
        out.u16(3), out.u16(3);
        out.u32(options | (layers ? 1u << 8 : 0) | (masks ? 1u << 9 : 0));
        out.u32(paper.paperColor);
        out.u16(layers ? uint16_t(std::max(paper.currentLayerIndex(), 0)) : 0);
        out.u16(masks ? uint16_t(std::max(paper.masks->CurrentIndex(), 0)) : 0);
        out.u16(uint16_t(paper.dpi));
        out.u16(0);
        out.u16(layers ? uint16_t(paper.layerCount()) : 0);
        out.u16(layers ? uint16_t(paper.layers->nameCounter()) : 0);
        out.u16(masks ? uint16_t(paper.masks->Count()) : 0);
        out.u16(masks ? uint16_t(paper.masks->nameCounter()) : 0);
        out.zeros(8);
        if (options & paperFileOption::thumbnail) {
            TMTC thumbnail;
            if (makeThumbnail(paper.displayImage, thumbnail))
                writeThumbnailBlock(out, thumbnail, paper.width, paper.height, kThumbnailScrambled);
        }
        // A layer or mask that cannot be stored is reported and left out; the header then
        // counts what was stored, so the file still loads.
        if (layers) {
            int32_t written = 0, current = 0;
            for (int32_t i = 0; i < paper.layerCount(); ++i) {
                const CLayerData& layer = *paper.layer(i);
                if (layer.image() && writeLayer(out, layer, written)) {
                    if (i <= paper.currentLayerIndex()) current = written;
                    ++written;
                } else {
                    reportSaveFailure(paper, kLayerWord, layer.name, PaperFileError::WriteFailed);
                }
            }
            if (written == 0) return PaperFileError::WriteFailed;
            out.patchU16(headerAt + 32, uint16_t(current));
            out.patchU16(headerAt + 40, uint16_t(written));
        }
        if (masks) {
            int32_t written = 0, current = 0;
            for (int32_t i = 0; i < paper.masks->Count(); ++i) {
                if (writeMask(out, *paper.masks->Mask(i), written, paper.width, paper.height)) {
                    if (i <= paper.masks->CurrentIndex()) current = written;
                    ++written;
                } else {
                    reportSaveFailure(paper, kMaskWord, paper.masks->Mask(i)->name,
                                      PaperFileError::WriteFailed);
                }
            }
            out.patchU16(headerAt + 34, uint16_t(current));
            out.patchU16(headerAt + 44, uint16_t(written));
        }
        if (options & paperFileOption::events) {
            // The section cuts itself back when it fails; the paper is saved without events.
            if (writeCompressedSection(out, events->paperFileData()) != EventFileError::None)
                paper.window.messages().showMessage(kEventSectionDropped);
        }
        return PaperFileError::None;
    } catch (const std::bad_alloc&) {
        return PaperFileError::OutOfMemory;
    }
}

PaperFileError savePaperFile(const std::string& path, TPaper& paper, uint32_t options,
                             bool keepPrevious)
{
    ByteWriter out;
    const PaperFileError error = encodePaperFile(paper, options, out);
    if (error != PaperFileError::None) return error;
    return saveFileReplacing(path, out.data(), keepPrevious) ? PaperFileError::None
                                                             : PaperFileError::WriteFailed;
}

PaperFileError loadPaperBytes(std::span<const uint8_t> bytes, TPaper& paper, TFlowImage& flow,
                              int32_t* unknownBlocks)
{
    try {
        ByteReader in(bytes);
        TPaperHeader header;
        const PaperFileError headerError = readPaperHeader(in, header);
        if (headerError != PaperFileError::None) return headerError;
        paper.setPaperSize(flow, header.width, header.height);
        while (paper.masks->Count() > 0)
            paper.masks->Remove(0);
        paper.dpi = header.dpi;
        paper.paperColor = header.paperColour;
        int32_t unknown = 0;
        uint32_t lastUnknown = 0;
        bool eventsLoaded = false;
        while (in.remaining() >= 8) {
            const size_t blockStart = in.position();
            const uint32_t id = in.u32();
            const uint32_t length = in.u32();
            if (length > in.remaining() && id != kEventsMagic && id != kPlainEventsMagic)
                return PaperFileError::ShortRead;
            if (id == kLayerMagic || id == kMaskMagic) {
                const bool isLayer = id == kLayerMagic;
                const PaperFileError error =
                    isLayer ? readLayer(in, length, paper) : readMask(in, length, paper);
                if (error != PaperFileError::None) {
                    reportLoadFailure(paper, isLayer ? kLayerWord : kMaskWord, error);
                    return error;
                }
                continue;
            }
            if (id == kEventsMagic || id == kPlainEventsMagic) {
                ByteReader section(bytes.subspan(blockStart));
                TEventFileData data;
                auto* events = dynamic_cast<CEventMngr*>(paper.eventMngr.get());
                if (readEventSection(section, data) == EventFileError::None && events &&
                    events->continueRecording(std::move(data))) {
                    eventsLoaded = true;
                    in.skip(section.position() - 8);
                    continue;
                }
                // The section comes last: what follows a broken one is part of it.
                paper.window.messages().showMessage(kEventSectionDropped);
                break;
            }
            const bool known = id == kThumbnailMagic || id == kEventBlockMagic ||
                               id == kLayerRunMagic || id == kMaskRunMagic;
            if (!known) {
                ++unknown;
                lastUnknown = id;
            }
            in.skip(length);
        }
        // A file cut between two blocks still ends cleanly; the counts tell.
        if (((header.options & paperFileOption::layers) &&
             paper.layerCount() != header.layerCount) ||
            ((header.options & paperFileOption::masks) && paper.masks->Count() != header.maskCount))
            return PaperFileError::ShortRead;
        if (unknownBlocks) *unknownBlocks = unknown;
        if (unknown > 0) {
            char id[5] = {char(lastUnknown), char(lastUnknown >> 8), char(lastUnknown >> 16),
                          char(lastUnknown >> 24), 0};
            char message[160];
            std::snprintf(message, sizeof message, kUnknownBlocksIgnored, unknown, id);
            paper.window.messages().showMessage(message);
        }
        if (paper.layerCount() == 0)
            paper.createLayer(flow, 0, header.width, header.height, true, 255, 3, false);
        paper.layers->setNameCounter(header.layerNameCounter);
        paper.masks->setNameCounter(header.maskNameCounter);
        paper.selectionShown = (header.options & paperFileOption::selectionShown) ? 1 : 0;
        paper.selectionActive = (header.options & paperFileOption::selectionActive) ? 1 : 0;
        if (paper.masks->Count() > 0)
            paper.masks->SetCurrent(std::min(header.currentMask, paper.masks->Count() - 1));
        paper.setCurrentLayer(flow, std::min(header.currentLayer, paper.layerCount() - 1));
        paper.initialised = 1;
        // Without its recording the picture cannot be replayed from the start: a recording made
        // from here would not describe it, so none is written out with it.
        // (A loaded recording goes on with its start state written at the next edit, so that
        // an untouched paper saves as it loaded.)
        if (!eventsLoaded) {
            if (auto* events = dynamic_cast<CEventMngr*>(paper.eventMngr.get()))
                events->stopRecording();
            paper.eventOutputOff = 1;
        }
        paper.refreshAll(flow, paper.currentLayerIndex(), false);
        return PaperFileError::None;
    } catch (const std::bad_alloc&) {
        return PaperFileError::OutOfMemory;
    }
}

PaperFileError loadPaperFile(const std::string& path, TPaper& paper, TFlowImage& flow,
                             int32_t* unknownBlocks)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) return PaperFileError::ShortRead;
    return loadPaperBytes(bytes, paper, flow, unknownBlocks);
}

int32_t loadVkbPaper(std::span<const uint8_t> bytes, TPaper& paper, TFlowImage& flow)
{
    TVkbFile file;
    const VkbError error = readVkb(bytes, file);
    if (error != VkbError::None) {
        if (error == VkbError::WrongMagic)
            paper.window.messages().showMessage(kVkbUnknownFormatText);
        return int32_t(error);
    }
    paper.setPaperSize(flow, file.width, file.height);
    paper.paperColor = file.paperColour & 0xFFFFFFu;
    for (const TVkbLayer& old : file.layers) {
        const int32_t at = paper.layers->AddLayer(file.width, file.height, true, old.level,
                                                  uint8_t(old.mode & 0x7F));
        CLayerData* layer = paper.layers->Get(at);
        if (!layer) return int32_t(PaperFileError::LayerCreateFailed);
        layer->image()->ImportFrom(old.image, {0, 0}, 255, old.image.bounds());
        layer->image()->Optimize();
        layer->UpdateThumbnail();
    }
    if (auto* events = dynamic_cast<CEventMngr*>(paper.eventMngr.get())) events->stopRecording();
    paper.eventOutputOff = 1;
    if (!file.eventsValid) paper.window.messages().showMessage(kVkbBrokenEventsText);
    paper.locked = file.eventsValid && file.eventsProtected ? 1 : 0;
    paper.initialised = 1;
    paper.setCurrentLayer(flow, std::min(file.currentLayer, paper.layerCount() - 1));
    paper.refreshAll(flow, paper.currentLayerIndex(), false);
    return 0;
}

} // namespace qm
