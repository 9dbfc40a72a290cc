// Feeds arbitrary bytes to the PNG reader.
#include "files/png_codec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TPicture picture;
    (void)qm::readPng({data, size}, picture);
    return 0;
}
