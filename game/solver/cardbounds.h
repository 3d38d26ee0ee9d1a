#pragma once

#include "game/solver/deal.h"
#include "game/solver/stagerecords.h"

#include <cstddef>

namespace solver {

// The bounds from the cards that can never leave the board (the stuck cards, and the order
// cards must go in), each worked out only where it has paid: working one out costs more than
// the rest of a board's work.
class CardBounds {
public:
    // The search for the best score brings them in once it has weighed `after` boards; the
    // search for a win, which ignores points, from the first.
    CardBounds(const Deal &deal, std::size_t after) : m_deal(deal), m_after(after) {}

    // Whether the search for the best score, having weighed `weighed` boards, should work out
    // the bound of the board; tell tried() whether it cut the board off.
    bool worthTrying(const Board &board, std::size_t weighed) const
    {
        return weighed >= m_after && m_stuckCards.worthTrying(board.dealt);
    }
    void tried(const Board &board, bool cut) { m_stuckCards.tried(board.dealt, cut); }

    // The most the rest of the game can add, by the cards that can never leave the board:
    // those that stay, when some must; else, when no win is left, the ceiling without one.
    // `max` when it knows no bound.
    int bound(const Board &board);

    // False when some card other than an ace can never leave the board, so that no line wins.
    bool mightWin(const Board &board);

private:
    int lostBound(const Board &board, const Stacks &stacks);
    static bool removalOrderWorthTrying(const Board &board, const CutRecord &record);

    const Deal &m_deal;
    std::size_t m_after = 0;
    CutRecord m_stuckCards;      // of the stuck cards, in the search for the best score
    CutRecord m_winStuckCards;   // of the stuck cards, in the search for a win
    CutRecord m_removalOrder;    // of the removal order, in the search for the best score
    CutRecord m_winRemovalOrder; // of the removal order, in the search for a win
};

} // namespace solver
