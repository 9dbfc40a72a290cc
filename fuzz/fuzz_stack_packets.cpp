// Feeds arbitrary bytes to the readers of the stack's packets: new paper sizes, crops, the
// 12-byte layer operations, the layer from the dialog and the image block. A block that
// decodes must hold exactly the picture its head describes.
#include "events/stack_packets.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> payload(data, size);
    qm::TPaperResize resize;
    (void)qm::decodePaperResize(payload, resize);
    int32_t layer = 0;
    qm::TRect rect;
    (void)qm::decodeCrop(payload, layer, rect);
    qm::TLayerValues values;
    (void)qm::decodeLayerValues(payload, values);
    (void)qm::decodeLayerMoveWithMask(payload, values);
    qm::TNewLayerChoice choice;
    if (qm::decodeNamedLayer(payload, choice) && choice.name.size() + 42 > size + 1) std::abort();
    qm::TImagePlacement placement;
    if (qm::decodeImageBlock(payload, 4096, placement) &&
        size < qm::kImageBlockHead + size_t(placement.image.width()) * placement.image.height() * 4)
        std::abort();
    return 0;
}
