// Feeds arbitrary bytes to the BMP reader.
#include "files/bmp_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TPicture picture;
    (void)qm::readBmp({data, size}, picture);
    return 0;
}
