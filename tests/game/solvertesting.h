#pragma once

// What the solver's tests share: a search that tries every action the table allows, games
// played by fixed random hands, and the check that a line plays out as claimed.

#include "game/gametable.h"
#include "game/random.h"
#include "game/solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace solvertesting {

// The best final scores of every way to end the game from a table, found by trying every
// action in turn, with no cleverness but remembering the tables already tried (by the cards
// of each column as they lie, the cards dealt and the removals since the last deal).
struct Endings {
    int best = INT_MIN;
    int bestWon = INT_MIN;
    int leastDeducted = INT_MAX; // by a lost game
};

class Everything {
public:
    // Gives up past `tables` tables tried, so that a test picks positions it can afford.
    explicit Everything(std::size_t tables = SIZE_MAX) : m_tablesLeft(tables) {}

    // What the rest of the game can add to the table's score; none past the limit.
    std::optional<Endings> from(GameTable table)
    {
        try {
            return explore(table);
        } catch (const TooMany &) {
            return std::nullopt;
        }
    }

private:
    static constexpr int deal = 0; // an action: 1–4 a click on that column, or the deal

    // Tries each action on the table itself and takes it back, as a copy of a table copies
    // its whole history.
    Endings explore(GameTable &table)
    {
        std::string key = std::to_string(table.cardsLeft()) + "/" +
                          std::to_string(table.position().turnclears % 4);
        for (int c = 1; c <= GameTable::columnCount; ++c) {
            key += '|';
            for (int slot = 1; slot <= table.column(c).count; ++slot)
                key += static_cast<char>(table.column(c).cards[slot].number());
        }
        if (const auto known = m_known.find(key); known != m_known.end())
            return known->second;
        if (m_tablesLeft-- == 0)
            throw TooMany();
        Endings endings;
        // Past the last deal an action may end the game, which cannot be taken back: the
        // table is then put back from a copy.
        std::optional<GameTable> before;
        if (table.cardsLeft() <= GameTable::columnCount)
            before = table;
        for (int action = deal; action <= GameTable::columnCount; ++action) {
            if (action == deal && table.deckExhausted())
                continue;
            const std::size_t lineBefore = table.line().size();
            const int scoreBefore = table.score();
            const std::optional<Ending> ending = act(table, action);
            if (!ending)
                continue;
            const int gained = table.score() - scoreBefore;
            if (*ending != Ending::None) {
                endings.best = std::max(endings.best, gained);
                if (*ending == Ending::Lost)
                    endings.leastDeducted = std::min(endings.leastDeducted, -*table.lastPoints());
                if (*ending == Ending::Won)
                    endings.bestWon = std::max(endings.bestWon, gained);
                table = *before;
                continue;
            }
            const Endings rest = explore(table);
            while (table.line().size() > lineBefore && table.undo()) {
            }
            endings.best = std::max(endings.best, gained + rest.best);
            endings.leastDeducted = std::min(endings.leastDeducted, rest.leastDeducted);
            if (rest.bestWon != INT_MIN)
                endings.bestWon = std::max(endings.bestWon, gained + rest.bestWon);
        }
        m_known.emplace(key, endings);
        return endings;
    }

    // A click, answered YES where it asks about an ace, or the deal: how the game ends with
    // it; none when it changed nothing.
    static std::optional<Ending> act(GameTable &table, int action)
    {
        if (action == deal)
            return table.dealClick().ending;
        const ClickResult click = table.clickColumn(action);
        if (click.ending != Ending::None)
            return click.ending;
        if (click.play == Play::AceQuestion)
            return table.removeAce();
        if (click.play == Play::Removed || click.play == Play::Moved)
            return Ending::None;
        return std::nullopt;
    }

    struct TooMany {};

    std::unordered_map<std::string, Endings> m_known;
    std::size_t m_tablesLeft = 0;
};

// Plays the line on a copy of the table; the game must end there, with the line's score.
inline void expectLineEndsAsClaimed(GameTable table, const SolvedLine &line)
{
    Ending ending = Ending::None;
    for (const char action : line.actions) {
        ASSERT_TRUE(table.gameactive()) << line.actions;
        if (action == 'd')
            ending = table.dealClick().ending;
        else if (action == 'y')
            ending = table.removeAce();
        else
            ending = table.clickColumn(action - '0').ending;
    }
    EXPECT_FALSE(table.gameactive()) << line.actions;
    EXPECT_EQ(table.score(), line.finalScore) << line.actions;
    EXPECT_EQ(ending == Ending::Won, line.won) << line.actions;
}

// The solver with every bound it has from the first position on, so that each is put to the
// test on positions small enough to try everything.
inline Solution solveBoundedThroughout(const GameTable &table)
{
    return solve(table.position(), defaultMaxPositions, nullptr, 0);
}

// A game of the deal played by a fixed random hand until `dealt` cards are out.
inline GameTable playedUntil(std::uint32_t deal, int dealt)
{
    GameTable table;
    table.startDeal(deal);
    Random hand(deal);
    while (table.gameactive() && table.cardsLeft() > Card::deckSize - dealt) {
        const auto choice = static_cast<int>(hand.next(6));
        if (choice == 0)
            table.dealClick();
        else if (choice < 5)
            table.clickColumn(choice);
    }
    return table;
}

} // namespace solvertesting
