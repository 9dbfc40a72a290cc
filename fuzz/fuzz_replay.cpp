// Opens arbitrary bytes as a recording and replays whatever it holds onto a small paper.
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <cstddef>
#include <cstdint>

namespace {

class QuietWindow : public qm::TDrawWindow {
public:
    qm::MessageSink& messages() override { return sink; }
    qm::CollectingMessageSink sink;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    qm::TEventFileData file;
    if (qm::readEventFileBytes({data, size}, file) != qm::EventFileError::None)
        return 0;
    QuietWindow window;
    qm::TStroke stroke;
    qm::TPaperServices services;
    services.liveStroke = &stroke;
    services.makeEvents = qm::eventRecorder(&stroke, nullptr, 8);
    qm::TPaper paper(window, services);
    qm::TFlowImage flow(&paper);
    auto& events = static_cast<qm::CEventMngr&>(*paper.eventMngr);
    events.maxSide = 256; // keeps each run small; the reader's own limits are tested
    if (events.openForReplay(std::move(file), flow) == qm::TReplayOpen::success)
        events.replayAll(flow);
    return 0;
}
