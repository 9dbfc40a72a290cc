// Feeds arbitrary bytes to the gradation set reader, and what it reads to a gradation list.
#include "tone/grad_set_file.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TGradSetData set;
    if (qm::readGradSetBytes({data, size}, set) == qm::GradSetError::None) {
        qm::CGradMngr gradations{qm::TConfigSettings{}};
        qm::applyGradSet(std::move(set), gradations, qm::SetLoadMode::Replace);
        // The working copy of the entry selected is what painting evaluates.
        (void)gradations.working().ColorAt(0x8000);
    }
    return 0;
}
