#include "tools/solve/solvereport.h"

#include <gtest/gtest.h>

namespace {

// Deal 4871 takes the proof many seconds: within a budget its line is "at least"; deal 0 is
// proven at once, budget or not.
TEST(SolveReport, SaysAtLeastUntilTheBestIsProvenWithinTheBudget)
{
    const std::string slow = solvereport::dealText(4871, 100);
    EXPECT_TRUE(slow.starts_with("Deal 4871: winnable unknown, best score at least ")) << slow;
    for (const std::optional<int> budget : {std::optional<int>(100), std::optional<int>()}) {
        const std::string quick = solvereport::dealText(0, budget);
        EXPECT_TRUE(quick.starts_with("Deal 0: winnable yes, best score 556 (won), line "))
            << quick;
    }
}

// What each budget knew: a deal proven at once counts at every budget, one whose best came
// late counts as a gap until then.
TEST(SolveReport, CountsWhatEachBudgetKnew)
{
    const std::vector<solvereport::Solved> solved{
        {true, true, 556, 3, {{3, 556, true}}},
        {true, false, 222, 1500, {{20, 200, false}, {1500, 222, true}}}};
    const std::string text = solvereport::statsText(0, solved, 1);
    EXPECT_NE(text.find(" 100 ms   50.00 %     50.00 %        0          1        0        0"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("2000 ms  100.00 %    100.00 %        0          0        0        0"),
              std::string::npos)
        << text;
}

} // namespace
