// The solver's parts, each against the table or against trying everything.

#include "game/solver/cardbounds.h"
#include "game/solver/endgame.h"
#include "game/solver/lowestleft.h"
#include "game/solver/memo.h"
#include "game/solver/removalorder.h"
#include "game/solver/stuckcards.h"

#include "solvertesting.h"

#include <set>

namespace {

using namespace solvertesting;
using solver::Board;
using solver::Deal;

// Positions of games played by a fixed random hand, from early in the game to its end.
std::vector<GameTable> positionsFrom(std::uint32_t firstDeal, int count, int fewestDealt)
{
    std::vector<GameTable> tables;
    for (std::uint32_t deal = firstDeal; static_cast<int>(tables.size()) < count; ++deal) {
        const int steps = (Card::deckSize - fewestDealt) / GameTable::columnCount + 1;
        GameTable table = playedUntil(deal, fewestDealt + GameTable::columnCount *
                                                              static_cast<int>(deal % steps));
        if (table.gameactive())
            tables.push_back(std::move(table));
    }
    return tables;
}

void expectBoardIsTable(const Board &board, const GameTable &table, const std::string &what)
{
    for (int c = 0; c < GameTable::columnCount; ++c) {
        ASSERT_EQ(board.count[c], table.column(c + 1).count) << what;
        for (int s = 0; s < board.count[c]; ++s)
            EXPECT_EQ(board.cards[c][s], table.column(c + 1).cards[s + 1].number()) << what;
    }
    EXPECT_EQ(board.dealt, Card::deckSize - table.cardsLeft()) << what;
}

TEST(SolverDeal, StepsAreTheTablesActionsWithTheirPointsAndEnds)
{
    for (const GameTable &table : positionsFrom(0, 300, 4)) {
        const Deal deal(table.position());
        std::set<char> stepped;
        deal.forEachStep(deal.start(), [&](const solver::Step &step, const Board &next) {
            const std::string what = table.line() + " then " + step.action;
            GameTable played = table;
            for (const char action : std::string(step.action))
                ASSERT_TRUE(played.play(action)) << what;
            EXPECT_EQ(played.score() - table.score(), step.points + step.ending) << what;
            EXPECT_EQ(!played.gameactive(), step.ended) << what;
            EXPECT_EQ(step.won, step.ended && played.deckExhausted() && step.ending > 0) << what;
            if (!step.ended)
                expectBoardIsTable(next, played, what);
            stepped.insert(step.action[0]);
        });
        // Before the last deal the steps are every action the table takes; from then on, a
        // removal that is never worse than any other may stand for them all.
        if (table.cardsLeft() <= GameTable::columnCount)
            continue;
        for (const char action :
             rules::moves::alphabet.substr(0, rules::moves::alphabet.size() - 1)) {
            GameTable played = table;
            EXPECT_EQ(played.play(action), stepped.count(action) == 1)
                << table.line() << " then " << action;
        }
    }
}

TEST(SolverBounds, NeverFallBelowWhatTheRestOfTheGameCanAdd)
{
    int weighed = 0;
    int aboveTwo = 0;
    for (const GameTable &table : positionsFrom(0, 120, 36)) {
        const std::optional<Endings> endings = Everything(20'000).from(table);
        if (!endings)
            continue;
        ++weighed;
        const std::string what = "deal " + std::to_string(table.dealNumber()) + ", " + table.line();
        Deal deal(table.position());
        const Board &board = deal.start();
        const bool winnable = endings->bestWon != INT_MIN;
        if (!winnable) {
            solver::StopCheck neverStops(nullptr);
            const int lowest = solver::LowestLeft(deal, neverStops).from(board);
            EXPECT_LE(lowest, endings->leastDeducted) << what;
            aboveTwo += lowest > 2;
            deal.ruleOutWin(lowest);
        }
        EXPECT_GE(deal.ceiling(board), endings->best) << what;
        solver::CardBounds bounds(deal, 0);
        EXPECT_GE(bounds.bound(board), endings->best) << what;
        EXPECT_TRUE(!winnable || bounds.mightWin(board)) << what;

        const solver::Stacks stacks(board, deal.deck());
        const solver::StuckCards anyEnd(stacks, solver::StuckCards::Ends::any);
        if (anyEnd.someCardStays()) {
            EXPECT_FALSE(winnable) << what;
            EXPECT_GE(anyEnd.lostAtMost(board.turnclears), endings->best) << what;
        }
        const solver::StuckCards wonOnly(stacks, solver::StuckCards::Ends::wonOnly);
        EXPECT_TRUE(!winnable || !wonOnly.someCardStays()) << what;
        // Some card above `kept` stays in every game: each leaves more than `kept` deducted.
        for (const int kept : {2, 7, 12}) {
            if (solver::StuckCards(stacks, solver::StuckCards::Ends::wonOnly, kept)
                    .someCardStays()) {
                EXPECT_GT(endings->leastDeducted, kept) << what << ", above " << kept;
            }
        }
        const solver::RemovalOrder order(stacks);
        if (order.holds() && order.someCardStays()) {
            EXPECT_FALSE(winnable) << what;
            EXPECT_GE(order.lostAtMost(board.turnclears), endings->best) << what;
        }
    }
    EXPECT_GE(weighed, 100);
    EXPECT_GE(aboveTwo, 10);
}

TEST(SolverEndgame, AnswersWhatTryingEverythingFindsAndItsLinesPlayOut)
{
    int answered = 0;
    for (const GameTable &table : positionsFrom(0, 200, 44)) {
        const std::string what = "deal " + std::to_string(table.dealNumber()) + ", " + table.line();
        const Endings endings = *Everything().from(table);
        const Deal deal(table.position());
        solver::StopCheck neverStops(nullptr);
        solver::Endgame endgame(deal, neverStops);
        const std::optional<int> best = endgame.best(deal.start(), solver::encoded(-1000, false));
        const std::optional<bool> wins = endgame.wins(deal.start());
        if (!best || !wins)
            continue; // past its limit
        ++answered;
        EXPECT_EQ(solver::pointsOf(*best), endings.best) << what;
        EXPECT_EQ(solver::wonOf(*best), endings.bestWon == endings.best) << what;
        EXPECT_EQ(*wins, endings.bestWon != INT_MIN) << what;
        GameTable played = table;
        for (const char action : endgame.bestLine(deal.start()))
            ASSERT_TRUE(played.play(action)) << what;
        EXPECT_FALSE(played.gameactive()) << what;
        EXPECT_EQ(played.score(), table.score() + endings.best) << what;
        if (*wins)
            expectLineEndsAsClaimed(table, endgame.winningLine(deal.start()));
    }
    EXPECT_GE(answered, 150);
}

TEST(SolverMemo, KeepsTheLowestBoundOfEveryBoardUpToItsLimit)
{
    solver::Memo memo(100'000);
    // More boards than its first table holds, so that it grows on the way.
    for (std::uint64_t n = 0; n < 70'000; ++n) {
        memo.lower({n, n * 7}, static_cast<int>(n % 1000));
        memo.lower({n, n * 7}, 999);
    }
    for (std::uint64_t n = 0; n < 70'000; ++n) {
        const solver::Value *known = memo.find({n, n * 7});
        ASSERT_NE(known, nullptr) << n;
        EXPECT_EQ(known->best, static_cast<int>(n % 1000)) << n;
    }
    EXPECT_EQ(memo.find({1, 1}), nullptr);

    solver::Memo small(2);
    small.at({1, 0});
    small.at({2, 0});
    small.at({1, 0}); // known: nothing more to hold
    EXPECT_THROW(small.at({3, 0}), solver::Memo::TooLarge);
}

} // namespace
