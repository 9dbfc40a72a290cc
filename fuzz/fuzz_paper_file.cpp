// Loads arbitrary bytes as a paper file (and as an old one) into a paper.
#include "events/event_mngr.h"
#include "paperfile/paper_file.h"
#include "paper/paper.h"

#include <cstddef>
#include <cstdint>

namespace {

class QuietWindow : public qm::TDrawWindow {
public:
    qm::MessageSink& messages() override { return sink; }
    qm::CollectingMessageSink sink;
};

void load(const uint8_t* data, size_t size, bool old)
{
    QuietWindow window;
    qm::TStroke stroke;
    qm::TPaperServices services;
    services.liveStroke = &stroke;
    services.makeEvents = qm::eventRecorder(&stroke, nullptr, 8);
    qm::TPaper paper(window, services);
    qm::TFlowImage flow(&paper);
    if (old)
        qm::loadVkbPaper({data, size}, paper, flow);
    else
        qm::loadPaperBytes({data, size}, paper, flow);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Keep each run small: only papers up to 512 on a side are tried.
    if (size >= 16 && data[0] == 'Q') {
        const uint32_t w = uint32_t(data[8]) | uint32_t(data[9]) << 8;
        const uint32_t h = uint32_t(data[12]) | uint32_t(data[13]) << 8;
        if (w > 512 || h > 512 || data[10] || data[11] || data[14] || data[15])
            return 0;
        load(data, size, false);
    } else if (size >= 16 && data[0] == 'V') {
        const uint32_t w = uint32_t(data[8]) | uint32_t(data[9]) << 8;
        const uint32_t h = uint32_t(data[12]) | uint32_t(data[13]) << 8;
        if (w > 512 || h > 512 || data[10] || data[11] || data[14] || data[15])
            return 0;
        load(data, size, true);
    }
    return 0;
}
