#pragma once

#include "game/solver/stacks.h"

#include <array>
#include <cstdint>

namespace solver {

// Which cards can ever go while no card is ever moved, knowing for each card and each deal
// after which it might go the cards that must have gone before it, whatever the line: a higher
// card that would have to be gone before the card is uncovered, or before the card itself is,
// cannot be the one that lets it go. Worked out upwards from "no card goes" until nothing
// changes. It holds only while no column can ever be emptied, so that no move is ever open,
// and it tells whether that is so: then, by induction over the removals of any line, each card
// goes only after a deal it was found to go after, with every card found needed for that gone
// before it.
class RemovalOrder {
public:
    explicit RemovalOrder(Stacks &&) = delete; // it keeps a reference
    explicit RemovalOrder(const Stacks &stacks);

    bool holds() const { return !m_emptied; }

    // Where it holds, a card other than an ace can never leave the board, so no line wins.
    bool someCardStays() const { return m_someCardStays; }

    int lostAtMost(int turnclears) const
    {
        return m_stacks.lostAtMost(turnclears, [this](std::uint8_t card) { return mightGo(card); });
    }

private:
    static constexpr int deals = Card::deckSize / columns + 1;
    // No card has number 0, so its bit marks what cannot be on top, or cannot go.
    static constexpr std::uint64_t covered = 1;

    static std::uint64_t bit(std::uint8_t card) { return std::uint64_t{1} << card; }

    bool mightGo(std::uint8_t card) const { return m_goesAt[card] != 0; }

    // What must have gone for the card, arrived after `arrival`, to have gone by `deal`:
    // itself, and what must go before it whenever it goes; `covered` when it cannot have.
    inline std::uint64_t gone(std::uint8_t card, int arrival, int deal) const;

    // What must have gone before the card at the height can go after `deal`; `covered` when
    // it cannot go then. Reads what its stack above it must have lost by then.
    inline std::uint64_t goes(int stack, int height, int deal) const;

    // Adds the deals after which cards might go and lowers what must go first, until nothing
    // changes or some column could be emptied, when nothing holds. First what must have gone
    // for each card to be on top while no card goes, as the other stacks are read from the
    // start; then a stack from the top, so what a card learns reaches the cards under it in
    // the same round.
    inline void settle();

    // What must have gone for each card of the stack to be on top after each deal, as things
    // stand; and when `learning`, what each card learns from it. True when some card learnt.
    template <bool learning> bool workOutStack(int c);

    // Keeps that the card might go after the deal, with `must` gone before; true when that is
    // more than was known.
    inline bool learn(std::uint8_t card, int deal, std::uint64_t must);

    // Whether, after some deal, every card arrived in some column by then might have gone.
    inline bool someColumnEmptied() const;

    const Stacks &m_stacks;
    std::array<std::uint16_t, Card::deckSize + 1> m_goesAt{}; // the deals after which, as bits
    // Read only where set (`learn` sets the one, `workOutStack` all of the other): left unset,
    // as clearing them would add about a tenth to the work.
    std::array<std::array<std::uint64_t, deals>, Card::deckSize + 1> m_need;
    std::array<std::array<std::array<std::uint64_t, deals>, slots>, columns> m_uncovered;
    bool m_emptied = true; // some column could be emptied: nothing holds
    bool m_someCardStays = false;
};

} // namespace solver
