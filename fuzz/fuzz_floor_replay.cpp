// Replays a recording that ends in the floor filter with its two pictures, built from
// arbitrary bytes: two 16-bit lengths at the start split the rest into the ceiling's image block,
// the floor's image block and the floor's packet, each after its own category and sub-code. A
// damaged or missing picture must stop the replay with a message, never crash it.
#include "core/byte_io.h"
#include "replay_paper.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    const size_t rest = size - 4;
    const size_t first = std::min<size_t>(data[0] | data[1] << 8, rest);
    const size_t second = std::min<size_t>(data[2] | data[3] << 8, rest - first);
    const uint8_t* bytes = data + 4;

    qm::ByteWriter stream;
    stream.u8(0), stream.u8(128);
    stream.bytes(bytes, first);
    stream.u8(0), stream.u8(129);
    stream.bytes(bytes + first, second);
    stream.u8(38), stream.u8(40);
    stream.bytes(bytes + first + second, rest - first - second);

    qm::fuzz::replayAfterNewPaper(stream.data(), 2);
    return 0;
}
