// Feeds arbitrary bytes to the old paper-file reader.
#include "paperfile/vkb_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TVkbFile file;
    (void)qm::readVkb({data, size}, file);
    return 0;
}
