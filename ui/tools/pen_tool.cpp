// Mode 0: strokes with the pen, from the mouse or the tablet; the right button may pick colours.
#include "ui/draw_window.h"
#include "ui/tools/tool.h"

#include <QApplication>

namespace qm::ui {

namespace {

class TPenTool : public TTool {
public:
    using TTool::TTool;

    void press(const TInput& input) override
    {
        // A key held now counts too: the press may have come before its modifiers did.
        const bool modifier = modifiersRefuseStroke(
            window_.keysOf(input.modifiers | QApplication::keyboardModifiers()));
        TPaper& paper = window_.paper();
        if (window_.penInput().penMove(paper, window_.document().flow(), paper.currentStroke(),
                                       window_.penView(), modifier, float(input.pos.x()),
                                       float(input.pos.y()), input.pressure) == TPenMove::started)
            window_.strokeStarted();
        emit window_.stateChanged();
    }

    void move(const TInput& input) override
    {
        window_.showPosition(input);
        if (!window_.strokeInProgress)
            return;
        TPaper& paper = window_.paper();
        window_.penInput().penMove(paper, window_.document().flow(), paper.currentStroke(),
                                   window_.penView(), false, float(input.pos.x()),
                                   float(input.pos.y()), input.pressure);
        window_.autoScroll(input);
    }

    void release(const TInput& input) override
    {
        window_.endStroke(input.pos);
        window_.showPosition(input);
    }

    void rightPress(const TInput& input) override
    {
        if (window_.app().profile.config.useRBtnColPicker)
            window_.pickColour(input, input.modifiers.testFlag(Qt::ShiftModifier), false);
    }
};

} // namespace

std::unique_ptr<TTool> makePenTool(TDrawWindowWidget& window)
{
    return std::make_unique<TPenTool>(window);
}

} // namespace qm::ui
