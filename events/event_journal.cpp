#include "events/event_journal.h"

#include "core/byte_io.h"
#include "events/event_mngr.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>

#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace qm {

namespace {

constexpr size_t kRecordHead = 5; // kind, length
constexpr size_t kRecordTail = 4; // CRC-32
// Titles and paths longer than this are cut: the list only shows them.
constexpr uint32_t kMaxAboutText = 4096;

uint32_t checksum(std::span<const uint8_t> bytes)
{
    return uint32_t(crc32(0, bytes.data(), uInt(bytes.size())));
}

void putText(ByteWriter& out, const std::string& text)
{
    const size_t n = std::min<size_t>(text.size(), kMaxAboutText);
    out.u16(uint16_t(n));
    out.bytes(text.data(), n);
}

bool takeText(ByteReader& in, std::string& text)
{
    const uint16_t n = in.u16();
    const std::span<const uint8_t> bytes = in.take(n);
    if (in.failed()) return false;
    text.assign(bytes.begin(), bytes.end());
    return true;
}

bool readAbout(std::span<const uint8_t> payload, TJournalAbout& about)
{
    ByteReader in(payload);
    TJournalAbout read;
    read.width = in.i32();
    read.height = in.i32();
    const uint16_t w = in.u16(), h = in.u16();
    if (in.failed() || w > kJournalThumbnailSide || h > kJournalThumbnailSide ||
        size_t(w) * h * 4 > in.remaining())
        return false;
    if (w > 0 && h > 0) {
        if (!read.thumbnail.Resize(w, h)) return false;
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                read.thumbnail.row(y)[x] = in.u32();
    }
    if (!takeText(in, read.title) || !takeText(in, read.source)) return false;
    about = std::move(read);
    return true;
}

} // namespace

namespace {

// Records are framed in place: the head first, the payload after it, then the length and the
// checksum once the payload is known. Returns where the record begins.
size_t openRecord(ByteWriter& out, uint8_t kind)
{
    const size_t at = out.data().size();
    out.u8(kind);
    out.u32(0);
    return at;
}

void closeRecord(ByteWriter& out, size_t at)
{
    out.patchU32(at + 1, uint32_t(out.data().size() - at - kRecordHead));
    out.u32(checksum(std::span(out.data()).subspan(at)));
}

} // namespace

std::vector<uint8_t> journalRecordBytes(uint8_t kind, std::span<const uint8_t> payload)
{
    ByteWriter out;
    const size_t at = openRecord(out, kind);
    out.bytes(payload.data(), payload.size());
    closeRecord(out, at);
    return std::move(out.data());
}

std::vector<uint8_t> journalAboutRecord(const TJournalAbout& about)
{
    ByteWriter out;
    out.i32(about.width);
    out.i32(about.height);
    const bool thumb = about.thumbnail.IsValid() &&
                       about.thumbnail.width() <= kJournalThumbnailSide &&
                       about.thumbnail.height() <= kJournalThumbnailSide;
    const int32_t w = thumb ? about.thumbnail.width() : 0, h = thumb ? about.thumbnail.height() : 0;
    out.u16(uint16_t(w));
    out.u16(uint16_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out.u32(about.thumbnail.row(y)[x]);
    putText(out, about.title);
    putText(out, about.source);
    return journalRecordBytes(journalRecord::about, out.data());
}

// ---- recording ----

std::vector<uint8_t> CJournalRecorder::update(CEventMngr& events)
{
    ByteWriter out;
    active_ = events.isRecording();
    if (!active_) {
        generation_ = kNone;
        return {};
    }
    uint32_t unchanged = events.takeUnchangedPrefix();
    if (events.streamGeneration() != generation_) {
        generation_ = events.streamGeneration();
        const size_t at = openRecord(out, journalRecord::start);
        out.u16(events.formatCode);
        out.u16(events.headerFlags);
        closeRecord(out, at);
        journaled_ = recordedEnd_ = recordedCount_ = 0;
        unchanged = 0;
    }
    // Bytes the stream rewrote since they were journaled must be written again.
    journaled_ = std::min(journaled_, unchanged);
    const uint32_t end = events.committedEnd(), count = events.eventCount();
    if (end > journaled_) {
        const size_t at = openRecord(out, journalRecord::data);
        out.u32(journaled_);
        out.u32(count);
        // The stream's bytes straight into the record.
        std::vector<uint8_t>& bytes = out.data();
        const size_t from = bytes.size();
        bytes.resize(from + (end - journaled_));
        events.stream().read(journaled_, bytes.data() + from, end - journaled_);
        closeRecord(out, at);
        journaled_ = end;
    } else if (end != recordedEnd_ || count != recordedCount_) {
        const size_t at = openRecord(out, journalRecord::end);
        out.u32(end);
        out.u32(count);
        closeRecord(out, at);
        journaled_ = std::min(journaled_, end);
    }
    recordedEnd_ = end;
    recordedCount_ = count;
    return std::move(out.data());
}

// ---- reading ----

bool readJournal(std::span<const uint8_t> bytes, TJournalContents& out)
{
    TJournalContents read;
    if (bytes.size() < 4 || std::memcmp(bytes.data(), kJournalMagic, 4) != 0) return false;
    std::vector<uint8_t> stream; // every byte the journal gave, valid up to `end`
    uint32_t end = 0;
    bool started = false;
    size_t at = 4;
    for (;;) {
        if (bytes.size() - at < kRecordHead + kRecordTail) {
            read.whole = at == bytes.size();
            break;
        }
        ByteReader head(bytes.subspan(at, kRecordHead));
        const uint8_t kind = head.u8();
        const uint32_t length = head.u32();
        if (length > bytes.size() - at - kRecordHead - kRecordTail) {
            read.whole = false;
            break;
        }
        const auto framed = bytes.subspan(at, kRecordHead + length);
        ByteReader tail(bytes.subspan(at + kRecordHead + length, kRecordTail));
        if (tail.u32() != checksum(framed)) {
            read.whole = false;
            break;
        }
        const auto payload = framed.subspan(kRecordHead);
        ByteReader in(payload);
        bool understood = true;
        switch (kind) {
        case journalRecord::start:
            read.recording.formatCode = in.u16();
            read.recording.flags = in.u16();
            understood = !in.failed();
            stream.clear();
            end = 0;
            read.recording.eventCount = 0;
            started = understood;
            break;
        case journalRecord::data: {
            const uint32_t offset = in.u32(), count = in.u32();
            const size_t n = in.remaining();
            // Data continues the valid stream; a gap would leave bytes nobody wrote.
            understood = started && !in.failed() && offset <= end &&
                         uint64_t(offset) + n <= TEventStream::kMaxLength;
            if (understood) {
                stream.resize(std::max<size_t>(stream.size(), offset + n));
                std::copy(payload.end() - ptrdiff_t(n), payload.end(), stream.begin() + offset);
                end = uint32_t(offset + n);
                read.recording.eventCount = count;
            }
            break;
        }
        case journalRecord::end: {
            const uint32_t moved = in.u32(), count = in.u32();
            understood = started && !in.failed() && moved <= stream.size();
            if (understood) {
                end = moved;
                read.recording.eventCount = count;
            }
            break;
        }
        case journalRecord::about:
            understood = readAbout(payload, read.about);
            break;
        default:
            understood = false;
            break;
        }
        if (!understood) {
            read.whole = false;
            break;
        }
        at += kRecordHead + length + kRecordTail;
    }
    if (!started || end == 0) return false;
    stream.resize(end);
    read.recording.stream = std::move(stream);
    out = std::move(read);
    return true;
}

// ---- the file ----

std::unique_ptr<CJournalFile> CJournalFile::create(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::write(fd, kJournalMagic, 4) != 4) {
        error = std::strerror(errno);
        ::close(fd);
        ::unlink(path.c_str());
        return nullptr;
    }
    return std::unique_ptr<CJournalFile>(new CJournalFile(fd, path));
}

CJournalFile::CJournalFile(int fd, std::string path) : fd_(fd), path_(std::move(path))
{
    thread_ = std::thread([this] { run(); });
}

CJournalFile::~CJournalFile()
{
    stop();
    if (fd_ >= 0) ::close(fd_);
}

void CJournalFile::stop()
{
    {
        std::lock_guard lock(mutex_);
        if (stopping_ && !thread_.joinable()) return;
        stopping_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void CJournalFile::discard()
{
    stop();
    if (fd_ >= 0) {
        ::unlink(path_.c_str());
        ::close(fd_);
        fd_ = -1;
    }
}

void CJournalFile::append(std::vector<uint8_t> bytes)
{
    if (bytes.empty()) return;
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || failed_) return;
        appended_ += bytes.size();
        if (queue_.empty())
            queue_.swap(bytes);
        else
            queue_.insert(queue_.end(), bytes.begin(), bytes.end());
    }
    wake_.notify_one();
}

void CJournalFile::waitSynced()
{
    std::unique_lock lock(mutex_);
    const uint64_t target = appended_;
    syncWanted_ = true;
    wake_.notify_one();
    synced_.wait(lock, [&] { return syncedUpTo_ >= target || failed_ || !thread_.joinable(); });
}

double CJournalFile::lastSyncMs() const
{
    std::lock_guard lock(mutex_);
    return lastSyncMs_;
}

uint64_t CJournalFile::syncCount() const
{
    std::lock_guard lock(mutex_);
    return syncs_;
}

bool CJournalFile::healthy() const
{
    std::lock_guard lock(mutex_);
    return !failed_;
}

void CJournalFile::run()
{
    using Clock = std::chrono::steady_clock;
    constexpr auto kSyncEvery = std::chrono::milliseconds(1000);
    auto lastSync = Clock::now();
    std::unique_lock lock(mutex_);
    for (;;) {
        const auto due = [&] { return stopping_ || syncWanted_ || !queue_.empty(); };
        // Unsynced bytes wait at most until the second is up.
        if (written_ > syncedUpTo_)
            wake_.wait_until(lock, lastSync + kSyncEvery, due);
        else
            wake_.wait(lock, due);
        std::vector<uint8_t> bytes;
        bytes.swap(queue_);
        const uint64_t upTo = written_ + bytes.size();
        lock.unlock();
        // Written at once, so that the page cache holds it whatever becomes of the process.
        bool ok = true;
        for (size_t done = 0; ok && done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            done += ok ? size_t(n) : 0;
        }
        lock.lock();
        if (!ok) {
            failed_ = true;
            synced_.notify_all();
            return;
        }
        written_ = upTo;
        const auto now = Clock::now();
        if (written_ > syncedUpTo_ && (now - lastSync >= kSyncEvery || stopping_ || syncWanted_)) {
            syncWanted_ = false;
            lock.unlock();
            const auto before = Clock::now();
            const bool syncOk = ::fdatasync(fd_) == 0;
            const auto after = Clock::now();
            lock.lock();
            lastSyncMs_ = std::chrono::duration<double, std::milli>(after - before).count();
            ++syncs_;
            lastSync = after;
            if (!syncOk) failed_ = true;
            syncedUpTo_ = written_;
            synced_.notify_all();
        } else if (syncWanted_ && written_ == syncedUpTo_) {
            syncWanted_ = false; // nothing was left to sync
            synced_.notify_all();
        }
        if (stopping_ && queue_.empty() && written_ == syncedUpTo_) {
            synced_.notify_all();
            return;
        }
    }
}

// ---- finding what was left ----

std::vector<std::string> orphanedJournals(const std::string& folder)
{
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().extension() != kJournalExtension || !entry.is_regular_file(error))
            continue;
        const std::string path = entry.path().string();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        // A living writer holds the lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            found.emplace_back(entry.last_write_time(error), path);
        ::close(fd);
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> paths;
    for (auto& [time, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

} // namespace qm
