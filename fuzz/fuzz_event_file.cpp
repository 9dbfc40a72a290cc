// Feeds arbitrary bytes to the event section reader, the whole-file reader (thumbnail skip
// included) and the thumbnail reader.
#include "events/event_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    qm::TEventFileData events;
    qm::ByteReader in(bytes);
    (void)qm::readEventSection(in, events);
    (void)qm::readEventFileBytes(bytes, events);
    qm::TMTC thumbnail;
    int32_t paperWidth = 0, paperHeight = 0;
    (void)qm::readThumbnailBytes(bytes, thumbnail, paperWidth, paperHeight);
    return 0;
}
