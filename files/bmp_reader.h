// Reading Windows BMP files: info headers of 12 (core), 40, 108 and 124 bytes; 1, 4, 8, 24 and
// 32 bits per pixel; bottom-up and top-down rows; uncompressed or with bit-field masks.
// Compressed files are refused.
#pragma once

#include "files/picture.h"

namespace qm {

PictureError readBmp(std::span<const uint8_t> bytes, TPicture& picture);

} // namespace qm
