#include "paint/tool_routing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace qm {

namespace {

// Writes down each call as "mode/submode:slot" or "pick" / "pick layer".
class TRecorder : public TToolTarget {
public:
    explicit TRecorder(const CModeMngr& modes) : modes_(modes) {}
    void callSlot(TModeSlot slot) override
    {
        calls.push_back(std::to_string(modes_.mode) + "/" + std::to_string(modes_.submode()) + ":" +
                        std::to_string(int32_t(slot)));
    }
    void pickColourNow(bool fromLayer) override { calls.push_back(fromLayer ? "pick layer" : "pick"); }
    std::vector<std::string> take() { return std::exchange(calls, {}); }

    std::vector<std::string> calls;

private:
    const CModeMngr& modes_;
};

using Calls = std::vector<std::string>;

class ToolRouting : public ::testing::Test {
protected:
    void down(TMouseButton button, TModifierKeys keys = {}, bool doubleClick = false)
    {
        TPressFacts facts;
        facts.keys = keys;
        facts.playing = playing;
        facts.middleButtonSetting = middleSetting;
        router.buttonDown(button, facts, doubleClick, target);
    }
    void move() { router.buttonMove(target); }
    void up(TMouseButton button, bool allUp = true) { router.buttonUp(button, allUp, target); }

    CModeMngr modes;
    CToolRouter router{modes};
    TRecorder target{modes};
    bool playing = false;
    int32_t middleSetting = 0;
};

constexpr TModifierKeys kShift{true, false, false, false};
constexpr TModifierKeys kCtrl{false, true, false, false};
constexpr TModifierKeys kAlt{false, false, true, false};
constexpr TModifierKeys kSpace{false, false, false, true};

} // namespace

TEST_F(ToolRouting, EachButtonsDragGoesToItsSlotsAndAMoveWithoutOneHovers)
{
    move();
    down(TMouseButton::left);
    move();
    up(TMouseButton::left);
    EXPECT_EQ(target.take(), (Calls{"0/0:8", "0/0:0", "0/0:1", "0/0:2"}));
    EXPECT_FALSE(router.dragging());

    // The drag tools (mode 5) fill the right-button slots 4 and the move and up slots are
    // empty: nothing is called for them.
    modes.switchMode(5, 0);
    down(TMouseButton::right);
    move();
    up(TMouseButton::right);
    EXPECT_EQ(target.take(), (Calls{"5/0:4"}));

    // The shape modes take left double-clicks; the pen has no double-click slot, and no mode
    // has one for the right button.
    modes.switchMode(6, 0);
    down(TMouseButton::left, {}, true);
    down(TMouseButton::right, {}, true);
    EXPECT_EQ(target.take(), (Calls{"6/0:3"}));
    modes.switchMode(0, 0);
    up(TMouseButton::right);
    down(TMouseButton::left, {}, true);
    EXPECT_EQ(target.take(), Calls{});

    // A release with no drag of its button calls nothing.
    up(TMouseButton::left);
    up(TMouseButton::middle);
    EXPECT_EQ(target.take(), Calls{});
}

TEST_F(ToolRouting, APressClosesTheDragOfAnotherButtonFirst)
{
    modes.switchMode(6, 0);
    down(TMouseButton::right);
    down(TMouseButton::left);
    // The shapes have no right-button-up handler: closing the right drag calls nothing.
    EXPECT_EQ(target.take(), (Calls{"6/0:4", "6/0:0"}));
    EXPECT_TRUE(router.leftDragging());
    down(TMouseButton::right);
    EXPECT_EQ(target.take(), (Calls{"6/0:2", "6/0:4"}));
    // The left button's release now finds no left drag.
    up(TMouseButton::left);
    EXPECT_EQ(target.take(), Calls{});
}

TEST_F(ToolRouting, ShiftPicksAtOnceAndBlocksInputUntilEveryButtonIsUp)
{
    down(TMouseButton::left, kShift);
    EXPECT_EQ(target.take(), (Calls{"pick"}));
    EXPECT_TRUE(router.blocked());
    move();
    down(TMouseButton::right);
    up(TMouseButton::right, false); // the left button is still down
    move();
    EXPECT_EQ(target.take(), Calls{});
    EXPECT_TRUE(router.blocked());
    up(TMouseButton::left, true);
    EXPECT_FALSE(router.blocked());
    EXPECT_EQ(target.take(), Calls{}) << "the release that unblocks is not a handler's";
    move();
    EXPECT_EQ(target.take(), (Calls{"0/0:8"}));

    // With Ctrl too, the colour comes from the layer; the selection shape keeps Shift.
    down(TMouseButton::left, {true, true, false, false});
    EXPECT_EQ(target.take(), (Calls{"pick layer"}));
    up(TMouseButton::left);
    modes.switchMode(8, 0);
    down(TMouseButton::left, kShift);
    EXPECT_EQ(target.take(), (Calls{"8/0:0"}));
}

TEST_F(ToolRouting, ModifierKeysLendAnotherToolForOneDragAndTheReleaseGivesItBack)
{
    down(TMouseButton::left, kSpace);
    move();
    EXPECT_EQ(target.take(), (Calls{"3/0:0", "3/0:1"}));
    EXPECT_TRUE(router.temporary());
    up(TMouseButton::left);
    EXPECT_EQ(target.take(), (Calls{"3/0:2"}));
    EXPECT_EQ(modes.mode, 0);
    EXPECT_FALSE(router.temporary());

    down(TMouseButton::left, kAlt);
    up(TMouseButton::left);
    EXPECT_EQ(target.take(), (Calls{"3/1:0", "3/1:2"}));
    down(TMouseButton::left, {false, true, true, false});
    EXPECT_EQ(target.take(), (Calls{"3/2:0"}));
    up(TMouseButton::left);
    target.take();

    // Ctrl in the zoom-out tool zooms in, and the tool is zoom-out again afterwards.
    modes.switchMode(1, 1);
    down(TMouseButton::left, kCtrl);
    EXPECT_EQ(target.take(), (Calls{"1/0:0"}));
    up(TMouseButton::left);
    EXPECT_EQ(modes.mode, 1);
    EXPECT_EQ(modes.submode(), 1);

    // A loan while one is active keeps the first saved mode.
    modes.switchMode(0, 0);
    router.modeTemporarily(3, 0);
    router.modeTemporarily(1, 0);
    EXPECT_EQ(modes.mode, 3) << "no second loan";
    router.restoreMode();
    EXPECT_EQ(modes.mode, 0);
}

TEST_F(ToolRouting, TheMiddleButtonDragsWithTheToolOfItsSetting)
{
    middleSetting = 1; // view, rotate
    down(TMouseButton::middle);
    move();
    up(TMouseButton::middle);
    EXPECT_EQ(target.take(), (Calls{"3/1:0", "3/1:1", "3/1:2"}));
    EXPECT_EQ(modes.mode, 0);
    middleSetting = 99; // read as the last function, fill submode 3
    down(TMouseButton::middle);
    EXPECT_EQ(target.take(), (Calls{"4/3:0"}));
    up(TMouseButton::middle);
    EXPECT_EQ(modes.mode, 0);
    EXPECT_EQ(modes.submodeOf(4), 3) << "the tool's submode is stored as switching does";
    // A middle double-click does nothing.
    target.take();
    down(TMouseButton::middle, {}, true);
    EXPECT_EQ(target.take(), Calls{});
    EXPECT_EQ(modes.mode, 0);
}

TEST_F(ToolRouting, WhileARecordingPlaysOnlyTheViewToolsTakeTheButtons)
{
    playing = true;
    down(TMouseButton::left);
    move();
    up(TMouseButton::left);
    EXPECT_EQ(target.take(), (Calls{"0/0:8"})) << "no stroke, the move only hovers";
    // Space lends the hand, which a replay allows.
    down(TMouseButton::left, kSpace);
    EXPECT_EQ(target.take(), (Calls{"3/0:0"}));
    up(TMouseButton::left);
    target.take();
    // A middle button set to the layer move is refused and leaves no loan behind.
    middleSetting = 3;
    down(TMouseButton::middle);
    EXPECT_EQ(target.take(), Calls{});
    EXPECT_EQ(modes.mode, 0);
    EXPECT_FALSE(router.temporary());
    // The pen's right button still picks colours; the drag tools' does not run.
    down(TMouseButton::right);
    up(TMouseButton::right);
    EXPECT_EQ(target.take(), (Calls{"0/0:4"}));
    modes.switchMode(5, 0);
    down(TMouseButton::right);
    EXPECT_EQ(target.take(), Calls{});
    EXPECT_FALSE(router.dragging());
    // The zoom tool works.
    modes.switchMode(1, 0);
    down(TMouseButton::left);
    EXPECT_EQ(target.take(), (Calls{"1/0:0"}));
}

TEST_F(ToolRouting, KeysGoToModesWithAKeySlot)
{
    router.keyDown(target);
    modes.switchMode(3, 0);
    router.keyDown(target);
    EXPECT_EQ(target.take(), (Calls{"3/0:9"}));
}

TEST_F(ToolRouting, LosingTheInputEndsTheDragAsAReleaseAndLeavesNothingHeld)
{
    down(TMouseButton::left, kSpace);
    move();
    target.take();
    router.inputLost(target);
    EXPECT_EQ(target.take(), (Calls{"3/0:2"})) << "the hand's release, in the lent mode";
    EXPECT_EQ(modes.mode, 0);
    EXPECT_FALSE(router.dragging());

    down(TMouseButton::left);
    router.inputLost(target);
    EXPECT_EQ(target.take(), (Calls{"0/0:0", "0/0:2"}));

    // Blocked after a pick: the release goes to another window, so nothing stays blocked.
    down(TMouseButton::left, kShift);
    router.inputLost(target);
    EXPECT_FALSE(router.blocked());
    move();
    EXPECT_EQ(target.take(), (Calls{"pick", "0/0:8"}));

    // Without a drag, nothing is called.
    router.inputLost(target);
    EXPECT_EQ(target.take(), Calls{});
}

} // namespace qm
