// Mode 2: either button picks the colour under the cursor (the right one into the second
// colour); hovering shows that colour's values.
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QColor>

#include <algorithm>

namespace qm::ui {

namespace {

class TPickerTool : public TTool {
public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        window_.pickColour(input, false, input.modifiers.testFlag(Qt::ControlModifier));
    }

    void rightPress(const TInput& input) override
    {
        window_.pickColour(input, true, input.modifiers.testFlag(Qt::ControlModifier));
    }

    void hover(const TInput& input) override
    {
        uint32_t c = 0;
        TAppContext& app = window_.app();
        if (!window_.colourAt(input.pos, false, c) || !app.showStatus)
            return;
        const int r = int(c >> 16 & 0xFF), g = int(c >> 8 & 0xFF), b = int(c & 0xFF);
        const QColor hsv = QColor(r, g, b).toHsv();
        app.showStatus(uiText("r : %d,  g : %d,  b : %d",
                              {QString::number(r), QString::number(g), QString::number(b)}) +
                       QStringLiteral("    ") +
                       uiText("h : %d,  s : %d,  v : %d",
                              {QString::number(std::max(0, hsv.hue())),
                               QString::number(hsv.saturation()), QString::number(hsv.value())}));
    }
};

} // namespace

std::unique_ptr<TTool> makePickerTool(TDrawWindowWidget& window)
{
    return std::make_unique<TPickerTool>(window);
}

} // namespace qm::ui
