// A memory stream over a caller-owned buffer of fixed size. It never grows and never frees the
// buffer: reads work, writes past the end come back short.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qm {

class CFixedMemStream {
public:
    enum class Origin { Begin, Current, End };

    CFixedMemStream(void* buffer, size_t size) : buffer_(static_cast<uint8_t*>(buffer)), size_(size)
    {
    }

    // Returns the bytes actually read or written.
    size_t read(void* out, size_t count);
    size_t write(const void* data, size_t count);
    // Returns the new position, or -1 (position unchanged) when it would leave 0..size.
    int64_t seek(int64_t offset, Origin origin);

    // Setting the size does nothing; growing hands back the existing buffer and capacity.
    void setSize(size_t) {}
    uint8_t* grow(size_t /*wanted*/, size_t& capacity)
    {
        capacity = size_;
        return buffer_;
    }

    size_t position() const { return position_; }
    size_t size() const { return size_; }
    uint8_t* data() const { return buffer_; }

private:
    uint8_t* buffer_;
    size_t size_;
    size_t position_ = 0;
};

} // namespace qm
