// Feeds arbitrary bytes to the tone set reader, and what it reads to a tone list.
#include "tone/tone_set_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TToneSetData set;
    if (qm::readToneSetBytes({data, size}, set) == qm::ToneSetError::None) {
        // The list takes the patterns as read; it must cope with any stored attributes.
        qm::CToneMngr tones(false);
        qm::applyToneSet(std::move(set), tones, qm::SetLoadMode::Replace);
    }
    return 0;
}
