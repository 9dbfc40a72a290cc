// Opens arbitrary bytes as a recording and replays whatever it holds onto a small paper.
#include "events/event_file.h"
#include "replay_paper.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TEventFileData file;
    if (qm::readEventFileBytes({data, size}, file) != qm::EventFileError::None) return 0;
    qm::fuzz::replayFile(std::move(file));
    return 0;
}
