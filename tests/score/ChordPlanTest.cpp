#include "score/ChordPlan.h"

#include <gtest/gtest.h>

#include <vector>

namespace harkwell {
namespace {

class ChordPlanTest : public ::testing::Test {
protected:
    double Centre(int pitch) const { return staff_.NoteY(pitch) + 0.5 * s_; }

    const StaffLayout staff_{340, 160, 60, 96};
    const double s_ = staff_.Spacing();
};

TEST_F(ChordPlanTest, AChordHasOneStemWithItsFlagsEndAtTheHeadFarthestFromTheHeads)
{
    struct Case {
        std::vector<int> pitches;
        bool down;
        int from, to;
    };
    const Case cases[] = {
        {{67}, false, 67, 67},        // a single note as StemDown has it
        {{71}, true, 71, 71},
        {{60, 64, 67}, false, 67, 60},  // up: the flags at the top head
        {{67, 60, 64}, false, 67, 60},  // in any order
        {{71, 74}, true, 71, 74},       // down: the flags at the bottom head
        {{64, 74}, false, 74, 64},      // E4 lies farther from the middle line than D5
        {{60, 79}, false, 79, 60},
        {{62, 79}, true, 62, 79},       // as far: down
        {{48, 55}, true, 48, 55},       // the bass staff's own middle line
    };
    for (const Case& c : cases) {
        const ChordPlan plan = PlanChord(staff_, 0, c.pitches);
        EXPECT_EQ(plan.stemDown, c.down) << c.pitches.front() << ".." << c.pitches.back();
        EXPECT_EQ(plan.stemFrom, c.from) << c.pitches.front() << ".." << c.pitches.back();
        EXPECT_EQ(plan.stemTo, c.to) << c.pitches.front() << ".." << c.pitches.back();
        EXPECT_DOUBLE_EQ(plan.stemX, c.down ? 0.0 : s_) << "on the heads' side";
        EXPECT_DOUBLE_EQ(plan.dotX, 1.3 * s_) << "right of the column";
    }
}

TEST_F(ChordPlanTest, ASecondPutsHeadsOnBothSidesOfTheStemAndItsDotsApart)
{
    // E4 on its line and F4 in the space above: F4 moves right; its dot takes
    // its space, so E4's goes to the space below.
    const ChordPlan up = PlanChord(staff_, 0, {65, 64});
    ASSERT_EQ(up.heads.size(), 2u);
    EXPECT_EQ(up.heads[0].pitch, 64);
    EXPECT_EQ(up.heads[0].shift, 0.0);
    EXPECT_DOUBLE_EQ(up.heads[1].shift, s_);
    EXPECT_DOUBLE_EQ(up.heads[1].dotY, Centre(65));
    EXPECT_DOUBLE_EQ(up.heads[0].dotY, Centre(64) + 0.5 * s_);
    EXPECT_DOUBLE_EQ(up.stemX, s_);
    EXPECT_DOUBLE_EQ(up.dotX, 2.3 * s_) << "right of the moved head";

    // A down stem stands between the columns too, so that every head touches it.
    const ChordPlan down = PlanChord(staff_, 0, {72, 71});
    EXPECT_TRUE(down.stemDown);
    EXPECT_DOUBLE_EQ(down.stemX, s_);

    // Lines and spaces without a second: each dot in its own space.
    const ChordPlan third = PlanChord(staff_, 0, {64, 67});
    EXPECT_DOUBLE_EQ(third.heads[0].dotY, Centre(64) - 0.5 * s_);
    EXPECT_DOUBLE_EQ(third.heads[1].dotY, Centre(67) - 0.5 * s_);
    EXPECT_DOUBLE_EQ(PlanChord(staff_, 0, {69}).heads[0].dotY, Centre(69));
}

}  // namespace
}  // namespace harkwell
