// Feeds arbitrary bytes to the JPEG reader.
#include "files/jpeg_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TPicture picture;
    (void)qm::readJpeg({data, size}, picture);
    return 0;
}
