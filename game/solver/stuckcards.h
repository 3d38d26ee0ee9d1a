#pragma once

#include "game/solver/stacks.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstdint>
#include <limits>

namespace solver {

// What a board can still add at most, knowing which cards can never leave it. Each card of the
// stacks gets the earliest deal by which it might go: a non-ace once it and a higher card of
// its suit in another column can both be on top after that deal, an ace (by the question) once
// it can be on top after the last deal. A card can be on top after a deal when every card above
// it that has arrived by then might have left by then. Worked out from "never" downwards until
// nothing changes, so each earliest deal rests on cards that go before.
//
// A card leaves its stack by going, or by a move into an empty column. A column could be empty
// after a deal when all its cards arrived by then might have left by then; after such a deal,
// any card on top but the lowest of its stack might be moved. It then lies at the bottom of the
// column it was moved to, under the cards dealt there later, so it can be on top again only
// after a deal after which that column, but for it, could be empty too: after any such deal, as
// the column is not known. There it lies apart from the cards of its own stack.
//
// When only won games count (`Ends::wonOnly`), an ace may go only once every other card of its
// suit might have gone: an ace goes by the question, with the deck out, and after that nothing
// can take the highest card of its suit left off. The aces then keep many more cards covered
// for good. The same holds of the games that end with no non-ace above some rank `kept` left,
// for the cards above it.
class StuckCards {
public:
    enum class Ends { any, wonOnly };

    StuckCards(Stacks &&, Ends) = delete; // it keeps a reference
    StuckCards(const Stacks &stacks, Ends ends, int kept = 1);

    // A card other than an ace, and above `kept` where only some games count, can never leave
    // the board, so no line wins, or ends as those games do.
    bool someCardStays() const
    {
        return std::any_of(m_notGoing.begin(), m_notGoing.end(),
                           [](int cards) { return cards > 0; });
    }

    // What the rest of the game can add at most, when some card stays (and not only wins
    // count).
    int lostAtMost(int turnclears) const
    {
        assert(m_ends == Ends::any); // with wins only, aces would go too late for lost lines
        return m_stacks.lostAtMost(turnclears,
                                   [this](std::uint8_t card) { return m_gone[card] != never; });
    }

private:
    static constexpr std::int8_t never = std::numeric_limits<std::int8_t>::max();

    // The cards that count in someCardStays().
    bool mustGo(std::uint8_t card) const
    {
        return rankOf(card) != Card::Ace && rankOf(card) > m_kept;
    }

    // The deals from `deal` to the last as bits; none from never.
    unsigned from(int deal) const
    {
        return deal > m_stacks.lastDeal ? 0 : dealsBetween(deal, m_stacks.lastDeal);
    }

    // The card at the height has left its stack by `deal` at the earliest.
    void leaves(int stack, int height, int deal)
    {
        m_leftAt[stack][height] =
            static_cast<std::int8_t>(std::min<int>(m_leftAt[stack][height], deal));
    }

    // For every card of the stack from `height` down, the deals after which it can be on top
    // of the stack: those it has arrived by and no card above it that has arrived by then might
    // not have left. The cards above `height` cover what they did before.
    inline void findInStack(int stack, int height);

    unsigned inStack(std::uint8_t card) const { return m_inStack[card]; }

    // The deals after which the card, moved, can be on top apart from its stack.
    unsigned apart(std::uint8_t card) const { return m_emptyAfter & from(m_moved[card]); }

    unsigned onTop(std::uint8_t card) const { return m_onTop[card]; }

    inline void findOnTop(std::uint8_t card);

    // The earliest deal by which the card might go, as things stand.
    inline int earliest(std::uint8_t card) const;

    // The deals after which the stack could be empty: those after which every card arrived by
    // then might have left by then. More of them put the moved cards on top more often.
    inline void findEmpty(int stack);

    // The earliest deal after which the card might be moved: it is on top of its stack, some
    // column could be empty, and the card is not the lowest of its column, as a card at the
    // bottom of a stack dealt to an empty column might not be.
    inline bool findMoved(std::uint8_t card);

    // Lowers the earliest deals by which cards might go or be moved until nothing changes,
    // upper cards first as they uncover those beneath; or until every card but the aces might
    // go, when there is nothing more to learn.
    inline void settle();

    const Stacks &m_stacks;
    // By stack and height, as the fixed point reads them most: the earliest deal by which the
    // card might have left, and the deals the cards above cover it.
    std::array<std::array<std::int8_t, slots>, columns> m_leftAt{};
    std::array<std::array<std::uint16_t, slots>, columns> m_coveredAt{};
    std::array<std::int8_t, Card::deckSize + 1> m_gone{};      // the earliest deal, or never
    std::array<std::int8_t, Card::deckSize + 1> m_moved{};     // the earliest deal, or never
    std::array<std::uint16_t, Card::deckSize + 1> m_out{};     // deals since its arrival, as bits
    std::array<std::uint16_t, Card::deckSize + 1> m_inStack{}; // deals, as bits
    std::array<std::uint16_t, Card::deckSize + 1> m_onTop{};   // in its stack or apart
    std::array<int, Card::suitCount + 1> m_notGoing{}; // of each suit, mustGo() still at never
    unsigned m_emptyAfter = 0;      // the deals after which some column could be empty, as bits
    std::uint64_t m_movedCards = 0; // the cards that might be moved, a bit each
    Ends m_ends = Ends::any;
    int m_kept = 1; // the highest rank the games that count may leave
};

} // namespace solver
