// Writing a TPsdDocument as a layered PSD file (version 1, RGB, 8 bits per channel).
//
// What is written: the header; no colour mode data; the resolution resource (and the names of
// the extra channels when there are any); every layer with its name, blend mode, opacity,
// visibility and channels −1 (alpha), 0, 1, 2; then the merged picture (red, green, blue, its
// alpha when there are layers, then the extra channels).
//
// The two settings:
//  version (psdSaveVer, 3 … 7, clamped, default 6) — 6 and above also write each layer's
//      name as a Unicode name block ('luni') and the extra channels' names as Unicode names,
//      which other programs need to show non-ASCII names. Below 6 only the Pascal name is
//      written (its UTF-8 bytes, cut to 255 bytes at a character boundary). Nothing else
//      differs; every version gives a version-1 file.
//  flags (psdSaveFlags, default 0) — bit 0 set writes channel data uncompressed instead of
//      PackBits (larger files, for readers without PackBits). Other bits are ignored.
#pragma once

#include "files/psd_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

inline constexpr int kPsdSaveVersionMin = 3;
inline constexpr int kPsdSaveVersionMax = 7;
inline constexpr int kPsdSaveVersionDefault = 6;
inline constexpr int kPsdUnicodeNamesVersion = 6;
inline constexpr int kPsdFlagRaw = 0x01;

// The file's bytes; empty when the document cannot be written (a picture side outside
// 1 … 30000, more than 10000 layers, a layer larger than 30000 a side, a merged picture or an
// extra channel of the wrong size). An empty merged picture is written fully transparent.
std::vector<uint8_t> writePsdBytes(const TPsdDocument& doc, int version, int flags);
// Writes through a temporary file renamed over the target, so a failure leaves any old file.
bool writePsd(const TPsdDocument& doc, const std::string& path, int version, int flags);

} // namespace qm
