// Which handler slot of the current tool mode takes a mouse or pen event: the drag a button
// starts and ends, the temporary modes of the modifier keys and the middle button, the input
// blocked after a colour pick until the buttons are up, and the modes refused while a recording
// plays. The window supplies the handlers; this file only decides which one runs.
#pragma once

#include "paint/mode_mngr.h"

#include <cstdint>

namespace qm {

enum class TMouseButton : int32_t { left, right, middle, other };

// Where the router sends its decisions: the window runs the mode's handler for the event it is
// routing, or picks the colour under the cursor (a Shift press).
class TToolTarget {
public:
    virtual ~TToolTarget() = default;
    virtual void callSlot(TModeSlot slot) = 0;
    virtual void pickColourNow(bool fromLayer) = 0;
};

// What a press needs to know besides the button.
struct TPressFacts {
    TModifierKeys keys;
    bool playing = false;            // the window plays back a recording
    int32_t middleButtonSetting = 0; // "mouseMBtnFunc"
    bool hasSelection = false;
    bool overSelection = false;
};

class CToolRouter {
public:
    enum : uint32_t {
        kLeftDrag = 1u << 0,
        kRightDrag = 1u << 1,
        kMiddleDrag = 1u << 2,
        kBlocked = 1u << 5,
        kTemporaryMode = 1u << 8,
    };

    explicit CToolRouter(CModeMngr& modes) : modes_(modes) {}

    // A button went down (a double-click when `doubleClick`).
    void buttonDown(TMouseButton button, const TPressFacts& facts, bool doubleClick,
                    TToolTarget& target);
    // The cursor moved, with or without a button held.
    void buttonMove(TToolTarget& target);
    // A button went up; `allButtonsUp`: no mouse button is held any more (a pen lift counts).
    void buttonUp(TMouseButton button, bool allButtonsUp, TToolTarget& target);
    // A key went down that the window's own shortcuts did not take.
    void keyDown(TToolTarget& target);
    // The window lost the input (focus went elsewhere): a drag in progress ends as a release
    // where the cursor last was would end it, and a temporary mode is left. Nothing stays
    // blocked, since the release that would unblock it goes to another window.
    void inputLost(TToolTarget& target);

    uint32_t flags() const { return flags_; }
    bool dragging() const { return (flags_ & (kLeftDrag | kRightDrag | kMiddleDrag)) != 0; }
    bool leftDragging() const { return (flags_ & kLeftDrag) != 0; }
    bool blocked() const { return (flags_ & kBlocked) != 0; }
    bool temporary() const { return (flags_ & kTemporaryMode) != 0; }

    // Switches to a mode until restoreMode; a second call before that changes nothing.
    void modeTemporarily(uint8_t mode, int32_t submode);
    void restoreMode();

private:
    // Runs the current mode's handler for the slot, when the mode has one.
    void call(TModeSlot slot, TToolTarget& target) const;
    // Ends the drag of whichever button holds one (a press of another button closes it first).
    void closeDrag(TToolTarget& target);

    CModeMngr& modes_;
    uint32_t flags_ = 0;
    uint8_t savedMode_ = 0;
    int32_t savedSubmode_ = 0;
};

} // namespace qm
