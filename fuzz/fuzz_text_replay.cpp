// Replays a recording that ends in committed text, built from arbitrary bytes: two 16-bit
// lengths at the start split the rest into the font record, the text record and the text's
// channel packet (its sub-code from the first byte of that part: text onto the layer or into
// the selection). A damaged record or channel must stop the replay, never crash it.
#include "core/byte_io.h"
#include "replay_paper.h"
#include "text/font_record.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5) return 0;
    const size_t rest = size - 5;
    const size_t font = std::min<size_t>(data[0] | data[1] << 8, rest);
    const size_t text = std::min<size_t>(data[2] | data[3] << 8, rest - font);
    const uint8_t channelSub = (data[4] & 1) ? 17 : 16;
    const uint8_t* bytes = data + 5;

    // The readers alone first: whatever they accept, they accept whole.
    qm::TTextFontPacket packet;
    (void)qm::decodeTextFont({bytes, font}, packet);
    std::string typed;
    if (qm::decodeText({bytes + font, text}, typed) && typed.size() + 3 > text + 1)
        __builtin_trap();

    qm::ByteWriter stream;
    stream.u8(0), stream.u8(32);
    stream.bytes(bytes, font);
    stream.u8(0), stream.u8(33);
    stream.bytes(bytes + font, text);
    stream.u8(13), stream.u8(channelSub);
    stream.bytes(bytes + font + text, rest - font - text);

    qm::fuzz::replayAfterNewPaper(stream.data(), 2);
    return 0;
}
