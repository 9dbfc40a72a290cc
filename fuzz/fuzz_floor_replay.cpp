// Replays a recording that ends in the floor filter with its two pictures, built from
// arbitrary bytes: two 16-bit lengths at the start split the rest into the ceiling's image block,
// the floor's image block and the floor's packet, each after its own category and sub-code. A
// damaged or missing picture must stop the replay with a message, never crash it.
#include "core/byte_io.h"
#include "events/event_file.h"
#include "events/event_mngr.h"
#include "paper/paper.h"

#include <algorithm>
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
    if (size < 4) return 0;
    const size_t rest = size - 4;
    const size_t first = std::min<size_t>(data[0] | data[1] << 8, rest);
    const size_t second = std::min<size_t>(data[2] | data[3] << 8, rest - first);
    const uint8_t* bytes = data + 4;

    qm::ByteWriter stream;
    // A 40 × 30 paper to paint on.
    stream.u8(2), stream.u8(8), stream.i32(40), stream.i32(30), stream.zeros(20);
    stream.u8(0), stream.u8(128);
    stream.bytes(bytes, first);
    stream.u8(0), stream.u8(129);
    stream.bytes(bytes + first, second);
    stream.u8(38), stream.u8(40);
    stream.bytes(bytes + first + second, rest - first - second);

    qm::TEventFileData file;
    file.stream = stream.data();
    file.eventCount = 2;
    file.formatCode = 17;
    QuietWindow window;
    qm::TStroke stroke;
    qm::TPaperServices services;
    services.liveStroke = &stroke;
    services.makeEvents = qm::eventRecorder(&stroke, nullptr, 8);
    qm::TPaper paper(window, services);
    qm::TFlowImage flow(&paper);
    auto& events = static_cast<qm::CEventMngr&>(*paper.eventMngr);
    events.maxSide = 256;
    if (events.openForReplay(std::move(file), flow) == qm::TReplayOpen::success)
        events.replayAll(flow);
    return 0;
}
