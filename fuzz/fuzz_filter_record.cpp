// Feeds arbitrary bytes to the filter parameter records: the first byte picks the filter
// number, the rest is the record. A record that decodes is applied to a small layer, which
// must keep its size.
#include "filters/filter_dispatch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t number = data[0];
    const std::span<const uint8_t> record(data + 1, size - 1);
    qm::TFilterRecord decoded;
    if (!qm::decodeFilterRecord(number, record, decoded))
        return 0;
    auto layer = qm::CLayerData::make(0, 0);
    if (!layer->CreateImage(37, 29, 3))
        return 0;
    for (int32_t y = 0; y < 29; ++y)
        for (int32_t x = 0; x < 37; ++x)
            layer->image()->SetPixel(x, y, 0x80000000u | uint32_t(x * 7) << 16 | uint32_t(y * 9));
    const qm::CBlockVMTC source(*layer->image());
    (void)qm::applyRecordedFilter(number, record, source, *layer, nullptr);
    if (layer->imageWidth() != 37 || layer->imageHeight() != 29)
        std::abort();
    return 0;
}
