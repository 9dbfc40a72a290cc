// Mode 4: a click clears the layer (submode 1), pours the paint bucket (0, 2) or makes a
// selection with the magic wand (3). The wand combines with the selection there is as the
// selection tools do (combineOf).
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QApplication>

#include <cmath>

namespace qm::ui {

namespace {

constexpr int32_t kClearSubmode = 1;
constexpr int32_t kWandSubmode = 3;
constexpr int kBucketButton = 4;

class TFillTool : public TTool {
public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        TPaper& paper = window_.paper();
        TFlowImage& flow = window_.document().flow();
        const int32_t submode = window_.app().modes.submode();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        if (submode == kClearSubmode) {
            paper.clearLayer(flow, paper.currentLayerIndex(), true);
        } else {
            const TPointF p = paper.windowToPaper(window_.width(), window_.height(),
                                                  float(input.pos.x()), float(input.pos.y()));
            const TPoint at{int32_t(std::floor(p.x)), int32_t(std::floor(p.y))};
            const TConfigSettings& config = window_.app().profile.config;
            TStroke& stroke = window_.app().liveStroke;
            if (submode == kWandSubmode) {
                const TSeedFillOptions options{config.wandLimit, config.wandTarget != 0,
                                               config.wandAntiAlias};
                paper.magicWand(flow, stroke, at, options, combineOf(input.modifiers, window_.app().selectionCombine));
            } else {
                const TSeedFillOptions options{config.fillLimit, config.fillTarget != 0,
                                               config.fillAntiAlias};
                const TToolOpacity opacity(stroke, window_.app().profile.toolOpacity(kBucketButton));
                paper.paintBucket(flow, stroke, at, options);
            }
        }
        QApplication::restoreOverrideCursor();
        emit window_.stateChanged();
    }
};

} // namespace

std::unique_ptr<TTool> makeFillTool(TDrawWindowWidget& window)
{
    return std::make_unique<TFillTool>(window);
}

} // namespace qm::ui
