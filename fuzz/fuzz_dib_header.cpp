// Feeds arbitrary bytes to the DIB header reader and the resolution reader.
#include "core/byte_io.h"
#include "core/dib_header.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::ByteReader in(data, size);
    qm::TDibHeader header;
    qm::readDibHeader(in, header);
    (void)qm::resolutionFromHeader({data, size});
    return 0;
}
