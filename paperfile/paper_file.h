// The paper file (".qmp"): a header block, then optionally a thumbnail, every layer with its
// tiles, every selection mask with its tiles, and the paper's recording. Blocks are framed as a
// 4-byte magic and the count of bytes that follow, so a reader skips what it does not know.
// Tiles are stored in runs, row-major: tiles with pixels (at most 16 per run, one compressed
// frame) and uniform tiles (one fill value each).
#pragma once

#include "core/byte_io.h"

#include <cstdint>
#include <span>
#include <string>

namespace qm {

class TPaper;
class TFlowImage;

enum class PaperFileError : int32_t {
    None = 0,
    OutOfMemory = 1,
    Exception = 3,
    WriteFailed = 8,      // also: a header that cannot be read
    ShortRead = 9,
    Unsupported = 12,     // a file kind or layer record this version does not know
    TooLarge = 13,        // a paper side above 10,000
    WrongMagic = 16,
    BadLength = 17,
    LayerCreateFailed = 21,
    LayerTileSize = 22,
    EmptyRun = 23,
    UnknownRunType = 24,
    RunLength = 25,
    RunOutsideGrid = 26,
    MaskTileSize = 30,
};

// What the header's option bits say is in the file.
namespace paperFileOption {
inline constexpr uint32_t layers = 1u << 0;
inline constexpr uint32_t masks = 1u << 1;
inline constexpr uint32_t thumbnail = 1u << 2;
inline constexpr uint32_t events = 1u << 3;
inline constexpr uint32_t selectionShown = 1u << 4;
inline constexpr uint32_t selectionActive = 1u << 5;
inline constexpr uint32_t all = layers | masks | thumbnail | events;
} // namespace paperFileOption

inline constexpr int32_t kMaxPaperSide = 10000;

struct TPaperHeader {
    int32_t width = 0, height = 0;
    uint32_t options = 0;
    uint32_t paperColour = 0xFFFFFF;
    int32_t currentLayer = 0, currentMask = 0;
    int32_t dpi = 0;
    int32_t layerCount = 0, layerNameCounter = 0;
    int32_t maskCount = 0, maskNameCounter = 0;
};

// Texts of the loader and the saver.
inline constexpr const char* kSaveItemFailed = "%s (\"%s\") の保存に失敗しました! (err=%d)";
inline constexpr const char* kLoadItemFailed = "%sの読み込みに失敗しました! (err=%d)";
inline constexpr const char* kLayerWord = "ﾚｲﾔ";
inline constexpr const char* kMaskWord = "ﾏｽｸ";
inline constexpr const char* kEventSectionDropped =
    "ｲﾍﾞﾝﾄﾃﾞｰﾀ部の読み込みに失敗しました!\rｲﾍﾞﾝﾄは破棄されました。";
inline constexpr const char* kUnknownBlocksIgnored = "%d個の未知のﾃﾞｰﾀﾌﾞﾛｯｸを無視しました!  (id = %s)";

PaperFileError readPaperHeader(ByteReader& in, TPaperHeader& header);

// The whole file as bytes (options as in the header; the events only when the paper's record
// may be written out). WriteFailed when not even one layer could be stored.
PaperFileError encodePaperFile(TPaper& paper, uint32_t options, ByteWriter& out);
// Written to a temporary file and renamed over the target: a failed save leaves the old file.
// With `keepPrevious` the file that was there stays beside it as "<path>~".
PaperFileError savePaperFile(const std::string& path, TPaper& paper, uint32_t options,
                             bool keepPrevious = false);

// Loads into a paper that has no layers yet. `unknownBlocks` counts the blocks skipped.
PaperFileError loadPaperBytes(std::span<const uint8_t> bytes, TPaper& paper, TFlowImage& flow,
                              int32_t* unknownBlocks = nullptr);
PaperFileError loadPaperFile(const std::string& path, TPaper& paper, TFlowImage& flow,
                             int32_t* unknownBlocks = nullptr);

// An old paper file (".vkb"): its layers become the paper's; its recording (of the old kind)
// cannot be continued, so the paper records nothing new; a protected one locks the paper.
// The code is the reader's (VkbError's numbers).
int32_t loadVkbPaper(std::span<const uint8_t> bytes, TPaper& paper, TFlowImage& flow);

} // namespace qm
