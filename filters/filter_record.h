// The parameter record a filter event carries: the layer, a 16-bit value, then the filter's
// parameters as 32-bit little-endian fields. Its length (4, 12, 20 or 28 bytes) and event
// category (32 … 35) follow from the filter number.
//
// Lighting (39) and floor (40) use the variable form of category 38: a 50-byte head
//   +0 i16 layer, +2 u16 value, +4 u16 length n of the part after the head, +6 u16 0,
//   lighting only: +8 i32 light count, +12 i32 ambient brightness, +16 u32 ambient colour;
//   the rest of the head 0,
// then n bytes: the light records (56 bytes each, at most 16) or the floor's 63-byte record.
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
// The record's length in bytes when it is fixed (the floor's is head + 63 = 113); 0 for the
// lighting, whose length follows from its head, and for a number that is not a filter.
size_t filterRecordLength(uint8_t number);
// 50 for the filters of the variable form (lighting and floor), 0 for the others.
size_t filterRecordHeadLength(uint8_t number);
// The length check a recorder or reader applies before decoding: the fixed length, or for
// the variable form a whole head whose length field matches the bytes after it.
bool filterRecordLengthMatches(uint8_t number, std::span<const uint8_t> bytes);

std::vector<uint8_t> encodeFilterRecord(const TFilterRecord& record);
// False (out untouched) for an unknown number, a length other than the filter's, or a float
// field that is not a finite number; for the generators also an unknown tile shape, colour
// count or light kind, and a light count that does not fit the bytes or exceeds 16.
bool decodeFilterRecord(uint8_t number, std::span<const uint8_t> bytes, TFilterRecord& out);

} // namespace qm
