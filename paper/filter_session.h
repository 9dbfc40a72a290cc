// A filter command while its dialog is open: the source copy of the layer taken when the
// command starts, the previews computed from it, and what a canvas preview changed so that it
// can be put back. Closing the dialog restores the layer; the paper's applyFilter then does
// the real work from a fresh copy.
#pragma once

#include "core/block_vmtc.h"
#include "core/dib_core.h"
#include "core/rect.h"
#include "filters/filter_params.h"

#include <array>
#include <cstdint>
#include <memory>

namespace qm {

class CLayerData;
class CMaskData;
class TPaper;

class TFilterSession {
public:
    // False from valid() when the layer has no image or memory runs out.
    TFilterSession(TPaper& paper, int32_t layer);
    ~TFilterSession();
    TFilterSession(const TFilterSession&) = delete;
    TFilterSession& operator=(const TFilterSession&) = delete;

    bool valid() const { return source_ != nullptr; }
    int32_t layerIndex() const { return layer_; }
    const CBlockVMTC& source() const { return *source_; }

    // The canvas preview of `area` (layer coordinates): what the last one changed is put back
    // from the source first. The rectangle that changed on the paper, for the redraw.
    TRect previewOnLayer(const TFilterParams& params, const TRect& area);
    // Every pixel a canvas preview changed back from the source; the paper rectangle redrawn.
    TRect restore();
    // `area` (layer coordinates) filtered from the source into a flat picture, the layer
    // itself untouched; first and second are the pictures the floor paints with.
    bool previewArea(const TFilterParams& params, const TRect& area, TMTC& out,
                     const TMTC* first = nullptr, const TMTC* second = nullptr);
    // The whole source reduced to fit maxWidth × maxHeight (never enlarged) and filtered
    // there, without the selection: a miniature of the result for filters whose parameters
    // scale with the layer.
    bool previewReduced(const TFilterParams& params, int32_t maxWidth, int32_t maxHeight,
                        TMTC& out);
    // The red, green and blue values of the source's pixels that the selection covers (every
    // pixel without a selection in effect), counted together.
    std::array<uint32_t, 256> histogram() const;

private:
    const CMaskData* mask() const;
    CLayerData* layer() const;

    TPaper& paper_;
    int32_t layer_;
    std::unique_ptr<CBlockVMTC> source_;
    std::unique_ptr<CLayerData> scratch_; // the view-box previews are filtered here
    TRect previewed_;                     // layer coordinates
};

} // namespace qm
