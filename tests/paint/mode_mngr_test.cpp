#include "paint/mode_mngr.h"

#include <gtest/gtest.h>

#include <vector>

namespace qm {

namespace {

TModeChoice buttonMode(int32_t button, int32_t option = -1)
{
    TModeChoice choice{255, 255};
    EXPECT_TRUE(CModeMngr::toolButtonMode(button, option, choice)) << button;
    return choice;
}

TTemporaryMode temporary(TModifierKeys keys, uint8_t mode, int32_t submode = 0,
                         bool hasSelection = false, bool overSelection = false)
{
    return temporaryModeFor(keys, mode, submode, hasSelection, overSelection);
}

bool switchesTo(const TTemporaryMode& t, uint8_t mode, int32_t submode)
{
    return t.kind == TTemporaryKind::switchMode && t.mode == mode && t.submode == submode;
}

} // namespace

TEST(ModeMngr, SwitchKeepsEachModesSubmodeAndTellsTheListener)
{
    CModeMngr modes;
    EXPECT_EQ(modes.mode, 0);
    EXPECT_EQ(modes.submodeOf(4), 2); // the fill starts in submode 2, every other mode in 0
    EXPECT_EQ(modes.submodeOf(10), -1);
    std::vector<uint8_t> oldModes;
    modes.onModeChanged = [&](uint8_t old) { oldModes.push_back(old); };

    ASSERT_TRUE(modes.switchMode(5, 3));
    ASSERT_TRUE(modes.switchMode(0, 0));
    ASSERT_TRUE(modes.switchMode(5, -1)); // −1: back with the remembered submode
    EXPECT_EQ(modes.mode, 5);
    EXPECT_EQ(modes.submode(), 3);
    EXPECT_EQ(oldModes, (std::vector<uint8_t>{0, 5, 0}));

    // Refused: no such mode, or no such submode of the mode; nothing changes, nobody is told.
    EXPECT_FALSE(modes.switchMode(10, 0));
    EXPECT_FALSE(modes.switchMode(0, 1));
    EXPECT_FALSE(modes.switchMode(3, -2));
    EXPECT_EQ(modes.mode, 5);
    EXPECT_EQ(modes.submodeOf(0), 0);
    EXPECT_EQ(oldModes.size(), 3u);
}

TEST(ModeMngr, EveryToolButtonSelectsItsModeAndSubmode)
{
    const TModeChoice fixed[kToolButtonCount] = {
        {0, 0}, {3, 1}, {3, 0}, {4, 1}, {4, 2}, {1, 0}, {1, 1}, {5, 5}, {5, 0}, {2, 0}, {6, 0},
        {7, 0}, {6, 3}, {7, 3}, {9, 0}, {9, 1}, {8, 2}, {8, 1}, {4, 3}, {5, 3}, {5, 4}};
    for (int32_t b = 0; b < kToolButtonCount; ++b)
        EXPECT_EQ(buttonMode(b), fixed[b]) << "button " << b;

    // Each option button's second choice, and a bad option falling back to its first; a
    // button without a choice ignores the option.
    const struct {
        int32_t button, option;
        TModeChoice choice;
    } options[] = {{5, 1, {1, 1}},  {8, 2, {5, 2}},  {8, 1, {5, 0}},  {10, 4, {6, 4}},
                   {10, 5, {6, 0}}, {11, 2, {7, 2}}, {12, 4, {6, 4}}, {12, 0, {6, 3}},
                   {16, 0, {8, 0}}, {17, 3, {8, 3}}, {17, 2, {8, 1}}, {7, 2, {5, 5}}};
    for (const auto& o : options)
        EXPECT_EQ(buttonMode(o.button, o.option), o.choice) << o.button << "/" << o.option;

    CModeMngr modes;
    TModeChoice unused;
    EXPECT_FALSE(CModeMngr::toolButtonMode(21, 0, unused));
    EXPECT_FALSE(modes.setModeFromTool(-1, 0));
    ASSERT_TRUE(modes.setModeFromTool(16, 0));
    EXPECT_EQ(modes.mode, 8);
    EXPECT_EQ(modes.submode(), 0);
}

TEST(ModeMngr, CursorShowsTheButtonThatSelectsAFixedSubmode)
{
    for (int32_t b : {0, 1, 2, 3, 4, 5, 6, 7, 9, 13, 14, 15, 18, 19, 20}) {
        const TModeChoice c = buttonMode(b);
        EXPECT_EQ(CModeMngr::toolButtonOf(c.mode, c.submode), b);
    }
    EXPECT_EQ(CModeMngr::toolButtonOf(3, 2), -1); // brush size has no button
    EXPECT_EQ(CModeMngr::toolButtonOf(5, 1), 16); // moving the selection shows the selection tool
    EXPECT_EQ(CModeMngr::toolButtonOf(0, 1), -1);
}

TEST(ModeMngr, TemporaryModesFollowTheirOrder)
{
    const auto keys = [](bool shift, bool ctrl, bool alt, bool space) {
        return TModifierKeys{shift, ctrl, alt, space};
    };
    const TModifierKeys none = keys(0, 0, 0, 0), shift = keys(1, 0, 0, 0), ctrl = keys(0, 1, 0, 0),
                        alt = keys(0, 0, 1, 0), space = keys(0, 0, 0, 1),
                        altCtrl = keys(0, 1, 1, 0), spaceCtrl = keys(0, 1, 0, 1),
                        spaceCtrlAlt = keys(0, 1, 1, 1), shiftAlt = keys(1, 0, 1, 0),
                        shiftCtrl = keys(1, 1, 0, 0);

    EXPECT_EQ(temporary(none, 0).kind, TTemporaryKind::none);
    // 1: Ctrl in the zoom mode turns it round, ahead of every other rule.
    EXPECT_TRUE(switchesTo(temporary(ctrl, 1, 0), 1, 1));
    EXPECT_TRUE(switchesTo(temporary(shiftCtrl, 1, 1), 1, 0));
    // 2: Shift picks, but not with Alt, not in the selection shape mode, not where the fill
    // in submode 3 has an active selection.
    EXPECT_EQ(temporary(shift, 0).kind, TTemporaryKind::pickColour);
    EXPECT_EQ(temporary(shiftCtrl, 0).kind, TTemporaryKind::pickColour);
    EXPECT_EQ(temporary(shift, 4, 3, false).kind, TTemporaryKind::pickColour);
    EXPECT_EQ(temporary(shift, 4, 3, true).kind, TTemporaryKind::none);
    EXPECT_EQ(temporary(shift, 8).kind, TTemporaryKind::none);
    EXPECT_TRUE(switchesTo(temporary(shiftAlt, 0), 3, 1));
    // 3: Alt rotates the view, Alt+Ctrl sizes the brush; Ctrl alone outside zoom does nothing.
    EXPECT_TRUE(switchesTo(temporary(alt, 0), 3, 1));
    EXPECT_TRUE(switchesTo(temporary(altCtrl, 6), 3, 2));
    EXPECT_EQ(temporary(ctrl, 0).kind, TTemporaryKind::none);
    // 4: Space is the hand; with Ctrl zoom in, with Ctrl and Alt zoom out.
    EXPECT_TRUE(switchesTo(temporary(space, 0), 3, 0));
    EXPECT_TRUE(switchesTo(temporary(spaceCtrl, 4, 2), 1, 0));
    EXPECT_TRUE(switchesTo(temporary(spaceCtrlAlt, 0), 1, 1));
    // The selection shape mode over its selection moves it, unless a key says otherwise.
    EXPECT_TRUE(switchesTo(temporary(none, 8, 0, true, true), 5, 1));
    EXPECT_EQ(temporary(none, 8, 0, true, false).kind, TTemporaryKind::none);
    EXPECT_TRUE(switchesTo(temporary(space, 8, 0, true, true), 3, 0));
    EXPECT_TRUE(switchesTo(temporary(alt, 8, 0, true, true), 3, 1));
}

TEST(ModeMngr, MiddleButtonSettingIsReadAsTheNearestBound)
{
    EXPECT_EQ(CModeMngr::middleButtonMode(0), (TModeChoice{3, 0}));
    EXPECT_EQ(CModeMngr::middleButtonMode(4), (TModeChoice{5, 3}));
    EXPECT_EQ(CModeMngr::middleButtonMode(10), (TModeChoice{4, 3}));
    EXPECT_EQ(CModeMngr::middleButtonMode(-3), (TModeChoice{3, 0}));
    EXPECT_EQ(CModeMngr::middleButtonMode(99), (TModeChoice{4, 3}));
}

TEST(ModeMngr, EditingModesAndHandlerSlots)
{
    for (uint8_t m = 0; m < kModeCount; ++m)
        EXPECT_EQ(CModeMngr::isEditing(m), m == 0 || m >= 4) << int(m);
    EXPECT_FALSE(CModeMngr::isEditing(10));

    for (int32_t s : {0, 1, 2, 4, 8, 12})
        EXPECT_TRUE(CModeMngr::slotFilled(0, TModeSlot(s))) << s;
    EXPECT_FALSE(CModeMngr::slotFilled(0, TModeSlot::leftDoubleClick));
    EXPECT_FALSE(CModeMngr::slotFilled(1, TModeSlot::hover));
    EXPECT_TRUE(CModeMngr::slotFilled(3, TModeSlot::keyDown));
    EXPECT_TRUE(CModeMngr::slotFilled(5, TModeSlot::paintOverlay));
    EXPECT_TRUE(CModeMngr::slotFilled(8, TModeSlot::extraAction));
    EXPECT_FALSE(CModeMngr::slotFilled(8, TModeSlot::rightMove));
    EXPECT_TRUE(CModeMngr::slotFilled(9, TModeSlot::leave));
    EXPECT_FALSE(CModeMngr::slotFilled(10, TModeSlot::leave));
}

TEST(ModeMngr, PenPointsNeedModifierFreeKeysAndAMinimumMove)
{
    EXPECT_FALSE(modifiersRefuseStroke({}));
    EXPECT_TRUE(modifiersRefuseStroke({false, false, false, true}));
    EXPECT_TRUE(modifiersRefuseStroke({false, false, true, false}));

    EXPECT_EQ(minimumMove(-2), 4.0f);
    EXPECT_EQ(minimumMove(-1), 3.0f);
    EXPECT_EQ(minimumMove(0), 2.0f);
    EXPECT_EQ(minimumMove(-5), 2.0f);
    // Exactly the threshold away is still too close; the first two points are always taken.
    EXPECT_TRUE(penPointTooClose(0, 2, {10, 10}, {12, 10}));
    EXPECT_FALSE(penPointTooClose(0, 2, {10, 10}, {12.01f, 10}));
    EXPECT_FALSE(penPointTooClose(0, 1, {10, 10}, {10, 10}));
    EXPECT_TRUE(penPointTooClose(-2, 5, {0, 0}, {3, 2}));
}

} // namespace qm
