// The tone set file (.qts): the tone window's list of screentones and bitmap patterns.
//
// Little-endian, in the program's block framing. A 32-byte header:
//   +0 "PTST"  +4 i32 24  +8 u16 0  +10 u16 version (1)  +12 u16 pattern count
//   +14 u16 current index  +16 16 zero bytes
// then per pattern, in list order, a "QPAT" chunk (magic, i32 size = the bytes up to the image
// block) holding a 72-byte record:
//   +0 u16 8 (record kind)  +2 u16 pattern kind (0 bitmap, 1 tone)  +4 u16 name length
//   +6 u16 1 (record version)  +8 u32 flags (bit 0 the tone's flag, bit 1 inverted, 0x100 on
//   bitmaps)  +12 i32 scale  +16 i32 origin x  +20 i32 origin y  +24 i32 width  +28 i32 height
//   +32 8 zero bytes  +40 tones only: i32 shape, f32 dpi, lines, percent, angle, i32 blur
//   (zeros for bitmaps)  +64 8 zero bytes
// then the name (no terminator) and zeros to a multiple of 4; after the chunk the tile as an
// image block "QTNL" (files/image_block.h): 8-bit pixels, kind 2, format word 4 for bitmaps and
// 2 for tones, group size 3, stride 2, the tile's size in both size pairs.
//
// Reading skips chunks of another magic and chunks it cannot read (each with the image block
// after it), and stops after the announced count or at the end. Nothing is applied to the list
// unless at least one pattern was read, so a bad file never costs the user their tones. Saving
// goes through a temporary file: a failed save leaves the old file as it was.
#pragma once

#include "core/byte_io.h"
#include "core/dib_core.h"
#include "core/message_sink.h"
#include "files/app_profile.h"
#include "tone/pat_mngr_base.h"
#include "tone/tone_attr.h"
#include "tone/tone_mngr.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

// The messages of both set files, with the word naming the file kind.
inline constexpr const char* kSetLoadFailedMessage = "%sの読み込みに失敗しました! (err=%d)";
inline constexpr const char* kSetItemsMissingMessage = "%d個の%sが読み込めませんでした！";
inline constexpr const char* kToneSetWord = "トーン集";
inline constexpr const char* kToneSetDefaultName = "default.qts";

// A pattern made from a picture is at most a paper's size.
inline constexpr int32_t kMaxToneSetTileSide = 10000;

enum class ToneSetError : int32_t {
    None = 0,
    OutOfMemory = 1,
    Exception = 3,
    FileNotFound = 4,
    CannotCreate = 5,     // the target's folder does not exist, or the target is a folder
    OpenFailed = 6,
    WriteFailed = 8,      // also: a pattern without a tile, or a tile that did not compress
    ReadFailed = 9,       // a header cut short, or a tile whose pixels do not decode
    ChunkTooLarge = 10,   // a chunk or image block larger than the rest of the file
    RecordTooShort = 11,  // a chunk too short for its record and name, an image block too
                          // short for its descriptor
    VersionTooNew = 12,   // file version above 1, record version 2 or more
    UnknownImageKind = 14,
    WrongKind = 15,       // not a tone set, a record or pattern kind we do not know, no image
                          // block after the chunk, or a tile that disagrees with its record
    UnknownPatternKind = 20,
    NoPatterns = 37,      // nothing read; writing: an empty list
    AddFailed = 48,       // the list refused a pattern read
};

// One pattern as the file holds it.
struct TToneSetEntry {
    PatKind kind = PatKind::Bitmap;
    uint32_t flags = 0;
    int32_t scale = 100;
    int32_t originX = 0;
    int32_t originY = 0;
    SToneAttr attr; // tones: all of it (the flag from bit 0); bitmaps: the name only
    TChannel tile;

    bool inverted() const { return (flags & 2u) != 0; }
};

struct TToneSetData {
    int32_t announced = 0;    // the header's pattern count
    int32_t currentIndex = 0; // the header's current index
    std::vector<TToneSetEntry> entries;
    // The failure of the last chunk that could not be read, or what ended reading early;
    // None when every chunk was read.
    ToneSetError lastError = ToneSetError::None;
};

// ---- reading ----

// Reads a whole tone set held in memory. A bad header gives its error with `data` empty; once
// the header is good the result is None and `data` holds what could be read (see lastError).
ToneSetError readToneSetBytes(std::span<const uint8_t> bytes, TToneSetData& data);
ToneSetError readToneSetFile(const std::string& path, TToneSetData& data);

// ---- writing ----

// Every pattern of the list, and its current index.
ToneSetError writeToneSetBytes(const CPatMngrBase& patterns, ByteWriter& out);
// Writes the file through a temporary file renamed over the target.
ToneSetError saveToneSet(const std::string& path, const CPatMngrBase& patterns);

// ---- loading into the list ----

enum class SetLoadMode { Replace, Append };

// What loading a set file did, with the file kind's error codes.
template <typename Error>
struct TSetLoad {
    // Why nothing was loaded (37 when no item could be read), or the last failure of an item
    // that was skipped; None when all were read.
    Error error = Error::None;
    int32_t announced = 0;
    int32_t loaded = 0;

    bool anyLoaded() const { return loaded > 0; }
    int32_t missing() const { return announced > loaded ? announced - loaded : 0; }
};
using TToneSetLoad = TSetLoad<ToneSetError>;

// Replace: the list becomes the file's patterns and the stored current index (clamped) is
// selected. Append: the patterns follow the list's own and the selection stays. When nothing
// can be read the list is left as it was.
TToneSetLoad applyToneSet(TToneSetData&& data, CToneMngr& tones, SetLoadMode mode);
// Reads and applies. The message the result calls for goes to the sink when one is given: the
// failure with its code when nothing was loaded, else the number of patterns missing.
TToneSetLoad loadToneSet(const std::string& path, CToneMngr& tones, SetLoadMode mode,
                         MessageSink* messages);
// The message a load's result calls for; empty when none.
std::string toneSetLoadMessage(const TToneSetLoad& result);
// The same for either set file, given the word naming its kind: the failure with its code
// when nothing was loaded, else the number of items missing, else nothing.
std::string setLoadMessage(const char* word, bool anyLoaded, int32_t error, int32_t missing);

// ---- at start ----

// Which set file a window loads at start: the one its setting names when that exists, else the
// default name in its folder when that exists, else none, and the setting is to be cleared.
struct TStartupSetFile {
    std::string path;           // the file to load; empty when neither exists
    bool clearSetting = false;  // neither exists: the built-in list stays
};
TStartupSetFile chooseStartupSetFile(const std::string& file, const std::string& folder,
                                     const char* defaultName);
// "toneFile", else "default.qts" in "tonePath".
TStartupSetFile chooseStartupToneSet(const TFileIOSettings& settings);
// Carries the choice out: loads the file (replacing the list), or clears "toneFile". The
// choice is returned; the load's result in `load` when a file was loaded.
TStartupSetFile startToneSet(CToneMngr& tones, TFileIOSettings& settings, MessageSink* messages,
                             TToneSetLoad* load = nullptr);

} // namespace qm
