#include "paint/tool_routing.h"

namespace qm {

void CToolRouter::call(TModeSlot slot, TToolTarget& target) const
{
    if (CModeMngr::slotFilled(modes_.mode, slot))
        target.callSlot(slot);
}

void CToolRouter::closeDrag(TToolTarget& target)
{
    if (flags_ & kLeftDrag)
        buttonUp(TMouseButton::left, false, target);
    else if (flags_ & kRightDrag)
        buttonUp(TMouseButton::right, false, target);
    else if (flags_ & kMiddleDrag)
        buttonUp(TMouseButton::middle, false, target);
}

void CToolRouter::buttonDown(TMouseButton button, const TPressFacts& facts, bool doubleClick,
                             TToolTarget& target)
{
    if (flags_ & kBlocked)
        return;
    if (!doubleClick)
        closeDrag(target);
    switch (button) {
    case TMouseButton::left: {
        if (doubleClick) {
            call(TModeSlot::leftDoubleClick, target);
            return;
        }
        const TTemporaryMode temporary = temporaryModeFor(
            facts.keys, modes_.mode, modes_.submode(), facts.hasSelection, facts.overSelection);
        if (temporary.kind == TTemporaryKind::pickColour) {
            // The pick happens at once; nothing else until the buttons are up.
            target.pickColourNow(facts.keys.ctrl);
            flags_ |= kBlocked;
            return;
        }
        if (temporary.kind == TTemporaryKind::switchMode)
            modeTemporarily(temporary.mode, temporary.submode);
        if (facts.playing && CModeMngr::isEditing(modes_.mode)) {
            restoreMode();
            return;
        }
        flags_ |= kLeftDrag;
        call(TModeSlot::leftDown, target);
        return;
    }
    case TMouseButton::right:
        if (flags_ & kLeftDrag)
            return;
        // The pen's right button only picks colours, which a replay allows.
        if (facts.playing && CModeMngr::isEditing(modes_.mode) && modes_.mode != 0)
            return;
        flags_ |= kRightDrag;
        call(doubleClick ? TModeSlot::rightDoubleClick : TModeSlot::rightDown, target);
        return;
    case TMouseButton::middle: {
        if (doubleClick)
            return;
        const TModeChoice choice = CModeMngr::middleButtonMode(facts.middleButtonSetting);
        modeTemporarily(choice.mode, choice.submode);
        if (facts.playing && CModeMngr::isEditing(modes_.mode)) {
            restoreMode();
            return;
        }
        flags_ |= kMiddleDrag;
        call(TModeSlot::leftDown, target);
        return;
    }
    case TMouseButton::other: return;
    }
}

void CToolRouter::buttonMove(TToolTarget& target)
{
    if (flags_ & kBlocked)
        return;
    if (flags_ & (kLeftDrag | kMiddleDrag))
        call(TModeSlot::leftMove, target);
    else if (flags_ & kRightDrag)
        call(TModeSlot::rightMove, target);
    else
        call(TModeSlot::hover, target);
}

void CToolRouter::buttonUp(TMouseButton button, bool allButtonsUp, TToolTarget& target)
{
    if (flags_ & kBlocked) {
        if (allButtonsUp)
            flags_ &= ~kBlocked;
        return;
    }
    // The drag bit goes before the handler runs, so the handler sees the drag as over (the
    // hand's cursor opens again).
    if (button == TMouseButton::left && (flags_ & kLeftDrag)) {
        flags_ &= ~kLeftDrag;
        call(TModeSlot::leftUp, target);
    } else if (button == TMouseButton::middle && (flags_ & kMiddleDrag)) {
        flags_ &= ~kMiddleDrag;
        call(TModeSlot::leftUp, target);
    } else if (button == TMouseButton::right && (flags_ & kRightDrag)) {
        flags_ &= ~kRightDrag;
        call(TModeSlot::rightUp, target);
    }
    restoreMode();
}

void CToolRouter::keyDown(TToolTarget& target) { call(TModeSlot::keyDown, target); }

void CToolRouter::inputLost(TToolTarget& target)
{
    flags_ &= ~kBlocked;
    closeDrag(target);
    restoreMode();
}

void CToolRouter::modeTemporarily(uint8_t mode, int32_t submode)
{
    if (flags_ & kTemporaryMode)
        return;
    savedMode_ = modes_.mode;
    savedSubmode_ = modes_.submode();
    flags_ |= kTemporaryMode;
    modes_.switchMode(mode, submode);
}

void CToolRouter::restoreMode()
{
    if ((flags_ & kTemporaryMode) == 0)
        return;
    flags_ &= ~kTemporaryMode;
    modes_.switchMode(savedMode_, savedSubmode_);
}

} // namespace qm
