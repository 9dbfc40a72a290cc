// The legacy event stream: what the first versions of the program recorded (".vke" files and the
// tail of ".vkb" paper files). We still read and replay it, and write it back unchanged.
//
// The stream is a run of u16 codes (little-endian), each followed by its payload, ended by the
// code 0xFFFF. The payload length follows from the code alone, except for the strokes (codes
// 0–4) and the two polygon fills (297, 304), which carry a u16 count. Codes 768–783 are the
// sixteen protection marks: a stream that carries all sixteen is protected and may not be
// continued or rendered.
//
// Every reader here treats the bytes as hostile: a stream that is cut short, holds an unknown
// code or lacks the end code is invalid, never read past its end.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

namespace legacyCode {
inline constexpr uint16_t lastStroke = 4;      // 0–4: a stroke with brush kind = code
inline constexpr uint16_t polygonFill = 297;
inline constexpr uint16_t polygonFillColour = 304;
inline constexpr uint16_t straightStroke = 305;
inline constexpr uint16_t newPaper = 512;
inline constexpr uint16_t resizePaper = 514;
inline constexpr uint16_t resizePaper2 = 515;
inline constexpr uint16_t newPaper2 = 520;
inline constexpr uint16_t firstMark = 768;     // 768–783: protection marks
inline constexpr uint16_t lastMark = 783;
inline constexpr uint16_t end = 0xFFFF;
} // namespace legacyCode

inline constexpr size_t kLegacyStrokeHeadSize = 23;
inline constexpr int32_t kLegacyMarkCount = 16;
// A protected save needs at least this many packets, so the marks can be spread out.
inline constexpr int32_t kLegacyMinProtectedPackets = 48;

// The payload length of a code, read from the payload's first bytes where the code needs a
// count; −1 for an unknown code or when those bytes are missing. The payload itself may still
// be cut short: the caller checks the length against what remains.
int32_t legacyPayloadLength(uint16_t code, std::span<const uint8_t> payload);

inline bool isLegacyMark(uint16_t code)
{
    return code >= legacyCode::firstMark && code <= legacyCode::lastMark;
}

// What a scan learns about a stream. Packet and step counts leave out the protection marks and
// the end code.
struct TLegacyScan {
    bool valid = false;
    int32_t packetCount = 0;
    int32_t width = 0;       // largest of all new-paper and resize packets
    int32_t height = 0;
    int32_t stepCount = 0;   // packets other than strokes and codes 273–277, 518, 519
    bool protectedStream = false;
    size_t length = 0;       // bytes from the first code to the end code inclusive
};

// Walks a stream without copying it. Valid only when the first packet is a new paper (512 or
// 520), every packet is known and complete, and the end code is reached; bytes after the end
// code are not looked at.
TLegacyScan scanLegacyStream(std::span<const uint8_t> bytes);

// One stroke point: paper pixels and pressure 0…1 (stored as pressure × 1024).
struct TLegacyPoint {
    int16_t x = 0;
    int16_t y = 0;
    int16_t rawPressure = 0;
    float pressure() const { return float(rawPressure) / 1024.0f; }
};

// The 23-byte head of a stroke packet and the point count that follows it.
struct TLegacyStrokeHead {
    uint8_t layer = 0;
    uint32_t colour = 0;      // 0x00RRGGBB (stored as the bytes R, G, B)
    uint8_t flags = 0;        // bits 0, 1, 2: three stroke options
    std::array<uint16_t, 6> rawParams{}; // 8.8 fixed point
    TLegacyPoint first;
    uint16_t pointCount = 0;  // points after the first

    float param(size_t i) const { return float(rawParams[i]) / 256.0f; }
};

// A packet found in the stream: its code, its payload and where the code stands.
struct TLegacyPacket {
    uint16_t code = 0;
    std::span<const uint8_t> payload;
    size_t offset = 0;
};

class TEventPacket {
public:
    static constexpr size_t kInitialCapacity = 256000;

    TEventPacket();

    // Scans the bytes; when they are valid, takes a copy of the stream (up to and including the
    // end code) with the read position at its start. An invalid stream leaves this one as it was.
    TLegacyScan scan(std::span<const uint8_t> bytes);
    // Reads the whole file and scans it; a file that cannot be read scans as invalid.
    TLegacyScan load(const std::string& path);
    void clear();

    // Appends one packet before the end code is appended, refusing a payload of the wrong
    // length, the end code and a mark.
    bool appendPacket(uint16_t code, std::span<const uint8_t> payload);
    // Closes the stream (false when it is closed already) or opens it again for appending; a
    // scanned stream is closed.
    bool appendEndCode();
    bool dropEndCode();
    bool hasEndCode() const { return hasEnd_; }

    // Writes the stream, packet by packet, always closed by the end code. With `protect` the
    // stream must hold at least 48 packets: the marks already in it are left out and the sixteen
    // marks are spread over it in an order shuffled from `seed`. A stream that cannot be walked,
    // or a protected save of too few packets, writes nothing and leaves the old file intact.
    bool save(const std::string& path, bool protect, uint32_t seed);
    bool save(const std::string& path, bool protect);
    // The bytes save would write.
    bool encodeForSave(bool protect, uint32_t seed, std::vector<uint8_t>& out) const;

    // ---- reading, for replay, from the read position ----
    void rewind();
    size_t readPosition() const { return position_; }
    // The next packet (code and payload), moving past it. False, with the position unchanged, at
    // the end code or on a packet that is unknown or cut short. The payload views the stream:
    // it is valid until the stream next changes.
    bool nextPacket(TLegacyPacket& packet);
    bool readCode(uint16_t& code);
    bool readU8(uint8_t& value);
    bool readU8Pair(uint8_t& first, uint8_t& second);
    bool readU16Pair(uint16_t& first, uint16_t& second);
    // The stroke head and its point count; the count becomes the points left.
    bool readStrokeHead(TLegacyStrokeHead& head);
    // One point of the current stroke; false when none is left.
    bool readPoint(TLegacyPoint& point);
    int32_t pointsLeft() const { return pointsLeft_; }
    // Read position ÷ stream length × 100 (truncated); 100 for an empty stream.
    int32_t readProgress() const;

    std::span<const uint8_t> bytes() const { return stream_; }
    int32_t packetCount() const { return packetCount_; }
    bool isProtected() const { return protected_; }

private:
    // Fills `packets` with every packet before the end code (or the end of the buffer).
    bool walk(std::vector<TLegacyPacket>& packets) const;
    std::span<const uint8_t> take(size_t count);

    std::vector<uint8_t> stream_;
    size_t position_ = 0;
    int32_t packetCount_ = 0;
    int32_t pointsLeft_ = 0;
    bool protected_ = false;
    bool hasEnd_ = false;
};

// Decodes a stroke head from its 23 + 2 bytes; false when fewer are given.
bool decodeLegacyStrokeHead(std::span<const uint8_t> bytes, TLegacyStrokeHead& head);

} // namespace qm
