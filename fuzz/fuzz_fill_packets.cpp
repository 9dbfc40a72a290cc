// Feeds arbitrary bytes to the fill payload readers: the first byte picks the sub-code, the
// rest is the payload. A channel block that decodes must hold exactly its rectangle.
#include "events/fill_packets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t sub = data[0];
    const std::span<const uint8_t> payload(data + 1, size - 1);
    qm::TChannelPacket channel;
    if (qm::decodeChannel(sub & 3, payload, channel) == qm::ChannelPacketError::None &&
        (channel.channel.width() != channel.head.rect.width() ||
         channel.channel.height() != channel.head.rect.height()))
        std::abort();
    qm::TAreaFillPacket area;
    (void)qm::decodeAreaFill(payload, area);
    qm::TPolygonFillPacket polygon;
    if (qm::decodePolygonFill(payload, polygon) && polygon.points.size() * 8 + 4 > payload.size())
        std::abort();
    return 0;
}
