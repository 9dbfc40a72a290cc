// stack.xml: the layer list of an OpenRaster file, written from a document and read into the
// layers' attributes and the names of their PNG entries.
#pragma once

#include "files/ora_document.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm {

struct TOraStackLayer {
    TOraLayer layer; // every attribute; no pixels yet
    std::string src; // the entry holding its pixels
};

struct TOraStack {
    int32_t width = 0;
    int32_t height = 0;
    int32_t dpi = 72;
    std::vector<TOraStackLayer> layers; // bottom first
};

// The PNG entry of layer n (bottom first).
std::string oraLayerEntryName(size_t n);

// The stack of a document: one <layer> per layer, top first, each naming oraLayerEntryName.
std::string stackXml(const TOraDocument& doc);

// Reads a stack. Nested stacks are flattened in order: their offset is added to what they
// hold, a hidden stack hides it and a stack's opacity multiplies it. Missing attributes take
// the format's defaults (x, y 0, opacity 1, visible, source over). Elements it does not know
// are passed over. On failure `out` is left untouched.
OraError parseStack(std::string_view xml, TOraStack& out);

} // namespace qm
