#include "ui/tools/tool.h"

#include "ui/draw_window.h"

namespace qm::ui {

void TTool::hover(const TInput& input) { window_.showPosition(input); }

void TTool::handle(TModeSlot slot, const TInput& input)
{
    switch (slot) {
    case TModeSlot::leftDown: press(input); break;
    case TModeSlot::leftMove: move(input); break;
    case TModeSlot::leftUp: release(input); break;
    case TModeSlot::leftDoubleClick: doubleClick(input); break;
    case TModeSlot::rightDown: rightPress(input); break;
    case TModeSlot::rightMove: rightMove(input); break;
    case TModeSlot::rightUp: rightRelease(input); break;
    case TModeSlot::rightDoubleClick: rightDoubleClick(input); break;
    case TModeSlot::hover: hover(input); break;
    case TModeSlot::keyDown: key(input); break;
    case TModeSlot::leave: leave(); break;
    case TModeSlot::paintOverlay:
    case TModeSlot::extraAction: break; // no mode built so far has them
    }
}

MaskCombine combineOf(Qt::KeyboardModifiers m, MaskCombine chosen)
{
    const bool shift = m.testFlag(Qt::ShiftModifier), ctrl = m.testFlag(Qt::ControlModifier);
    if (shift && ctrl)
        return MaskCombine::Intersect;
    if (shift)
        return MaskCombine::Add;
    if (ctrl)
        return MaskCombine::Subtract;
    return chosen;
}

TToolTable makeTools(TDrawWindowWidget& window)
{
    TToolTable tools;
    tools[0] = makePenTool(window);
    tools[1] = makeZoomTool(window);
    tools[2] = makePickerTool(window);
    tools[3] = makeViewTool(window);
    tools[4] = makeFillTool(window);
    tools[5] = makeDragTool(window);
    tools[6] = makeShapeTool(window, TShapeTarget::outline);
    tools[7] = makeShapeTool(window, TShapeTarget::filled);
    tools[8] = makeShapeTool(window, TShapeTarget::selection);
    tools[9] = makeTextTool(window);
    return tools;
}

} // namespace qm::ui
