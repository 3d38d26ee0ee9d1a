#include "game/solver/deal.h"

#include <bit>

namespace solver {

Deal::Deal(const Position &position)
{
    // Each card's home: the column it lies in now, or the one the deck will deal it to.
    for (int i = 0; i < Card::deckSize; ++i) {
        m_deck[i] = static_cast<std::uint8_t>(position.deck[i].number());
        m_home[m_deck[i]] = static_cast<std::uint8_t>(i % columns);
    }
    for (int i = Card::deckSize - 1; i >= 0; --i)
        m_nonAcesUndealt[i] = m_nonAcesUndealt[i + 1] + (rankOf(m_deck[i]) != Card::Ace);
    for (int c = 0; c < columns; ++c) {
        for (const Card card : position.columns[c]) {
            if (!card.isCard())
                continue; // a slot the end of a game has swept
            m_start.put(c, static_cast<std::uint8_t>(card.number()));
            m_home[card.number()] = static_cast<std::uint8_t>(c);
        }
    }
    m_start.dealt = position.dealt;
    m_start.turnclears = position.turnclears;
    if (position.dealt <= lastDealFrom && lastDealEndsGame()) {
        m_stayingAtLastDeal = stayingAtLastDeal();
        m_noWin = true;
    }
}

bool Deal::hasStep(const Board &board) const
{
    bool any = false;
    forEachStep(board, [&](const Step &, const Board &) { any = true; });
    return any;
}

bool Deal::lastDealEndsGame() const
{
    unsigned suits = 0;
    for (int i = lastDealFrom; i < Card::deckSize; ++i) {
        const unsigned suit = 1u << suitOf(m_deck[i]);
        if (rankOf(m_deck[i]) == Card::Ace || (suits & suit))
            return false;
        suits |= suit;
    }
    return true;
}

Deal::Staying Deal::stayingAtLastDeal() const
{
    Staying staying{columns, Card::suitCount * Card::Ace};
    for (int i = lastDealFrom; i < Card::deckSize; ++i)
        staying.ranks += rankOf(m_deck[i]);
    return staying;
}

} // namespace solver
