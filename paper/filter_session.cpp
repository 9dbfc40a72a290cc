#include "paper/filter_session.h"

#include "filters/filter_dispatch.h"
#include "paper/paper.h"

#include <algorithm>
#include <new>

namespace qm {

TFilterSession::TFilterSession(TPaper& paper, int32_t layer) : paper_(paper), layer_(layer)
{
    const CLayerData* l = paper.layer(layer);
    if (!l || !l->image())
        return;
    try {
        source_ = std::make_unique<CBlockVMTC>(*l->image());
    } catch (const std::bad_alloc&) {
        source_.reset();
    }
}

TFilterSession::~TFilterSession()
{
    restore();
}

CLayerData* TFilterSession::layer() const
{
    return paper_.layer(layer_);
}

const CMaskData* TFilterSession::mask() const
{
    return paper_.selectionActive && paper_.hasSelection() ? paper_.masks->CurrentMask() : nullptr;
}

TRect TFilterSession::restore()
{
    CLayerData* l = layer();
    if (!source_ || !l || !l->image() || previewed_.isEmpty())
        return {};
    const TRect changed = previewed_;
    previewed_ = {};
    l->image()->CopyFrom(*source_, {changed.left, changed.top}, toBox(changed));
    return {changed.left - l->offsetX, changed.top - l->offsetY, changed.right - l->offsetX,
            changed.bottom - l->offsetY};
}

TRect TFilterSession::previewOnLayer(const TFilterParams& params, const TRect& area)
{
    CLayerData* l = layer();
    TRect onPaper = restore();
    if (!source_ || !l)
        return onPaper;
    TRect clip;
    if (!intersectRect(area, {0, 0, l->imageWidth(), l->imageHeight()}, clip))
        return onPaper;
    if (applyFilter(*source_, *l, mask(), &clip, params))
        previewed_ = clip;
    const TRect shown{clip.left - l->offsetX, clip.top - l->offsetY, clip.right - l->offsetX,
                      clip.bottom - l->offsetY};
    return onPaper.isEmpty() ? shown : unionRect(onPaper, shown);
}

bool TFilterSession::previewArea(const TFilterParams& params, const TRect& area, TMTC& out,
                                 const TMTC* first, const TMTC* second)
{
    const CLayerData* l = layer();
    if (!source_ || !l)
        return false;
    TRect clip;
    if (!intersectRect(area, {0, 0, l->imageWidth(), l->imageHeight()}, clip))
        return false;
    try {
        // One copy for the whole session: each preview writes the area and puts it back.
        if (!scratch_) {
            scratch_ = CLayerData::make(l->index, 0);
            if (!scratch_->CloneFrom(*l))
                return scratch_.reset(), false;
            scratch_->image()->CopyFrom(*source_, {0, 0}, source_->bounds());
        }
        const bool done =
            applyFilter(*source_, *scratch_, mask(), &clip, params,
                        first && first->IsValid() ? first : nullptr,
                        second && second->IsValid() ? second : nullptr);
        out.Resize(clip.width(), clip.height());
        scratch_->image()->ExportTo(out, {0, 0}, false, 255, toBox(clip));
        scratch_->image()->CopyFrom(*source_, {clip.left, clip.top}, toBox(clip));
        return done;
    } catch (const std::bad_alloc&) {
        scratch_.reset();
        return false;
    }
}

bool TFilterSession::previewReduced(const TFilterParams& params, int32_t maxWidth,
                                    int32_t maxHeight, TMTC& out)
{
    const CLayerData* l = layer();
    if (!source_ || !l || maxWidth <= 0 || maxHeight <= 0)
        return false;
    const double scale = std::max({1.0, double(source_->width()) / maxWidth,
                                   double(source_->height()) / maxHeight});
    const int32_t w = std::max(1, int32_t(source_->width() / scale));
    const int32_t h = std::max(1, int32_t(source_->height() / scale));
    try {
        TMTC small(w, h);
        if (!source_->DownscaleTo(small))
            return false;
        // A layer of the miniature's size, with the real layer's protect-alpha flag.
        std::unique_ptr<CLayerData> miniature = CLayerData::make(l->index, 0);
        if (!miniature->CreateImage(w, h, 0) ||
            !miniature->image()->ImportFrom(small, {0, 0}, 255, {0, 0, w, h}))
            return false;
        miniature->protectAlpha = l->protectAlpha;
        const CBlockVMTC reducedSource(*miniature->image());
        if (!applyFilter(reducedSource, *miniature, nullptr, nullptr, params))
            return false;
        out.Resize(w, h);
        miniature->image()->ExportTo(out, {0, 0}, false, 255, {0, 0, w, h});
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

std::array<uint32_t, 256> TFilterSession::histogram() const
{
    std::array<uint32_t, 256> counts{};
    const CLayerData* l = layer();
    if (!source_ || !l)
        return counts;
    const CMaskData* m = mask();
    for (int32_t y = 0; y < source_->height(); ++y)
        for (int32_t x = 0; x < source_->width(); ++x) {
            if (m && m->ValueAt(x - l->offsetX, y - l->offsetY) <= 0)
                continue;
            const uint32_t p = source_->GetPixel(x, y);
            ++counts[(p >> 16) & 0xFF];
            ++counts[(p >> 8) & 0xFF];
            ++counts[p & 0xFF];
        }
    return counts;
}

} // namespace qm
