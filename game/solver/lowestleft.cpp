#include "game/solver/lowestleft.h"

#include "game/solver/stuckcards.h"

#include <array>
#include <bit>

namespace solver {

namespace {

// The non-aces above each rank, a bit each as on the board.
constexpr std::array<std::uint64_t, Card::Ace + 1> nonAcesAbove = [] {
    std::array<std::uint64_t, Card::Ace + 1> above{};
    for (int rank = 0; rank <= Card::Ace; ++rank) {
        for (int n = 1; n <= Card::deckSize; ++n) {
            if (Card(n).rank() > rank && !Card(n).isAce())
                above[static_cast<std::size_t>(rank)] |= std::uint64_t{1} << (n - 1);
        }
    }
    return above;
}();

// Once the deck is out, a suit whose ace has gone keeps its highest card for good: whether
// one of those is above the rank.
bool keepsAbove(const Board &board, int rank)
{
    if (!board.exhausted())
        return false;
    for (int suit = Card::Clubs; suit <= Card::Spades; ++suit) {
        const unsigned present = ranksOfSuit(board.onBoard, suit);
        if (present && !(present >> Card::Ace & 1) &&
            static_cast<int>(std::bit_width(present)) - 1 > rank)
            return true;
    }
    return false;
}

} // namespace

int LowestLeft::from(const Board &board)
{
    int lowest = Card::King; // nothing is above a king
    try {
        while (lowest > 2 && clears(board, lowest - 1))
            --lowest;
    } catch (const Memo::TooLarge &) {
        return 2;
    }
    return lowest;
}

bool LowestLeft::staysAbove(const Board &board, int rank)
{
    if (!m_stuckCards.worthTrying(board.dealt))
        return false;
    const Stacks stacks(board, m_deal.deck());
    const bool stays = StuckCards(stacks, StuckCards::Ends::wonOnly, rank).someCardStays();
    m_stuckCards.tried(board.dealt, stays);
    return stays;
}

bool LowestLeft::clears(const Board &board, int rank)
{
    const std::uint64_t above = nonAcesAbove[static_cast<std::size_t>(rank)];
    if (board.exhausted() && !(board.onBoard & above))
        return true; // nothing comes back once the deck is out
    m_stopCheck();
    const Key k = m_deal.winKey(board);
    if (const Value *known = m_memo.find(k); known && -known->best >= rank)
        return false;
    bool found = false;
    if (!keepsAbove(board, rank) && !staysAbove(board, rank)) {
        m_deal.forEachStep(board, [&](const Step &step, const Board &next) {
            found =
                found || (step.ended ? step.won || !(next.onBoard & above) : clears(next, rank));
        });
    }
    if (!found)
        m_memo.lower(k, -rank);
    return found;
}

} // namespace solver
