// The recorded stream in memory: a list of fixed-size segments, so that appending never moves
// what is written. A packet may straddle two segments.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace qm {

// One segment: a buffer, its size and whether it is allocated.
class CMemSeg {
public:
    explicit CMemSeg(uint32_t size) : bytes_(size) {}
    uint32_t size() const { return uint32_t(bytes_.size()); }
    // Both clip to the segment and return the number of bytes moved.
    uint32_t write(uint32_t offset, const uint8_t* data, uint32_t count);
    uint32_t read(uint32_t offset, uint8_t* out, uint32_t count) const;

private:
    std::vector<uint8_t> bytes_;
};

class TEventStream {
public:
    static constexpr uint32_t kDefaultSegmentSize = 65536;
    // Streams are capped well below 4 GiB: offsets are 32-bit in the files.
    static constexpr uint32_t kMaxLength = 0xF0000000u;

    explicit TEventStream(uint32_t segmentSize = kDefaultSegmentSize);

    uint32_t segmentSize() const { return segmentSize_; }
    uint32_t capacity() const { return uint32_t(segments_.size()) * segmentSize_; }
    uint32_t writeEnd() const { return writeEnd_; }

    // Drops everything and keeps one empty segment.
    void clear();
    // Appends at the write end; false (nothing written) past the length cap.
    bool append(std::span<const uint8_t> bytes);
    // Overwrites bytes already written (offset + size ≤ write end).
    bool writeAt(uint32_t offset, std::span<const uint8_t> bytes);
    // Valid only when offset + count ≤ write end.
    bool read(uint32_t offset, uint8_t* out, uint32_t count) const;
    std::vector<uint8_t> copy(uint32_t offset, uint32_t count) const;
    // Moves the write end back (the bytes stay until overwritten) or forward over bytes that
    // are still in memory (redo).
    bool setWriteEnd(uint32_t end);
    // Frees the segments past the one holding the write end.
    void truncateSegments();
    // The bytes in memory beyond the write end that a redo may bring back.
    uint32_t retainedEnd() const { return retainedEnd_; }

private:
    bool ensureCapacity(uint32_t end);

    uint32_t segmentSize_;
    std::vector<std::unique_ptr<CMemSeg>> segments_;
    uint32_t writeEnd_ = 0;
    uint32_t retainedEnd_ = 0; // the furthest write end since the last clear or truncation
};

} // namespace qm
