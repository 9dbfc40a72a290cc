// Feeds arbitrary bytes to the OpenRaster reader (the archive is opened from memory), and the
// same bytes to the stack reader directly: inside an archive, mutated text rarely gets past
// the entry checksums.
#include "files/ora_reader.h"
#include "files/ora_stack.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TOraDocument doc;
    (void)qm::readOra({data, size}, doc);
    qm::TOraStack stack;
    (void)qm::parseStack({reinterpret_cast<const char*>(data), size}, stack);
    return 0;
}
