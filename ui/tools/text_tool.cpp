// Mode 9: a click opens the text window with the text's origin at the clicked paper point;
// submode 1 makes the text a selection instead of painting it. While the window is open the
// preview is drawn over the view.
#include "ui/draw_window.h"
#include "ui/text_window.h"
#include "ui/tools/tool.h"

#include <QPointer>

#include <cmath>

namespace qm::ui {

namespace {

constexpr int32_t kSelectionSubmode = 1;

class TTextTool : public TTool {
  public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        if (open_) return;
        TPaper& paper = window_.paper();
        const TPointF p = paper.windowToPaper(window_.width(), window_.height(),
                                              float(input.pos.x()), float(input.pos.y()));
        const bool intoSelection = window_.app().modes.submode() == kSelectionSubmode;
        TTextWindow text(window_, {int32_t(std::floor(p.x)), int32_t(std::floor(p.y))},
                         intoSelection);
        open_ = &text;
        text.run();
        open_ = nullptr;
        window_.update();
    }

    void paintOverlay(QPainter& painter) override
    {
        if (open_) open_->paintOverlay(painter);
    }

  private:
    QPointer<TTextWindow> open_;
};

} // namespace

std::unique_ptr<TTool> makeTextTool(TDrawWindowWidget& window)
{
    return std::make_unique<TTextTool>(window);
}

} // namespace qm::ui
