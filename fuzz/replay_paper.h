// A small recording paper for the fuzz targets that replay: the stream given is opened as a
// recording (event file format 17) and replayed to its end or its first error.
#pragma once

#include "events/event_file.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace qm::fuzz {

class QuietWindow : public TDrawWindow {
  public:
    MessageSink& messages() override { return sink; }
    CollectingMessageSink sink;
};

inline void replayFile(TEventFileData file)
{
    QuietWindow window;
    TStroke stroke;
    TPaperServices services;
    services.liveStroke = &stroke;
    services.makeEvents = eventRecorder(&stroke, nullptr, 8);
    TPaper paper(window, services);
    TFlowImage flow(&paper);
    auto& events = static_cast<CEventMngr&>(*paper.eventMngr);
    events.maxSide = 256; // keeps each run small; the reader's own limits are tested
    if (events.openForReplay(std::move(file), flow) == TReplayOpen::success) events.replayAll(flow);
}

// The packets after a 40 × 30 paper's size packet.
inline void replayAfterNewPaper(const std::vector<uint8_t>& packets, uint32_t eventCount)
{
    TEventFileData file;
    file.stream = {2, 8, 40, 0, 0, 0, 30, 0, 0, 0};
    file.stream.resize(2 + 28, 0);
    file.stream.insert(file.stream.end(), packets.begin(), packets.end());
    file.eventCount = eventCount;
    file.formatCode = 17;
    replayFile(std::move(file));
}

} // namespace qm::fuzz
