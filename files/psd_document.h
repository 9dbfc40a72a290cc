// A layered picture as a PSD file holds it, independent of any paper: the layers (bottom
// first) with their pixels, the extra channels (the file's alpha channels, which become
// masks) and the merged picture. Pixels are TMTC: 0xAARRGGBB, straight (not premultiplied)
// alpha, the same as the file's own channels.
#pragma once

#include "core/dib_core.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct TPsdLayer {
    std::string name; // UTF-8
    int32_t left = 0; // position of the pixels' top-left corner in the picture
    int32_t top = 0;
    TMTC pixels; // may be 0 × 0 for a layer without content
    uint8_t opacity = 255;
    bool visible = true;
    uint8_t mode = 3; // our blend mode number 0 … 21 (3 = normal)
};

struct TPsdChannel {
    std::string name; // UTF-8
    int32_t left = 0;
    int32_t top = 0;
    TChannel pixels;
};

struct TPsdDocument {
    int32_t width = 0;
    int32_t height = 0;
    int32_t resolution = 72; // dots per inch
    std::vector<TPsdLayer> layers;
    std::vector<TPsdChannel> extraChannels;
    TMTC merged; // width × height, or empty when the writer is to leave it transparent
};

// The largest picture side a PSD (version 1) can hold, and the most layers we accept.
inline constexpr int32_t kPsdMaxSide = 30000;
inline constexpr int32_t kPsdMaxLayers = 10000;

// Blend keys ('norm', 'mul ', …) to our mode numbers and back. Keys we have no mode for
// (dissolve, hard mix, darker colour, divide, pass-through, …) become normal.
uint8_t modeFromBlendKey(uint32_t key);
uint32_t blendKeyFromMode(uint8_t mode);
inline constexpr uint32_t psdKey(const char (&k)[5])
{
    return uint32_t(uint8_t(k[0])) << 24 | uint32_t(uint8_t(k[1])) << 16 |
           uint32_t(uint8_t(k[2])) << 8 | uint32_t(uint8_t(k[3]));
}

// Text conversions for layer and channel names. Invalid UTF-8 becomes U+FFFD; unpaired
// surrogates likewise. utf8FromLegacy keeps valid UTF-8 as it is and reads anything else as
// Latin-1 (the Pascal names of files without Unicode names).
std::u16string utf16FromUtf8(std::string_view text);
std::string utf8FromUtf16(std::u16string_view text);
std::string utf8FromLegacy(std::string_view bytes);
// The longest prefix of at most maxBytes bytes that does not cut a character in two.
std::string_view utf8Prefix(std::string_view text, size_t maxBytes);

} // namespace qm
