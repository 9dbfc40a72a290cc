// Reading an OpenRaster file into a TOraDocument: ours with every attribute, other programs'
// with the format's defaults. The input is treated as hostile: the archive must be consistent,
// every entry is read only up to what a picture of its kind can need, every PNG's size is
// checked against the limits (the merged picture's against the stack's) before its pixels are
// allocated, and any fault gives an OraError, never a crash. On failure `out` is untouched.
#pragma once

#include "files/ora_document.h"

#include <cstdint>
#include <span>
#include <string>

namespace qm {

// 0 on success, else an OraError value.
int readOra(std::span<const uint8_t> bytes, TOraDocument& out);
int readOraFile(const std::string& path, TOraDocument& out);

} // namespace qm
