#include "paint/mode_mngr.h"

#include <initializer_list>

namespace qm {

namespace {

constexpr std::array<int32_t, kModeCount> kSubmodeCounts{1, 2, 1, 3, 4, 6, 5, 4, 4, 2};
constexpr std::array<bool, kModeCount> kEditing{true,  false, false, false, true,
                                                true,  true,  true,  true,  true};

// The tools window's buttons; −1: the button's option decides.
constexpr std::array<uint8_t, kToolButtonCount> kButtonModes{
    0, 3, 3, 4, 4, 1, 1, 5, 5, 2, 6, 7, 6, 7, 9, 9, 8, 8, 4, 5, 5};
constexpr std::array<int32_t, kToolButtonCount> kButtonSubmodes{
    0, 1, 0, 1, 2, 0, 1, 5, -1, 0, -1, -1, -1, 3, 0, 1, -1, -1, 3, 3, 4};

// The two submodes a button with a choice offers, the first being its fallback. Buttons 10 and
// 11 offer every submode of their mode instead (kAnySubmode).
struct TButtonChoice {
    int32_t button;
    int32_t first;
    int32_t second;
};
constexpr int32_t kAnySubmode = -1;
// The zoom button lists submode 0 in the table but still lets its option pick in or out.
constexpr TButtonChoice kButtonChoices[] = {
    {5, 0, 1},  {8, 0, 2},  {10, kAnySubmode, 0}, {11, kAnySubmode, 0},
    {12, 3, 4}, {16, 2, 0}, {17, 1, 3},
};

// The cursor's button image per (mode, submode); −1 pads past each mode's submode count.
constexpr int32_t kMaxSubmodes = 6;
constexpr int32_t kCursorButtons[kModeCount][kMaxSubmodes] = {
    {0, -1, -1, -1, -1, -1},    {5, 6, -1, -1, -1, -1},     {9, -1, -1, -1, -1, -1},
    {2, 1, -1, -1, -1, -1},     {4, 3, 4, 18, -1, -1},      {8, 16, 8, 19, 20, 7},
    {10, 10, 10, 12, 12, -1},   {11, 11, 11, 13, -1, -1},   {16, 16, 16, 16, -1, -1},
    {14, 15, -1, -1, -1, -1},
};

constexpr uint32_t slots(std::initializer_list<int32_t> list)
{
    uint32_t mask = 1u << int32_t(TModeSlot::leave); // every mode has the common leave routine
    for (int32_t slot : list)
        mask |= 1u << slot;
    return mask;
}
constexpr uint32_t kShapeSlots = slots({0, 1, 2, 3, 4, 8, 9, 10, 11});
constexpr std::array<uint32_t, kModeCount> kFilledSlots{
    slots({0, 1, 2, 4, 8}),          // pen
    slots({0}),                      // zoom
    slots({0, 4, 8}),                // colour picker
    slots({0, 1, 2, 9}),             // view
    slots({0, 8}),                   // fill
    slots({0, 1, 2, 4, 8, 9, 10}),   // drag tools
    kShapeSlots,                     // shape outline
    kShapeSlots,                     // filled shape
    kShapeSlots,                     // selection shape
    slots({0, 8}),                   // text
};

constexpr TModeChoice kMiddleButtonModes[kMiddleButtonFunctionCount] = {
    {3, 0}, {3, 1}, {3, 2}, {5, 0}, {5, 3}, {7, 0}, {7, 3}, {4, 2}, {8, 0}, {8, 3}, {4, 3},
};

constexpr uint8_t kZoomMode = 1;
constexpr uint8_t kPickerMode = 2;
constexpr uint8_t kViewMode = 3;
constexpr uint8_t kFillMode = 4;
constexpr uint8_t kDragMode = 5;
constexpr uint8_t kSelectionMode = 8;

TTemporaryMode switchTo(uint8_t mode, int32_t submode)
{
    return {TTemporaryKind::switchMode, mode, submode};
}

} // namespace

int32_t CModeMngr::submodeOf(uint8_t mode) const
{
    return mode < kModeCount ? submodes[mode] : -1;
}

int32_t CModeMngr::submodeCount(uint8_t mode)
{
    return mode < kModeCount ? kSubmodeCounts[mode] : 0;
}

bool CModeMngr::isEditing(uint8_t mode)
{
    return mode < kModeCount && kEditing[mode];
}

bool CModeMngr::switchMode(uint8_t newMode, int32_t newSubmode)
{
    if (newMode >= kModeCount || newSubmode < -1 || newSubmode >= kSubmodeCounts[newMode])
        return false;
    const uint8_t oldMode = mode;
    mode = newMode;
    if (newSubmode != -1)
        submodes[newMode] = newSubmode;
    if (onModeChanged)
        onModeChanged(oldMode);
    return true;
}

bool CModeMngr::setModeFromTool(int32_t button, int32_t option)
{
    TModeChoice choice;
    return toolButtonMode(button, option, choice) && switchMode(choice.mode, choice.submode);
}

bool CModeMngr::toolButtonMode(int32_t button, int32_t option, TModeChoice& choice)
{
    if (button < 0 || button >= kToolButtonCount)
        return false;
    choice.mode = kButtonModes[size_t(button)];
    choice.submode = kButtonSubmodes[size_t(button)];
    for (const TButtonChoice& c : kButtonChoices) {
        if (c.button != button)
            continue;
        if (c.first == kAnySubmode)
            choice.submode = option >= 0 && option < kSubmodeCounts[choice.mode] ? option : 0;
        else
            choice.submode = option == c.second ? c.second : c.first;
    }
    return true;
}

int32_t CModeMngr::toolButtonOf(uint8_t mode, int32_t submode)
{
    if (mode >= kModeCount || submode < 0 || submode >= kSubmodeCounts[mode])
        return -1;
    return kCursorButtons[mode][submode];
}

bool CModeMngr::slotFilled(uint8_t mode, TModeSlot slot)
{
    const int32_t index = int32_t(slot);
    if (mode >= kModeCount || index < 0 || index >= kModeSlotCount)
        return false;
    return (kFilledSlots[mode] >> index) & 1u;
}

TModeChoice CModeMngr::middleButtonMode(int32_t setting)
{
    const int32_t index =
        setting < 0 ? 0 : (setting >= kMiddleButtonFunctionCount ? kMiddleButtonFunctionCount - 1
                                                                 : setting);
    return kMiddleButtonModes[index];
}

TTemporaryMode temporaryModeFor(const TModifierKeys& keys, uint8_t mode, int32_t submode,
                                bool hasSelection, bool overSelection)
{
    if (keys.ctrl && mode == kZoomMode)
        return switchTo(kZoomMode, submode == 0 ? 1 : 0);
    // With an active selection, the fill's submode 3 keeps Shift for itself.
    const bool movesSelection = mode == kFillMode && submode == 3 && hasSelection;
    if (keys.shift && !keys.alt && mode != kSelectionMode && !movesSelection)
        return {TTemporaryKind::pickColour, kPickerMode, 0};
    if (!keys.space) {
        if (keys.alt)
            return switchTo(kViewMode, keys.ctrl ? 2 : 1);
        if (mode == kSelectionMode && overSelection)
            return switchTo(kDragMode, 1);
        return {};
    }
    if (!keys.ctrl)
        return switchTo(kViewMode, 0);
    return switchTo(kZoomMode, keys.alt ? 1 : 0);
}

bool modifiersRefuseStroke(const TModifierKeys& keys)
{
    return keys.shift || keys.space || keys.ctrl || keys.alt;
}

float minimumMove(int32_t zoomLevel)
{
    if (zoomLevel == -2)
        return 4.0f;
    if (zoomLevel == -1)
        return 3.0f;
    return 2.0f;
}

bool penPointTooClose(int32_t zoomLevel, int32_t pointCount, TPointF newest, TPointF point)
{
    if (pointCount < 2)
        return false; // the begin point and the first move are always taken
    const float limit = minimumMove(zoomLevel);
    const float dx = point.x - newest.x;
    const float dy = point.y - newest.y;
    return dx * dx + dy * dy <= limit * limit;
}

} // namespace qm
