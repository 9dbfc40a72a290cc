// Feeds arbitrary bytes to the legacy stream scan and, when it passes, walks the stream the way
// replay does: packet by packet, and through the payload readers.
#include "events/event_packet.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TEventPacket packet;
    if (!packet.scan({data, size}).valid)
        return 0;
    qm::TLegacyPacket next;
    while (packet.nextPacket(next)) {
    }
    packet.rewind();
    uint16_t code = 0;
    while (packet.readCode(code) && code != qm::legacyCode::end) {
        if (code <= qm::legacyCode::lastStroke) {
            qm::TLegacyStrokeHead head;
            qm::TLegacyPoint point;
            if (!packet.readStrokeHead(head))
                break;
            while (packet.readPoint(point)) {
            }
            continue;
        }
        // Everything else is skipped by its payload length.
        const auto rest = packet.bytes().subspan(packet.readPosition());
        const int32_t length = qm::legacyPayloadLength(code, rest);
        uint8_t byte = 0;
        for (int32_t i = 0; i < length; ++i)
            if (!packet.readU8(byte))
                return 0;
    }
    std::vector<uint8_t> saved;
    (void)packet.encodeForSave(true, 1, saved);
    return 0;
}
