// Feeds arbitrary bytes to the decompressor, as a frame of the size it states (capped).
#include "files/compressor.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint64_t stated = 0;
    const std::span<const uint8_t> frame(data, size);
    const size_t length = qm::frameContentSize(frame, stated) && stated < (1u << 20) ? stated : 64;
    std::vector<uint8_t> dest(length);
    (void)qm::decompressInto(frame, dest);
    return 0;
}
