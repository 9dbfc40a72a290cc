// The legacy event stream; see event_packet.h.
#include "events/event_packet.h"

#include "core/byte_io.h"
#include "core/safe_file.h"
#include "files/picture.h"

#include <algorithm>
#include <limits>
#include <new>
#include <random>
#include <utility>

namespace qm {

namespace {

// The u16 at `offset`, or −1 when the bytes are not there.
int32_t u16At(std::span<const uint8_t> bytes, size_t offset)
{
    if (bytes.size() < offset + 2)
        return -1;
    ByteReader in(bytes.subspan(offset, 2));
    return in.u16();
}

bool isStroke(uint16_t code)
{
    return code <= legacyCode::lastStroke;
}

// Codes that change state without being a step of their own.
bool countsAsStep(uint16_t code)
{
    return !isStroke(code) && !(code >= 273 && code <= 277) && code != 518 && code != 519;
}

bool givesPaperSize(uint16_t code)
{
    return code == legacyCode::newPaper || code == legacyCode::newPaper2 ||
           code == legacyCode::resizePaper || code == legacyCode::resizePaper2;
}

TLegacyPoint decodePoint(ByteReader& in)
{
    TLegacyPoint point;
    point.x = int16_t(in.u16());
    point.y = int16_t(in.u16());
    point.rawPressure = int16_t(in.u16());
    return point;
}

// The sixteen mark codes in an order shuffled as the format asks: 65,536 swaps of two entries
// chosen among all sixteen. (16 divides 2^32, so the low bits of the generator are uniform.)
std::array<uint16_t, kLegacyMarkCount> shuffledMarks(uint32_t seed)
{
    std::array<uint16_t, kLegacyMarkCount> marks{};
    for (int i = 0; i < kLegacyMarkCount; ++i)
        marks[size_t(i)] = uint16_t(legacyCode::firstMark + i);
    std::mt19937 random(seed);
    for (int i = 0; i < 65536; ++i) {
        const size_t a = random() % kLegacyMarkCount;
        const size_t b = random() % kLegacyMarkCount;
        std::swap(marks[a], marks[b]);
    }
    return marks;
}

} // namespace

int32_t legacyPayloadLength(uint16_t code, std::span<const uint8_t> payload)
{
    if (isStroke(code)) {
        const int32_t n = u16At(payload, kLegacyStrokeHeadSize);
        return n < 0 ? -1 : int32_t(kLegacyStrokeHeadSize) + 2 + 6 * n;
    }
    if (isLegacyMark(code))
        return 0;
    switch (code) {
    case 258: case 516: case 517: case 518:
    case 528: case 529: case 530: case 531:
    case legacyCode::end:
        return 0;
    case 256: case 257: case 259: case 261: case 272: case 273: case 277:
    case 288: case 289: case 290: case 291: case 292: case 519:
        return 1;
    case 260: case 274: case 275: case 276:
        return 2;
    case 513:
        return 3;
    case 293: case 512: case 515: case 520:
        return 4;
    case 294: case 514:
        return 5;
    case 295:
        return 9;
    case 296:
        return 12;
    case legacyCode::polygonFill: { // u8 layer, u16 n, n points
        const int32_t n = u16At(payload, 1);
        return n < 0 ? -1 : 3 + 4 * n;
    }
    case legacyCode::polygonFillColour: { // u8 layer, three colour bytes, u16 n, n points
        const int32_t n = u16At(payload, 4);
        return n < 0 ? -1 : 6 + 4 * n;
    }
    case legacyCode::straightStroke:
        return 27;
    default:
        return -1;
    }
}

TLegacyScan scanLegacyStream(std::span<const uint8_t> bytes)
{
    TLegacyScan scan;
    // Counts are 32-bit; no real recording comes near this.
    if (bytes.size() > size_t(std::numeric_limits<int32_t>::max()))
        return {};
    uint32_t marksSeen = 0;
    size_t offset = 0;
    for (bool first = true;; first = false) {
        const int32_t code = u16At(bytes, offset);
        if (code < 0)
            return {}; // cut short before a code
        offset += 2;
        if (first && code != legacyCode::newPaper && code != legacyCode::newPaper2)
            return {};
        if (code == legacyCode::end)
            break;
        const std::span<const uint8_t> rest = bytes.subspan(offset);
        const int32_t length = legacyPayloadLength(uint16_t(code), rest);
        if (length < 0 || size_t(length) > rest.size())
            return {};
        offset += size_t(length);
        if (isLegacyMark(uint16_t(code))) {
            marksSeen |= 1u << (code - legacyCode::firstMark);
            continue;
        }
        ++scan.packetCount;
        if (countsAsStep(uint16_t(code)))
            ++scan.stepCount;
        if (givesPaperSize(uint16_t(code))) {
            scan.width = std::max(scan.width, u16At(rest, 0));
            scan.height = std::max(scan.height, u16At(rest, 2));
        }
    }
    scan.valid = true;
    scan.length = offset;
    scan.protectedStream = marksSeen == 0xFFFFu;
    return scan;
}

bool decodeLegacyStrokeHead(std::span<const uint8_t> bytes, TLegacyStrokeHead& head)
{
    if (bytes.size() < kLegacyStrokeHeadSize + 2)
        return false;
    ByteReader in(bytes);
    head.layer = in.u8();
    const uint32_t red = in.u8();
    const uint32_t green = in.u8();
    const uint32_t blue = in.u8();
    head.colour = red << 16 | green << 8 | blue;
    head.flags = in.u8();
    for (auto& param : head.rawParams)
        param = in.u16();
    head.first = decodePoint(in);
    head.pointCount = in.u16();
    return true;
}

TEventPacket::TEventPacket()
{
    stream_.reserve(kInitialCapacity);
}

TLegacyScan TEventPacket::scan(std::span<const uint8_t> bytes)
{
    const TLegacyScan result = scanLegacyStream(bytes);
    if (!result.valid)
        return result;
    try {
        stream_.assign(bytes.begin(), bytes.begin() + std::ptrdiff_t(result.length));
    } catch (const std::bad_alloc&) {
        return {};
    }
    position_ = 0;
    pointsLeft_ = 0;
    packetCount_ = result.packetCount;
    protected_ = result.protectedStream;
    hasEnd_ = true;
    return result;
}

TLegacyScan TEventPacket::load(const std::string& path)
{
    std::vector<uint8_t> bytes;
    try {
        if (!readWholeFile(path, bytes))
            return {};
    } catch (const std::bad_alloc&) {
        return {};
    }
    return scan(bytes);
}

void TEventPacket::clear()
{
    stream_.clear();
    position_ = 0;
    pointsLeft_ = 0;
    packetCount_ = 0;
    protected_ = false;
    hasEnd_ = false;
}

bool TEventPacket::appendPacket(uint16_t code, std::span<const uint8_t> payload)
{
    if (hasEnd_ || code == legacyCode::end || isLegacyMark(code) ||
        legacyPayloadLength(code, payload) != int64_t(payload.size()))
        return false;
    ByteWriter packet;
    packet.u16(code);
    packet.bytes(payload.data(), payload.size());
    try {
        stream_.insert(stream_.end(), packet.data().begin(), packet.data().end());
    } catch (const std::bad_alloc&) {
        return false;
    }
    ++packetCount_;
    return true;
}

bool TEventPacket::appendEndCode()
{
    if (hasEnd_)
        return false;
    ByteWriter code;
    code.u16(legacyCode::end);
    stream_.insert(stream_.end(), code.data().begin(), code.data().end());
    hasEnd_ = true;
    return true;
}

bool TEventPacket::dropEndCode()
{
    if (!hasEnd_)
        return false;
    stream_.resize(stream_.size() - 2);
    position_ = std::min(position_, stream_.size());
    hasEnd_ = false;
    return true;
}

bool TEventPacket::walk(std::vector<TLegacyPacket>& packets) const
{
    const std::span<const uint8_t> bytes(stream_);
    size_t offset = 0;
    while (offset < bytes.size()) {
        const int32_t code = u16At(bytes, offset);
        if (code < 0)
            return false;
        if (code == legacyCode::end)
            return true;
        const std::span<const uint8_t> rest = bytes.subspan(offset + 2);
        const int32_t length = legacyPayloadLength(uint16_t(code), rest);
        if (length < 0 || size_t(length) > rest.size())
            return false;
        packets.push_back({uint16_t(code), rest.first(size_t(length)), offset});
        offset += 2 + size_t(length);
    }
    return true;
}

bool TEventPacket::encodeForSave(bool protect, uint32_t seed, std::vector<uint8_t>& out) const
{
    try {
        std::vector<TLegacyPacket> packets;
        if (!walk(packets))
            return false;
        const auto count = int32_t(std::count_if(packets.begin(), packets.end(),
                                                 [](const auto& p) { return !isLegacyMark(p.code); }));
        if (protect && count < kLegacyMinProtectedPackets)
            return false;
        const auto marks = shuffledMarks(seed);
        const int32_t interval = count / 18;
        int32_t countdown = interval;
        int32_t marksWritten = 0;
        ByteWriter writer;
        writer.data().reserve(stream_.size() + 2 * kLegacyMarkCount + 2);
        for (const TLegacyPacket& packet : packets) {
            if (protect) {
                // A protected save spreads fresh marks; any old ones would only add to them.
                if (isLegacyMark(packet.code))
                    continue;
                if (--countdown == 0 && marksWritten < kLegacyMarkCount) {
                    writer.u16(marks[size_t(marksWritten++)]);
                    countdown = interval;
                }
            }
            writer.u16(packet.code);
            writer.bytes(packet.payload.data(), packet.payload.size());
        }
        writer.u16(legacyCode::end);
        out = std::move(writer.data());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool TEventPacket::save(const std::string& path, bool protect, uint32_t seed)
{
    std::vector<uint8_t> bytes;
    return encodeForSave(protect, seed, bytes) && saveFileReplacing(path, bytes);
}

bool TEventPacket::save(const std::string& path, bool protect)
{
    return save(path, protect, std::random_device{}());
}

void TEventPacket::rewind()
{
    position_ = 0;
    pointsLeft_ = 0;
}

std::span<const uint8_t> TEventPacket::take(size_t count)
{
    if (stream_.size() - position_ < count)
        return {};
    const std::span<const uint8_t> bytes(stream_.data() + position_, count);
    position_ += count;
    return bytes;
}

bool TEventPacket::nextPacket(TLegacyPacket& packet)
{
    const std::span<const uint8_t> rest = std::span<const uint8_t>(stream_).subspan(position_);
    const int32_t code = u16At(rest, 0);
    if (code < 0 || code == legacyCode::end)
        return false;
    const int32_t length = legacyPayloadLength(uint16_t(code), rest.subspan(2));
    if (length < 0 || size_t(length) > rest.size() - 2)
        return false;
    packet = {uint16_t(code), rest.subspan(2, size_t(length)), position_};
    position_ += 2 + size_t(length);
    pointsLeft_ = 0;
    return true;
}

bool TEventPacket::readCode(uint16_t& code)
{
    const auto bytes = take(2);
    if (bytes.empty())
        return false;
    code = ByteReader(bytes).u16();
    return true;
}

bool TEventPacket::readU8(uint8_t& value)
{
    const auto bytes = take(1);
    if (bytes.empty())
        return false;
    value = bytes[0];
    return true;
}

bool TEventPacket::readU8Pair(uint8_t& first, uint8_t& second)
{
    const auto bytes = take(2);
    if (bytes.empty())
        return false;
    first = bytes[0];
    second = bytes[1];
    return true;
}

bool TEventPacket::readU16Pair(uint16_t& first, uint16_t& second)
{
    const auto bytes = take(4);
    if (bytes.empty())
        return false;
    ByteReader in(bytes);
    first = in.u16();
    second = in.u16();
    return true;
}

bool TEventPacket::readStrokeHead(TLegacyStrokeHead& head)
{
    const auto bytes = take(kLegacyStrokeHeadSize + 2);
    if (bytes.empty() || !decodeLegacyStrokeHead(bytes, head))
        return false;
    pointsLeft_ = head.pointCount;
    return true;
}

bool TEventPacket::readPoint(TLegacyPoint& point)
{
    if (pointsLeft_ <= 0)
        return false;
    const auto bytes = take(6);
    if (bytes.empty())
        return false;
    ByteReader in(bytes);
    point = decodePoint(in);
    --pointsLeft_;
    return true;
}

int32_t TEventPacket::readProgress() const
{
    if (stream_.empty())
        return 100;
    return int32_t(uint64_t(position_) * 100 / stream_.size());
}

} // namespace qm
