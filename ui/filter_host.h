// The drawing window's side of an open filter dialog: the filter session on the current
// layer, the canvas previews over the part of the layer the window shows, the view-box
// previews, the thumbnail and the histogram.
#pragma once

#include "paper/filter_session.h"
#include "ui/filter_preview.h"

namespace qm::ui {

class TDrawWindowWidget;

class TDrawWindowFilterHost final : public TFilterPreviewHost {
  public:
    explicit TDrawWindowFilterHost(TDrawWindowWidget& window);
    ~TDrawWindowFilterHost() override;

    bool valid() const { return session_.valid(); }

    void previewOnCanvas(const TFilterParams& params) override;
    void restoreCanvas() override;
    QImage previewArea(const TFilterParams& params, const QRect& area,
                       const TFilterPictures* pictures) override;
    QImage previewReduced(const TFilterParams& params, QSize box) override;
    QSize layerSize() const override;
    QImage sourceThumbnail(QSize box, double& scale) const override;
    std::array<uint32_t, 256> histogram() const override;
    uint32_t penColour() const override;
    uint32_t secondColour() const override;

  private:
    // Shows what changed on the paper.
    void redraw(const TRect& onPaper);

    TDrawWindowWidget& window_;
    TFilterSession session_;
};

} // namespace qm::ui
