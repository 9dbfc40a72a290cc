#include "app/dialog_values.h"

#include <gtest/gtest.h>

namespace qm {

TEST(DialogValues, ThePaperResolutionIsChosenFrom72To600StartingAtThePapers)
{
    for (int32_t dpi : {0, 50, 72, 300, 600, 1200, -5}) {
        const TIntChoice choice = paperDpiChoice(dpi);
        EXPECT_EQ(choice.low, 72);
        EXPECT_EQ(choice.high, 600);
    }
    EXPECT_EQ(paperDpiChoice(0).initial, 72) << "a paper without a resolution offers 72";
    EXPECT_EQ(paperDpiChoice(300).initial, 300);
    EXPECT_EQ(paperDpiChoice(72).initial, 72);
    EXPECT_EQ(paperDpiChoice(600).initial, 600);
    EXPECT_EQ(paperDpiChoice(1200).initial, 600) << "kept within what the dialog accepts";
    EXPECT_EQ(paperDpiChoice(50).initial, 72);
}

} // namespace qm
