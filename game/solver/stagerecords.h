#pragma once

#include "game/solver/board.h"

#include <array>
#include <cstddef>

namespace solver {

// Tries of something costly at each stage of the game (by the number of cards dealt), and the
// amount they came to: what is left out where it has seldom paid is judged by them.
class StageTallies {
protected:
    struct Tally {
        std::size_t tries = 0;
        std::size_t amount = 0;
    };
    // Too few tries to judge by.
    static constexpr std::size_t enoughTries = 256;

    const Tally &at(int dealt) const
    {
        return m_tallies[static_cast<std::size_t>(dealt / columns)];
    }
    void add(int dealt, std::size_t amount)
    {
        Tally &tally = m_tallies[static_cast<std::size_t>(dealt / columns)];
        ++tally.tries;
        tally.amount += amount;
    }

private:
    std::array<Tally, Card::deckSize / columns + 1> m_tallies{};
};

// How often a bound from the cards that stay was of use, by the number of cards dealt: working
// one out costs more than the rest of a position's work, and for some deals it is seldom of
// use at some stage of the game, so once it has failed there often enough it is left out there.
class CutRecord : StageTallies {
public:
    bool worthTrying(int dealt) const
    {
        const Tally &tally = at(dealt);
        return tally.tries < enoughTries || tally.amount * hopelessShare >= tally.tries;
    }
    void tried(int dealt, bool useful) { add(dealt, useful ? 1 : 0); }

private:
    static constexpr std::size_t hopelessShare = 64; // cut once in 64 tries or less
};

// How many boards the endgame search has weighed a call, by the number of cards dealt: where
// it takes many, the search that calls it weighs the boards itself, as before that stage.
class EndgameRecord : StageTallies {
public:
    bool worthTrying(int dealt) const
    {
        const Tally &tally = at(dealt);
        return tally.tries < enoughTries || tally.amount <= mostBoardsACall * tally.tries;
    }
    void spent(int dealt, std::size_t boards) { add(dealt, boards); }

private:
    static constexpr std::size_t mostBoardsACall = 64;
};

} // namespace solver
