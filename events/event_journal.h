// The crash journal of a recording paper: its committed stream written to disk as it grows,
// so that a paper survives the program's sudden end up to its last committed event.
//
// A journal file is "QMJ1" followed by records: u8 kind, u32 payload length, the payload, and
// a u32 CRC-32 of kind, length and payload. A reader stops at the first record that is cut
// short or does not check out, so a journal cut anywhere or followed by garbage gives the
// stream as far as its last whole record.
//   start (1): u16 format code, u16 header flags. A new stream: everything before is void.
//   data (2):  u32 offset, u32 event count, the stream's bytes from the offset on; the
//              committed stream now ends after them.
//   end (3):   u32 committed end, u32 event count (an undo or redo moved the end).
//   about (4): i32 width, i32 height, u16 thumbnail width, u16 height, its pixels (4 bytes
//              each), u16 length + UTF-8 title, u16 length + UTF-8 source path.
#pragma once

#include "core/dib_core.h"
#include "events/event_file.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

namespace qm {

class CEventMngr;

namespace journalRecord {
inline constexpr uint8_t start = 1;
inline constexpr uint8_t data = 2;
inline constexpr uint8_t end = 3;
inline constexpr uint8_t about = 4;
} // namespace journalRecord

inline constexpr char kJournalMagic[] = "QMJ1";
inline constexpr const char* kJournalExtension = ".qmj";
inline constexpr int32_t kJournalThumbnailSide = 96;

// What the recovery list shows of a journal's paper.
struct TJournalAbout {
    int32_t width = 0, height = 0;
    TMTC thumbnail; // at most kJournalThumbnailSide on its longer side
    std::string title;
    std::string source; // the file the paper came from, empty for a new paper
};

// One record, framed and checked.
std::vector<uint8_t> journalRecordBytes(uint8_t kind, std::span<const uint8_t> payload);
std::vector<uint8_t> journalAboutRecord(const TJournalAbout& about);

// Turns what changed in an event manager's committed stream into journal records.
class CJournalRecorder {
  public:
    // The records that bring the journal up to the committed stream (empty when nothing
    // changed). Takes the manager's unchanged prefix, so one recorder per manager.
    std::vector<uint8_t> update(CEventMngr& events);
    // Whether the journal describes a recording (the manager records).
    bool active() const { return active_; }
    // Starts over: the next update writes the whole stream again.
    void restart() { generation_ = kNone; }

  private:
    static constexpr uint32_t kNone = 0xFFFFFFFFu;
    uint32_t generation_ = kNone;
    uint32_t journaled_ = 0;   // the stream's bytes the journal holds
    uint32_t recordedEnd_ = 0; // the committed end and count the journal last gave
    uint32_t recordedCount_ = 0;
    bool active_ = false;
};

struct TJournalContents {
    TEventFileData recording;
    TJournalAbout about;
    bool whole = true; // false when the file went on past the last record that checked out
};
// Reads a journal as far as its last whole record. False when it holds no recording.
bool readJournal(std::span<const uint8_t> bytes, TJournalContents& out);

// A journal on disk, locked while its writer lives. What is appended is written by a thread of
// its own at once and synced to the disk at least once a second.
class CJournalFile {
  public:
    // Creates the file (it must not exist) and starts the writer; null with the reason.
    static std::unique_ptr<CJournalFile> create(const std::string& path, std::string& error);
    // Writes what is queued, syncs and closes; the file stays.
    ~CJournalFile();
    CJournalFile(const CJournalFile&) = delete;
    CJournalFile& operator=(const CJournalFile&) = delete;

    // Queues the bytes for writing; never waits for the disk.
    void append(std::vector<uint8_t> bytes);
    // Stops the writer and removes the file.
    void discard();
    // Waits until everything appended so far is written and synced.
    void waitSynced();
    const std::string& path() const { return path_; }
    // The time the last sync took, in milliseconds, and the number of syncs.
    double lastSyncMs() const;
    uint64_t syncCount() const;
    // False once a write failed (the journal then stops writing).
    bool healthy() const;

  private:
    CJournalFile(int fd, std::string path);
    void run();
    void stop();

    int fd_ = -1;
    std::string path_;
    mutable std::mutex mutex_;
    std::condition_variable wake_, synced_;
    std::vector<uint8_t> queue_;
    uint64_t appended_ = 0, written_ = 0, syncedUpTo_ = 0;
    bool stopping_ = false, failed_ = false, syncWanted_ = false;
    double lastSyncMs_ = 0.0;
    uint64_t syncs_ = 0;
    std::thread thread_;
};

// The journals in the folder whose writer is gone (their lock can be taken), oldest first.
std::vector<std::string> orphanedJournals(const std::string& folder);

} // namespace qm
