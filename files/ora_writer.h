// Writing a TOraDocument as an OpenRaster file: "mimetype" first and stored (so its text sits
// at byte 38 where readers look for it), stack.xml, one PNG per layer under data/, the merged
// picture and a thumbnail of at most 256 × 256.
#pragma once

#include "files/ora_document.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qm {

// The file's bytes; empty when the document cannot be written (a picture side outside
// 1 … 30000, more than 10000 layers, a layer larger than 30000 a side, a merged picture of the
// wrong size). An empty merged picture is written fully transparent.
std::vector<uint8_t> writeOraBytes(const TOraDocument& doc);
// Writes through a temporary file renamed over the target, so a failure leaves any old file.
bool writeOra(const TOraDocument& doc, const std::string& path);

// The merged picture reduced to fit kOraThumbnailSide, keeping its aspect ratio (never
// enlarged): each pixel the alpha-weighted average of the source pixels it covers.
TMTC oraThumbnail(const TMTC& merged);

} // namespace qm
