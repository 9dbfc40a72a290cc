// JPEG pictures through libjpeg-turbo. Colour and greyscale files are read (alpha 255); the
// resolution travels in the JFIF density. Writing takes its quality, progressive and
// smoothing choices from the JPEG options of the settings.
#pragma once

#include "files/picture.h"

namespace qm {

struct TJpegOptions {
    int quality = 90;        // 0..100
    bool progressive = false;
    bool smooth = false;
    int smoothing = 0;       // 0..100, used when smooth is set
};

PictureError readJpeg(std::span<const uint8_t> bytes, TPicture& picture);
std::vector<uint8_t> encodeJpeg(const TMTC& image, const TJpegOptions& options, int32_t dpi = 0);
bool saveJpeg(const TMTC& image, const std::string& path, const TJpegOptions& options,
              int32_t dpi = 0);

} // namespace qm
