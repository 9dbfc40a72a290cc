// Pictures coming in and going out: a 32-bit image (0xAARRGGBB, straight alpha) and the
// resolution its file states, and the error codes of every picture reader.
#pragma once

#include "core/dib_core.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace qm {

struct TPicture {
    TMTC image;
    int32_t dpi = 0; // 0 when the file states none
};

enum class PictureError {
    None = 0,
    OpenFailed = 1,     // the file cannot be read
    Truncated = 2,      // the data ends early
    BadSignature = 3,   // not this format
    BadHeader = 4,      // a header field that makes no sense
    Unsupported = 5,    // a variant we do not read (depth, header size, colour model)
    Compressed = 6,     // a compressed BMP
    TooLarge = 7,       // beyond the largest picture we accept
    OutOfMemory = 8,
    DecodeFailed = 9,   // the codec library refused the data
    WriteFailed = 10,
};

// The largest side a picture reader accepts.
inline constexpr int32_t kMaxPictureSide = 30000;

// The whole file, or false.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Picks the reader by the file's extension (".bmp", ".png", ".jpg"/".jpeg").
PictureError readPicture(const std::string& path, TPicture& picture);

} // namespace qm
