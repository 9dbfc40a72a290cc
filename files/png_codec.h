// PNG pictures through libpng: 32-bit with straight alpha in, 32-bit with alpha out; the
// resolution travels in the pHYs chunk.
#pragma once

#include "files/picture.h"

namespace qm {

PictureError readPng(std::span<const uint8_t> bytes, TPicture& picture);
// The encoded file, or an empty vector when encoding failed.
std::vector<uint8_t> encodePng(const TMTC& image, int32_t dpi = 0);
bool savePng(const TMTC& image, const std::string& path, int32_t dpi = 0);

} // namespace qm
