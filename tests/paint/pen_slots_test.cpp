#include "paint/pen_slots.h"

#include "files/settings_store.h"
#include "paint/stroke.h"

#include <gtest/gtest.h>

namespace qm {

TEST(PenButtons, StoredAssignmentIsTakenOnlyWhenCompleteAndValid)
{
    MemorySettingsStore store;
    TPenButtons buttons;
    EXPECT_FALSE(buttons.load(store)); // nothing stored: the built-in assignment stays
    const auto builtIn = buttons.kinds;

    TPenButtons saved;
    saved.current = 2;
    saved.kinds = {8, 7, 6, 5, 3};
    saved.save(store);
    ASSERT_TRUE(buttons.load(store));
    EXPECT_EQ(buttons.current, 2);
    EXPECT_EQ(buttons.kinds, saved.kinds);

    // "blur2" is never a button's kind; one bad value rejects the whole record.
    TPenButtons fresh;
    store.writeInt(kPenSettingSection, "penSlot3", 4);
    EXPECT_FALSE(fresh.load(store));
    EXPECT_EQ(fresh.kinds, builtIn);
    store.writeInt(kPenSettingSection, "penSlot3", 5);
    store.writeInt(kPenSettingSection, "curSlot", 5);
    EXPECT_FALSE(fresh.load(store));
}

TEST(PenControls, KindsShowTheirSettingsAndBarValues)
{
    EXPECT_TRUE(penControlsOf(1).speedBar);
    EXPECT_FALSE(penControlsOf(0).ifEdge);
    EXPECT_TRUE(penControlsOf(3).ifEdge);
    EXPECT_FALSE(penControlsOf(4).minSize);
    EXPECT_TRUE(penControlsOf(5).useGradation);
    EXPECT_FALSE(penControlsOf(6).useGradation);
    EXPECT_FALSE(penControlsOf(9).useTone);

    TStroke s;
    s.resetToDefaults(5);
    s.setKind(5);
    EXPECT_FLOAT_EQ(firstBarValue(s), 0.15f * 50.0f);
    s.setKind(7);
    s.setEffect(50);
    s.setEnv(30);
    EXPECT_FLOAT_EQ(secondBarValue(s), 25.0f);
    s.setKind(1);
    EXPECT_FLOAT_EQ(secondBarValue(s), 15.0f);
}

TEST(PenControls, GammaCurvePoints)
{
    const auto linear = gammaCurvePoints(1.0f);
    EXPECT_EQ(linear[0].x, 1);
    EXPECT_EQ(linear[0].y, 78);
    EXPECT_EQ(linear[78].x, 79);
    EXPECT_EQ(linear[78].y, 0);
    const auto soft = gammaCurvePoints(2.0f);
    EXPECT_EQ(soft[39].y, 79 - 20); // (40/79)² × 79 = 20.25
}

} // namespace qm
