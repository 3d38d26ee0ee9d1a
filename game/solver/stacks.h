#pragma once

#include "game/scoring.h"
#include "game/solver/board.h"

#include <array>
#include <cstdint>

namespace solver {

// The cards of the deck in dealing order, by number.
using Deck = std::array<std::uint8_t, Card::deckSize>;

// The most `removals` more removals can score: every fourth since the last deal a bonus.
inline int mostForRemovals(int removals, int turnclears)
{
    return scoring::removalPoints * removals +
           (scoring::bonusPoints - scoring::removalPoints) *
               ((turnclears % scoring::bonusEvery + removals) / scoring::bonusEvery);
}

// The deals from `first` to `last` as bits.
inline unsigned dealsBetween(int first, int last)
{
    return ((2u << last) - 1) >> first << first;
}

// Each column seen as a stack: its cards, then the cards still to be dealt to it in order, each
// with the deal that brings it (from now, 0 for the cards out now).
struct Stacks {
    struct Place {
        std::uint8_t stack = 0;
        std::uint8_t height = 0; // 0 at the bottom
    };

    Stacks(const Board &board, const Deck &deck);

    // What the rest of the game can add at most when only the cards for which `mightGo` holds
    // can ever leave the board: every non-ace of them removed, the ranks of the others deducted.
    template <typename MightGo> int lostAtMost(int turnclears, MightGo mightGo) const
    {
        int removable = 0;
        int deduction = 0;
        for (int c = 0; c < columns; ++c) {
            for (int h = 0; h < top[c]; ++h) {
                const std::uint8_t card = cards[c][h];
                if (mightGo(card))
                    removable += rankOf(card) != Card::Ace;
                else
                    deduction += rankOf(card);
            }
        }
        return mostForRemovals(removable, turnclears) - deduction;
    }

    // Whether a card other than an ace can never leave the board, so that no line wins.
    template <typename MightGo> bool someCardStays(MightGo mightGo) const
    {
        for (int c = 0; c < columns; ++c) {
            for (int h = 0; h < top[c]; ++h) {
                if (rankOf(cards[c][h]) != Card::Ace && !mightGo(cards[c][h]))
                    return true;
            }
        }
        return false;
    }

    std::array<std::array<std::uint8_t, slots>, columns> cards{}; // bottom first
    std::array<std::array<std::uint8_t, slots>, columns> arrival{};
    std::array<int, columns> top{};
    std::array<int, columns> outNow{}; // the cards of each stack on the board now
    std::array<Place, Card::deckSize + 1> place{};
    std::array<std::uint16_t, Card::suitCount + 1> ranks{}; // the ranks present of each suit
    int lastDeal = 0;

private:
    void add(std::uint8_t card, int stack, int deal);
};

} // namespace solver
