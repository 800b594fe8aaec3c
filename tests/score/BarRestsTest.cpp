#include "score/BarRests.h"

#include "score/StaffLayout.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <vector>

namespace harkwell {
namespace {

using Rest = std::tuple<int, int, int>;  // start, length, type

std::vector<Rest> Written(int start, int length, int bar)
{
    std::vector<Rest> rests;
    for (const RestSymbol& r : WriteRest(start, length, bar)) rests.emplace_back(r.start, r.length, r.type);
    return rests;
}

TEST(BarRestsTest, SilencesAreWrittenAsTheRestsThatFillTheBeats)
{
    using namespace staff_type;
    struct Case {
        int start, length, bar;
        std::vector<Rest> rests;
    };
    const Case cases[] = {
        {0, 16, 16, {{0, 16, kWhole}}},
        {4, 12, 16, {{4, 12, kDottedHalf}}},  // after a quarter note
        {0, 12, 16, {{0, 12, kDottedHalf}}},
        {8, 8, 16, {{8, 8, kHalf}}},
        {0, 6, 16, {{0, 6, kDottedQuarter}}},
        {0, 3, 16, {{0, 3, kDottedEighth}}},
        {6, 10, 16, {{6, 2, kEighth}, {8, 8, kHalf}}},  // after a quarter and an eighth
        {0, 10, 16, {{0, 8, kHalf}, {8, 2, kEighth}}},
        {1, 15, 16, {{1, 1, kSixteenth}, {2, 2, kEighth}, {4, 12, kDottedHalf}}},
        {5, 11, 16, {{5, 1, kSixteenth}, {6, 2, kEighth}, {8, 8, kHalf}}},
        {3, 13, 16, {{3, 1, kSixteenth}, {4, 12, kDottedHalf}}},
        {0, 14, 16, {{0, 12, kDottedHalf}, {12, 2, kEighth}}},
        {0, 15, 16, {{0, 12, kDottedHalf}, {12, 3, kDottedEighth}}},
        {0, 7, 16, {{0, 4, kQuarter}, {4, 3, kDottedEighth}}},
        {2, 6, 16, {{2, 2, kEighth}, {4, 4, kQuarter}}},
        {1, 2, 16, {{1, 1, kSixteenth}, {2, 1, kSixteenth}}},  // the beat's half stays seen
        {2, 1, 16, {{2, 1, kSixteenth}}},
        {13, 3, 16, {{13, 1, kSixteenth}, {14, 2, kEighth}}},
        {0, 12, 12, {{0, 12, kWhole}}},  // a whole bar of 3/4
        {4, 8, 12, {{4, 8, kHalf}}},
        {2, 10, 12, {{2, 2, kEighth}, {4, 8, kHalf}}},
        {12, 8, 16, {{12, 4, kQuarter}}},  // cut at the bar's end
        {16, 4, 16, {}},
        {3, 0, 16, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Written(c.start, c.length, c.bar), c.rests) << c.start << "+" << c.length << " in " << c.bar;
}

// Every silence a bar of 4/4 or 3/4 can hold: the rests follow one another
// over it, each drawn as the value it stands for, and none but the beat-long
// ones leaves the beat it starts in.
TEST(BarRestsTest, EverySilenceOfTheBarIsFilledWithRestsOfTheirOwnValue)
{
    const std::set<int> kValues{1, 2, 3, 4, 6, 8, 12};
    for (int bar : {16, 12})
        for (int start = 0; start < bar; ++start)
            for (int length = 1; start + length <= bar; ++length) {
                const std::vector<RestSymbol> rests = WriteRest(start, length, bar);
                ASSERT_FALSE(rests.empty());
                int at = start;
                for (const RestSymbol& rest : rests) {
                    EXPECT_EQ(rest.start, at) << start << "+" << length;
                    const bool wholeBar = rest.length == bar && start == 0;
                    EXPECT_EQ(rest.type, wholeBar ? staff_type::kWhole : StaffNoteType(rest.length));
                    EXPECT_TRUE(wholeBar || kValues.count(rest.length) != 0) << rest.length << " has no rest of its own";
                    const bool inOneBeat = rest.start / 4 == (rest.start + rest.length - 1) / 4;
                    EXPECT_TRUE(rest.length >= 4 ? rest.start % 4 == 0 : inOneBeat) << start << "+" << length;
                    at += rest.length;
                }
                EXPECT_EQ(at, start + length);
            }
}

}  // namespace
}  // namespace harkwell
