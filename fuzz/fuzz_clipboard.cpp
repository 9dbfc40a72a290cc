// Feeds arbitrary bytes to the readers of what other programs put on the clipboard: a DIB, a
// BMP file, a layer's attributes and the copied rectangle. A picture that is read must have
// the size its bytes can hold.
#include "paperfile/clipboard_formats.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    qm::TMTC picture;
    if (qm::pictureFromDib(bytes, picture) &&
        uint64_t(picture.width()) * uint64_t(picture.height()) > uint64_t(size) * 8)
        std::abort();
    (void)qm::pictureFromBmpFile(bytes, picture);
    qm::TPlacedAttributes attributes;
    std::string name;
    if (qm::decodeLayerAttributes(bytes, attributes, name) &&
        (attributes.mode > qm::kLastPlacedMode || name.size() > size))
        std::abort();
    qm::TRect rect;
    (void)qm::decodeClipBox(bytes, rect);
    return 0;
}
