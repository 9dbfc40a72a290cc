// Big-endian reading and writing on top of the little-endian ByteReader/ByteWriter pair, for
// the one outside format that stores its numbers most significant byte first (PSD). The
// reader inherits the ByteReader's safety: a short read fails and yields zeros.
#pragma once

#include "core/byte_io.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace qm {

class BigEndianWriter {
public:
    void u8(uint8_t v) { out_.u8(v); }
    void u16(uint16_t v)
    {
        out_.u8(uint8_t(v >> 8));
        out_.u8(uint8_t(v));
    }
    void i16(int16_t v) { u16(uint16_t(v)); }
    void u32(uint32_t v)
    {
        u16(uint16_t(v >> 16));
        u16(uint16_t(v));
    }
    void i32(int32_t v) { u32(uint32_t(v)); }
    void bytes(const void* data, size_t count) { out_.bytes(data, count); }
    void text(std::string_view s) { out_.text(s); }
    void zeros(size_t count) { out_.zeros(count); }

    size_t size() const { return out_.size(); }
    std::vector<uint8_t>& data() { return out_.data(); }
    const std::vector<uint8_t>& data() const { return out_.data(); }

    // Overwrites an already written u32 (lengths known only afterwards).
    void patchU32(size_t offset, uint32_t v)
    {
        auto& d = out_.data();
        for (int i = 0; i < 4; ++i)
            d[offset + size_t(i)] = uint8_t(v >> (24 - 8 * i));
    }

private:
    ByteWriter out_;
};

class BigEndianReader {
public:
    explicit BigEndianReader(std::span<const uint8_t> data) : in_(data) {}

    uint8_t u8() { return in_.u8(); }
    uint16_t u16()
    {
        uint8_t b[2] = {};
        in_.read(b, 2);
        return uint16_t(b[0] << 8 | b[1]);
    }
    int16_t i16() { return int16_t(u16()); }
    uint32_t u32()
    {
        uint8_t b[4] = {};
        in_.read(b, 4);
        return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | uint32_t(b[3]);
    }
    int32_t i32() { return int32_t(u32()); }
    std::span<const uint8_t> take(size_t count) { return in_.take(count); }
    bool skip(size_t count) { return in_.skip(count); }

    size_t remaining() const { return in_.remaining(); }
    size_t position() const { return in_.position(); }
    bool failed() const { return in_.failed(); }

private:
    ByteReader in_;
};

} // namespace qm
