// Little-endian byte writer and reader: the one way every file, packet and clipboard layout is
// written and read. The reader never reads past its end: a short read sets the failure flag,
// returns zeros and leaves the position at the end.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace qm {

class ByteWriter {
public:
    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v)
    {
        u8(uint8_t(v));
        u8(uint8_t(v >> 8));
    }
    void u32(uint32_t v)
    {
        u16(uint16_t(v));
        u16(uint16_t(v >> 16));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void f32(float v) { u32(std::bit_cast<uint32_t>(v)); }
    void bytes(const void* data, size_t count)
    {
        const auto* p = static_cast<const uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + count);
    }
    void text(std::string_view s) { bytes(s.data(), s.size()); }
    void zeros(size_t count) { bytes_.insert(bytes_.end(), count, 0); }

    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& data() const { return bytes_; }
    std::vector<uint8_t>& data() { return bytes_; }

    // Overwrite already written values (sizes and counts known only afterwards).
    void patchU32(size_t offset, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            bytes_[offset + size_t(i)] = uint8_t(v >> (8 * i));
    }
    void patchU16(size_t offset, uint16_t v)
    {
        bytes_[offset] = uint8_t(v);
        bytes_[offset + 1] = uint8_t(v >> 8);
    }

private:
    std::vector<uint8_t> bytes_;
};

class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> data) : data_(data) {}
    ByteReader(const void* data, size_t size)
        : data_(static_cast<const uint8_t*>(data), size)
    {
    }

    uint8_t u8()
    {
        uint8_t v = 0;
        read(&v, 1);
        return v;
    }
    uint16_t u16()
    {
        uint8_t b[2] = {};
        read(b, 2);
        return uint16_t(b[0] | b[1] << 8);
    }
    uint32_t u32()
    {
        uint8_t b[4] = {};
        read(b, 4);
        return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    int32_t i32() { return int32_t(u32()); }
    int16_t i16() { return int16_t(u16()); }
    float f32() { return std::bit_cast<float>(u32()); }

    // Copies count bytes, or fails (zero-filling out) when fewer remain.
    bool read(void* out, size_t count)
    {
        auto* o = static_cast<uint8_t*>(out);
        if (count > remaining()) {
            for (size_t i = 0; i < count; ++i)
                o[i] = 0;
            position_ = data_.size();
            failed_ = true;
            return false;
        }
        for (size_t i = 0; i < count; ++i)
            o[i] = data_[position_ + i];
        position_ += count;
        return true;
    }
    // A view of the next count bytes, or an empty span (and failure) when fewer remain.
    std::span<const uint8_t> take(size_t count)
    {
        if (count > remaining()) {
            position_ = data_.size();
            failed_ = true;
            return {};
        }
        auto s = data_.subspan(position_, count);
        position_ += count;
        return s;
    }
    bool skip(size_t count) { return take(count).size() == count; }

    size_t remaining() const { return data_.size() - position_; }
    size_t position() const { return position_; }
    bool failed() const { return failed_; }

private:
    std::span<const uint8_t> data_;
    size_t position_ = 0;
    bool failed_ = false;
};

// The files' blocks keep 4-byte alignment: the zero bytes that follow `size` bytes, and the
// size with them.
constexpr size_t paddingTo4(size_t size) { return (4 - size % 4) % 4; }
constexpr size_t alignTo4(size_t size) { return size + paddingTo4(size); }

} // namespace qm
