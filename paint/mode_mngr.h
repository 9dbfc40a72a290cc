// The tool modes as data and rules: which tool is current, what each tool button selects, which
// cursor image a mode shows, which input events a mode handles, and which modifier keys turn a
// left-button drag into another tool for its length. The windows own the handlers; this file
// only decides.
//
// Modes: 0 pen, 1 zoom (0 in, 1 out), 2 colour picker, 3 view (0 hand, 1 rotate, 2 brush size),
// 4 fill, 5 drag tools (0 move layer, 1 move selection, 2 move layer and selection, 3 gradation,
// 4 crop, 5 no action), 6 shape outline, 7 filled shape, 8 selection shape, 9 text.
#pragma once

#include "core/rect.h"

#include <array>
#include <cstdint>
#include <functional>

namespace qm {

constexpr int32_t kModeCount = 10;
constexpr int32_t kToolButtonCount = 21;
constexpr int32_t kMiddleButtonFunctionCount = 11;

// The events a mode can handle, in the order of its handler table.
enum class TModeSlot : int32_t {
    leftDown = 0,
    leftMove = 1,
    leftUp = 2,
    leftDoubleClick = 3,
    rightDown = 4,
    rightMove = 5,
    rightUp = 6,
    rightDoubleClick = 7,
    hover = 8, // mouse move with no button held
    keyDown = 9,
    paintOverlay = 10, // rubber band, outline
    extraAction = 11,
    leave = 12,
};
constexpr int32_t kModeSlotCount = 13;

struct TModeChoice {
    uint8_t mode = 0;
    int32_t submode = 0;
    friend bool operator==(const TModeChoice&, const TModeChoice&) = default;
};

struct TModifierKeys {
    bool shift = false;
    bool ctrl = false;
    bool alt = false;
    bool space = false;
};

enum class TTemporaryKind {
    none,       // the current mode handles the drag
    pickColour, // pick the colour under the cursor at once and block input until release
    switchMode, // switch to (mode, submode) until the button is released
};

struct TTemporaryMode {
    TTemporaryKind kind = TTemporaryKind::none;
    uint8_t mode = 0; // for switchMode (pickColour names the picker, mode 2)
    int32_t submode = 0;
};

class CModeMngr {
public:
    uint8_t mode = 0;
    // The remembered submode of each mode; fill starts at 2.
    std::array<int32_t, kModeCount> submodes{0, 0, 0, 0, 2, 0, 0, 0, 0, 0};
    // Called after every accepted switch (also one that changes nothing, so the tools window
    // and cursors refresh) with the mode that was current before it.
    std::function<void(uint8_t oldMode)> onModeChanged;

    int32_t submode() const { return submodes[mode < kModeCount ? mode : 0]; }
    // −1 for a mode outside 0 … 9.
    int32_t submodeOf(uint8_t mode) const;
    // 0 for a mode outside 0 … 9.
    static int32_t submodeCount(uint8_t mode);
    // Modes that change the paper: refused while a window plays back a recording.
    static bool isEditing(uint8_t mode);

    // Makes `mode` current and, unless submode is −1, stores its submode. A mode outside 0 … 9
    // or a submode outside the mode's range is refused (false, nothing changed).
    bool switchMode(uint8_t mode, int32_t submode);
    // What tool button `button` (0 … 20) selects, with the option the tools window keeps for
    // it; false for a button outside the table.
    bool setModeFromTool(int32_t button, int32_t option);

    // The (mode, submode) of a tool button. Buttons with a choice take `option` when the button
    // allows it and their first choice otherwise: 5 → 0/1, 8 → 0/2, 10 and 11 → any submode of
    // their mode, 12 → 3/4, 16 → 2/0, 17 → 1/3. False for a button outside 0 … 20.
    static bool toolButtonMode(int32_t button, int32_t option, TModeChoice& choice);
    // The tool button whose image the cursor shows in (mode, submode); −1 for none.
    static int32_t toolButtonOf(uint8_t mode, int32_t submode);
    // Whether the mode has a handler for the event; false for a mode outside 0 … 9.
    static bool slotFilled(uint8_t mode, TModeSlot slot);
    // The tool the middle button drags with, for the "mouseMBtnFunc" setting; a setting outside
    // 0 … 10 is read as the nearest bound.
    static TModeChoice middleButtonMode(int32_t setting);
};

// The tool a left-button press uses with these keys held, tried in order:
//  1. Ctrl in the zoom mode: zoom the other way.
//  2. Shift without Alt: pick a colour, except in the selection shape mode and in the fill's
//     submode 3 while a selection is active.
//  3. No Space: Alt gives the view's rotate tool, or its brush-size tool with Ctrl too; without
//     Alt nothing changes, except that a press over an existing selection in the selection
//     shape mode moves the selection.
//  4. Space: the hand; with Ctrl zoom in, or zoom out with Alt as well.
TTemporaryMode temporaryModeFor(const TModifierKeys& keys, uint8_t mode, int32_t submode,
                                bool hasSelection, bool overSelection);

// A stroke is never started or continued with one of these keys held.
bool modifiersRefuseStroke(const TModifierKeys& keys);

// Paper pixels a pen point must move from the stroke's newest point to be taken: 4 at zoom
// level −2, 3 at level −1, 2 at every other level.
float minimumMove(int32_t zoomLevel);
// True when a new point is to be dropped: the stroke already has two points or more and the new
// one is no farther than minimumMove from the newest.
bool penPointTooClose(int32_t zoomLevel, int32_t pointCount, TPointF newest, TPointF point);

} // namespace qm
