#include "game/anytimesolve.h"
#include "game/solver/beam.h"
#include "solvertesting.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

namespace {

using solvertesting::expectLineEndsAsClaimed;
using solvertesting::playedUntil;

// Deals whose best line the exact search proves in moments, from their start and from the
// middle of a game, won and lost.
const std::vector<GameTable> tables = [] {
    std::vector<GameTable> list;
    for (const std::uint32_t deal : {0u, 1u, 7u}) {
        list.push_back(playedUntil(deal, 4));
        list.push_back(playedUntil(deal, 24));
    }
    return list;
}();

TEST(Beam, EveryLineItFindsPlaysToItsScoreAndNoneBeatsTheBest)
{
    solver::StopCheck never(nullptr);
    for (const GameTable &table : tables) {
        const Solution exact = solve(table.position());
        ASSERT_TRUE(exact.solved);
        for (const auto rank : {solver::BeamRank::Points, solver::BeamRank::PointsAndPromise}) {
            for (const int width : {1, 256}) {
                const auto line = solver::beamSearch(table.position(), width, rank, never);
                ASSERT_TRUE(line);
                expectLineEndsAsClaimed(table, *line);
                EXPECT_LE(line->finalScore, exact.best.finalScore);
            }
        }
    }
}

// The news only gets better, the beams' lines play as claimed, and the last is the proof,
// equal to the exact solver's answer.
TEST(AnytimeSolve, TellsBetterLinesUntilTheProofWhichIsTheExactAnswer)
{
    for (const GameTable &table : tables) {
        std::vector<SolveNews> told;
        const auto last = solveAnytime(table.position(), SolveBudget(), nullptr,
                                       [&](const SolveNews &news) { told.push_back(news); });
        ASSERT_TRUE(last);
        ASSERT_FALSE(told.empty());
        for (std::size_t i = 0; i < told.size(); ++i) {
            expectLineEndsAsClaimed(table, told[i].best);
            EXPECT_EQ(told[i].proven, i + 1 == told.size());
            if (i > 0) {
                EXPECT_GE(told[i].best.finalScore, told[i - 1].best.finalScore);
            }
        }
        const Solution exact = solve(table.position());
        EXPECT_EQ(last->best.finalScore, exact.best.finalScore);
        EXPECT_EQ(last->winnable, exact.win.has_value());
    }
}

// Deal 4871 takes the exact search many seconds: a budget or a stop leaves what the beams
// found, "at least", and a game that is over has no line at all.
TEST(AnytimeSolve, ABudgetOrAStopEndsItWithTheBestLineFoundSoFar)
{
    GameTable slow;
    slow.startDeal(4871);
    SolveBudget small;
    small.processorTime = std::chrono::milliseconds(300);
    const auto budgeted = solveAnytime(slow.position(), small, nullptr, {});
    ASSERT_TRUE(budgeted);
    EXPECT_FALSE(budgeted->proven);
    EXPECT_FALSE(budgeted->winnable.has_value());
    expectLineEndsAsClaimed(slow, budgeted->best);

    std::atomic<bool> stop = false;
    std::promise<void> firstNews;
    auto solving = std::async(std::launch::async, [&] {
        return solveAnytime(slow.position(), SolveBudget(), &stop,
                            [&, told = false](const SolveNews &) mutable {
                                if (!std::exchange(told, true))
                                    firstNews.set_value();
                            });
    });
    firstNews.get_future().wait();
    stop = true;
    // Stopped, it ends long before its proof would (many seconds on a fast machine).
    ASSERT_EQ(solving.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    const auto stopped = solving.get();
    ASSERT_TRUE(stopped);
    EXPECT_FALSE(stopped->proven);

    GameTable over;
    over.setBoard({{{Card(Card::Hearts, 5)},
                    {Card(Card::Spades, 5)},
                    {Card(Card::Clubs, 5)},
                    {Card(Card::Diamonds, 5)}}},
                  Card::deckSize);
    over.dealClick(); // nothing can change the board
    ASSERT_FALSE(over.gameactive());
    EXPECT_FALSE(solveAnytime(over.position(), SolveBudget(), nullptr, {}));
}

} // namespace
