// Feeds arbitrary bytes to the layered PSD reader.
#include "files/psd_reader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TPsdDocument doc;
    (void)qm::readPsd({data, size}, doc);
    return 0;
}
