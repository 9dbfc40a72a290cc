// Reading a layered PSD file (version 1; RGB or greyscale at 8 bits per channel, or 1-bit
// bitmap) into a TPsdDocument. The input is treated as hostile: every length and count is
// checked against what remains before anything is allocated from it, and any fault gives an
// error code, never a crash. On failure the output document is left untouched.
#pragma once

#include "files/psd_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace qm {

enum class PsdError : int {
    None = 0,
    Truncated = 1,          // a length or count reaches past the end of its section
    BadSignature = 2,       // not "8BPS", or a record without its "8BIM"
    BadVersion = 3,         // not version 1 (the large-document variant is not read)
    BadChannelCount = 4,    // header channels outside 1 … 56, or too few for the colour mode
    BadSize = 5,            // picture or layer side of 0 or above 30000, or a reversed layer box
    BadResources = 6,       // an image resource that does not fit its section
    BadLayerInfo = 7,       // layer section lengths that contradict each other
    TooManyLayers = 8,      // more than 10000 layers
    BadLayerRecord = 9,     // a layer record that does not fit, or too many layer channels
    BadCompression = 10,    // a compression other than raw (0) or PackBits (1)
    BadChannelData = 11,    // channel data too short or long for its rows, or bad PackBits
    MissingChannels = 12,   // a layer with pixels but no colour or alpha channel to fill them
    BadMergedImage = 13,    // the merged picture's data does not match its size
    OutOfMemory = 14,
    UnsupportedFormat = 15, // a colour mode or depth other than RGB/grey 8-bit or 1-bit bitmap
    CannotOpen = 16,        // the file could not be read
};

// 0 on success, else a PsdError value.
int readPsd(std::span<const uint8_t> bytes, TPsdDocument& out);
int readPsdFile(const std::string& path, TPsdDocument& out);

} // namespace qm
