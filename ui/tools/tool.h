// A tool mode's handlers in a drawing window: one object per mode and window, called for the
// slots the router picks (press, move, release, hover, key, leave). The rules of which slot
// runs live in the engine's router; the tools turn the calls into work on the window.
#pragma once

#include "paint/mode_mngr.h"
#include "paint/stroke.h"
#include "select/mask_mngr.h"

#include <QPainter>
#include <QPointF>
#include <Qt>

#include <array>
#include <memory>

namespace qm::ui {

class TDrawWindowWidget;

// One input event as the tools see it: mouse or tablet alike.
struct TInput {
    QPointF pos;            // client coordinates, sub-pixel for a tablet
    float pressure = 1.0f;  // 1.0 for the mouse
    Qt::KeyboardModifiers modifiers;
    bool fromTablet = false;
    int key = 0;            // for a key press
};

class TTool {
public:
    explicit TTool(TDrawWindowWidget& window) : window_(window) {}
    virtual ~TTool() = default;
    TTool(const TTool&) = delete;
    TTool& operator=(const TTool&) = delete;

    virtual void press(const TInput&) {}        // left down (the middle button's drag too)
    virtual void move(const TInput&) {}         // moved with the left or middle button held
    virtual void release(const TInput&) {}      // left or middle up
    virtual void doubleClick(const TInput&) {}
    virtual void rightPress(const TInput&) {}
    virtual void rightMove(const TInput&) {}
    virtual void rightRelease(const TInput&) {}
    virtual void rightDoubleClick(const TInput&) {}
    virtual void hover(const TInput&);          // moved with no button: shows the position
    virtual void key(const TInput&) {}
    virtual void leave() {}
    // Draws the mode's overlay (a rubber band) over the view.
    virtual void paintOverlay(QPainter&) {}

    // Runs the handler of a slot.
    void handle(TModeSlot slot, const TInput& input);

protected:
    TDrawWindowWidget& window_;
};

// The live stroke at a tool's own opacity (the tools window's setting) for the length of one
// operation; the pen's opacity comes back afterwards whatever happens.
class TToolOpacity {
public:
    TToolOpacity(TStroke& stroke, float opacity) : stroke_(stroke), saved_(stroke.opacity)
    {
        stroke_.setOpacity(opacity);
    }
    ~TToolOpacity() { stroke_.opacity = saved_; }
    TToolOpacity(const TToolOpacity&) = delete;
    TToolOpacity& operator=(const TToolOpacity&) = delete;

private:
    TStroke& stroke_;
    float saved_;
};

// How a selection tool combines its area with the selection: Shift adds, Ctrl subtracts, both
// intersect; without either, the options window's choice.
MaskCombine combineOf(Qt::KeyboardModifiers modifiers, MaskCombine chosen);

using TToolTable = std::array<std::unique_ptr<TTool>, kModeCount>;

// The tools of one window, by mode number.
TToolTable makeTools(TDrawWindowWidget& window);

// One per mode, each in a file of its own.
std::unique_ptr<TTool> makePenTool(TDrawWindowWidget& window);
std::unique_ptr<TTool> makeZoomTool(TDrawWindowWidget& window);
std::unique_ptr<TTool> makePickerTool(TDrawWindowWidget& window);
std::unique_ptr<TTool> makeViewTool(TDrawWindowWidget& window);
std::unique_ptr<TTool> makeFillTool(TDrawWindowWidget& window);
// Mode 5: the drag tools (move layer or selection, gradation, crop).
std::unique_ptr<TTool> makeDragTool(TDrawWindowWidget& window);
// Modes 6 (outlines drawn with the pen), 7 (filled shapes) and 8 (selections).
enum class TShapeTarget { outline, filled, selection };
std::unique_ptr<TTool> makeShapeTool(TDrawWindowWidget& window, TShapeTarget target);
// Mode 9: text onto the layer (submode 0) or into the selection (1).
std::unique_ptr<TTool> makeTextTool(TDrawWindowWidget& window);

} // namespace qm::ui
