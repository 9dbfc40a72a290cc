// The parameter record a filter event carries: the layer, a 16-bit value, then the filter's
// parameters as 32-bit little-endian fields. Its length (4, 12, 20 or 28 bytes) and event
// category (32 … 35) follow from the filter number.
#pragma once

#include "filters/filter_params.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace qm {

struct TFilterRecord {
    int16_t layer = 0;
    uint16_t value = 0;
    TFilterParams params;
};

// The event category of a filter number, 0 for a number that is not a transforming filter.
uint8_t filterRecordCategory(uint8_t number);
// The record's length in bytes, 0 for a number that is not a transforming filter.
size_t filterRecordLength(uint8_t number);

std::vector<uint8_t> encodeFilterRecord(const TFilterRecord& record);
// False (out untouched) for an unknown number, a length other than the filter's, or a float
// field that is not a finite number.
bool decodeFilterRecord(uint8_t number, std::span<const uint8_t> bytes, TFilterRecord& out);

} // namespace qm
