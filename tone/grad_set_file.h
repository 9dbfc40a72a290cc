// The gradation set file (.qgs): the gradation window's list of gradations.
//
// Little-endian, in the program's block framing. A 32-byte header:
//   +0 "GRST"  +4 i32 24  +8 u16 version (1)  +10 u16 entry count (the fixed entry not
//   counted)  +12 u16 flags (bit 0: the fixed entry was current)  +14 u16 0
//   +16 i16 current index among the entries written (the fixed entry's own index when it was
//   current)  +18 i16 index of the fixed entry, or −1  +20 12 zero bytes
// then one "QGRD" chunk per entry, in list order, the fixed entry skipped: a 36-byte head
//   +0 "QGRD"  +4 i32 size (the bytes after these 8: 28 + the padded name + 24 × stops)
//   +8 u16 flags (bit 0: the options' flag byte)  +10 u16 version (1)  +12 u16 type
//   +14 u16 map  +16 u16 repeat mode  +18 i16 repeat count  +20 10 zero bytes
//   +30 u16 stop count  +32 u16 stop size (24)  +34 u16 name length
// then the name and zeros to a multiple of 4, then the stops, 24 bytes each (TColorStop).
//
// Reading skips chunks of another magic and chunks that fail, by their size. Stops are read
// while 24 bytes of the chunk remain; fewer than 2 is error 20. Options are clamped: type to
// 0..3, map and repeat to 0..2. Nothing is applied to the list unless at least one entry was
// read. Saving goes through a temporary file: a failed save leaves the old file as it was.
#pragma once

#include "core/byte_io.h"
#include "core/message_sink.h"
#include "files/app_profile.h"
#include "tone/grad_mngr.h"
#include "tone/tone_set_file.h" // the messages, load modes and start-up choice both sets share

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

inline constexpr const char* kGradSetWord = "グラデーション集";
inline constexpr const char* kGradSetDefaultName = "default.qgs";

enum class GradSetError : int32_t {
    None = 0,
    OutOfMemory = 1,
    Exception = 3,
    FileNotFound = 4,
    CannotCreate = 5,   // the target's folder does not exist, or the target is a folder
    OpenFailed = 6,
    WriteFailed = 8,
    ReadFailed = 9,     // not a gradation set, a header cut short, a chunk too short for its
                        // head or name
    ChunkTooLarge = 10, // a chunk larger than the rest of the file
    VersionTooNew = 12, // file version above 1, chunk version 2 or more
    TooFewStops = 20,   // reading: fewer than 2 stops; writing: a stop not in use
    NoEntries = 37,     // nothing read; writing: nothing but the fixed entry
    StopsFull = 48,     // more stops than a gradation holds
};

// One entry as the file holds it: its stops (renormalised) and options.
struct TGradSetEntry {
    CColorSlotGroup stops;
    TGradOptions options;
};

struct TGradSetData {
    int32_t announced = 0;     // the header's entry count
    bool fixedCurrent = false; // header flag bit 0
    int32_t currentIndex = 0;  // the header's current index
    int32_t fixedIndex = -1;   // the header's fixed entry index
    std::vector<TGradSetEntry> entries;
    // The failure of the last chunk that could not be read, or what ended reading early;
    // None when every chunk was read.
    GradSetError lastError = GradSetError::None;
};

// ---- reading ----

// A bad header gives its error with `data` empty; once the header is good the result is None
// and `data` holds what could be read (see lastError).
GradSetError readGradSetBytes(std::span<const uint8_t> bytes, TGradSetData& data);
GradSetError readGradSetFile(const std::string& path, TGradSetData& data);

// ---- writing ----

// Every entry but the fixed one, and the current index. An entry holding a stop that is not in
// use fails the whole write (20): the file is never written without it.
GradSetError writeGradSetBytes(CGradMngr& gradations, ByteWriter& out);
GradSetError saveGradSet(const std::string& path, CGradMngr& gradations);

// ---- loading into the list ----

using TGradSetLoad = TSetLoad<GradSetError>;

// Replace: every entry but the fixed one goes, the file's entries follow the fixed one, and
// the fixed entry is selected when the header says it was current, else the stored index + 1
// (clamped). Append: the entries follow the list's own and the selection stays. When nothing
// can be read the list is left as it was.
TGradSetLoad applyGradSet(TGradSetData&& data, CGradMngr& gradations, SetLoadMode mode);
// Reads and applies; the message the result calls for goes to the sink when one is given.
TGradSetLoad loadGradSet(const std::string& path, CGradMngr& gradations, SetLoadMode mode,
                         MessageSink* messages);
std::string gradSetLoadMessage(const TGradSetLoad& result);

// ---- at start ----

// "gradFile", else "default.qgs" in "gradPath".
TStartupSetFile chooseStartupGradSet(const TFileIOSettings& settings);
// Loads the chosen file (replacing the list), or clears "gradFile" when neither exists.
TStartupSetFile startGradSet(CGradMngr& gradations, TFileIOSettings& settings,
                             MessageSink* messages, TGradSetLoad* load = nullptr);

} // namespace qm
