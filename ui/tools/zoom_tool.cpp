// Mode 1: a click zooms in (submode 0) or out (submode 1) around the clicked point.
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

namespace qm::ui {

namespace {

class TZoomTool : public TTool {
public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        window_.zoomBy(window_.app().modes.submode() == 0 ? 1 : -1, input.pos);
    }
};

} // namespace

std::unique_ptr<TTool> makeZoomTool(TDrawWindowWidget& window)
{
    return std::make_unique<TZoomTool>(window);
}

} // namespace qm::ui
