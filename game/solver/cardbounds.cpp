#include "game/solver/cardbounds.h"

#include "game/solver/memo.h"
#include "game/solver/removalorder.h"
#include "game/solver/stuckcards.h"

namespace solver {

int CardBounds::bound(const Board &board)
{
    const Stacks stacks(board, m_deal.deck());
    if (const int lost = lostBound(board, stacks); lost != max)
        return lost;
    if (!m_deal.noWin() && StuckCards(stacks, StuckCards::Ends::wonOnly).someCardStays())
        return m_deal.mostWith(board, Deal::oneLowCard);
    return max;
}

// What the rest of the game can add at most when some card must stay, however it ends; `max`
// when none must. The removal order is the sharper where it holds. Its record counts it of use
// when it finds a card that stays; both are reached only where the stuck cards' record lets
// the search weigh the board.
int CardBounds::lostBound(const Board &board, const Stacks &stacks)
{
    if (removalOrderWorthTrying(board, m_removalOrder)) {
        const RemovalOrder order(stacks);
        m_removalOrder.tried(board.dealt, order.someCardStays());
        if (order.holds())
            return order.someCardStays() ? order.lostAtMost(board.turnclears) : max;
    }
    const StuckCards anyEnd(stacks, StuckCards::Ends::any);
    return anyEnd.someCardStays() ? anyEnd.lostAtMost(board.turnclears) : max;
}

// The removal order is worked out only from the phase before the last deal on, as earlier
// columns can be emptied too often for it to hold, and only where it has not proved hopeless.
bool CardBounds::removalOrderWorthTrying(const Board &board, const CutRecord &record)
{
    return board.dealt >= Deal::lastDealFrom && record.worthTrying(board.dealt);
}

bool CardBounds::mightWin(const Board &board)
{
    if (m_deal.stayingForGood(board).cards)
        return false;
    const bool order = removalOrderWorthTrying(board, m_winRemovalOrder);
    const bool stuckCards = m_winStuckCards.worthTrying(board.dealt);
    if (!order && !stuckCards)
        return true;
    const Stacks stacks(board, m_deal.deck());
    if (order) {
        const bool stays = RemovalOrder(stacks).someCardStays();
        m_winRemovalOrder.tried(board.dealt, stays);
        if (stays)
            return false;
    }
    if (!stuckCards)
        return true;
    const bool stays = StuckCards(stacks, StuckCards::Ends::wonOnly).someCardStays();
    m_winStuckCards.tried(board.dealt, stays);
    return !stays;
}

} // namespace solver
