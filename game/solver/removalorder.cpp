#include "game/solver/removalorder.h"

#include <algorithm>
#include <bit>

namespace solver {

RemovalOrder::RemovalOrder(const Stacks &stacks) : m_stacks(stacks)
{
    if (std::find(stacks.outNow.begin(), stacks.outNow.end(), 0) != stacks.outNow.end())
        return; // a move may be open now
    settle();
    m_someCardStays =
        holds() && stacks.someCardStays([this](std::uint8_t card) { return mightGo(card); });
}

std::uint64_t RemovalOrder::gone(std::uint8_t card, int arrival, int deal) const
{
    const unsigned when = m_goesAt[card] & dealsBetween(arrival, deal);
    if (when == 0)
        return covered;
    std::uint64_t must = ~std::uint64_t{0};
    for (unsigned w = when; w; w &= w - 1)
        must &= m_need[card][std::countr_zero(w)];
    return bit(card) | must;
}

std::uint64_t RemovalOrder::goes(int stack, int height, int deal) const
{
    const std::uint8_t card = m_stacks.cards[stack][height];
    const std::uint64_t mine = m_uncovered[stack][height][deal];
    if (mine & covered)
        return covered;
    const int suit = suitOf(card);
    const int rank = rankOf(card);
    if (rank == Card::Ace)
        return deal == m_stacks.lastDeal ? mine : covered;
    std::uint64_t must = ~std::uint64_t{0};
    for (unsigned higher = m_stacks.ranks[suit] & ~((2u << rank) - 1); higher;
         higher &= higher - 1) {
        const std::uint8_t other = facts.number[suit][std::countr_zero(higher)];
        const Stacks::Place &at = m_stacks.place[other];
        if (at.stack == stack || m_stacks.arrival[at.stack][at.height] > deal)
            continue;
        const std::uint64_t both = mine | m_uncovered[at.stack][at.height][deal];
        if (!(both & (covered | bit(card) | bit(other))))
            must &= both;
    }
    return must == ~std::uint64_t{0} ? covered : must;
}

void RemovalOrder::settle()
{
    for (int c = 0; c < columns; ++c)
        workOutStack<false>(c);
    m_emptied = false;
    for (bool changed = true; changed && !m_emptied;) {
        changed = false;
        for (int c = 0; c < columns; ++c)
            changed |= workOutStack<true>(c);
        m_emptied = someColumnEmptied();
    }
}

template <bool learning> bool RemovalOrder::workOutStack(int c)
{
    bool learnt = false;
    std::array<std::uint64_t, deals> above{};
    for (int h = m_stacks.top[c] - 1; h >= 0; --h) {
        const std::uint8_t card = m_stacks.cards[c][h];
        const int arrival = m_stacks.arrival[c][h];
        for (int deal = 0; deal < arrival; ++deal)
            m_uncovered[c][h][deal] = above[deal];
        for (int deal = arrival; deal <= m_stacks.lastDeal; ++deal) {
            m_uncovered[c][h][deal] = above[deal];
            if constexpr (learning)
                learnt |= learn(card, deal, goes(c, h, deal));
            above[deal] |= gone(card, arrival, deal);
        }
    }
    return learnt;
}

bool RemovalOrder::learn(std::uint8_t card, int deal, std::uint64_t must)
{
    if (must & covered)
        return false;
    std::uint64_t &known = m_need[card][deal];
    if (!(m_goesAt[card] >> deal & 1)) {
        m_goesAt[card] |= static_cast<std::uint16_t>(1u << deal);
        known = must;
        return true;
    }
    if ((known & must) == known)
        return false;
    known &= must;
    return true;
}

bool RemovalOrder::someColumnEmptied() const
{
    for (int c = 0; c < columns; ++c) {
        for (int deal = 0; deal <= m_stacks.lastDeal; ++deal) {
            bool empty = true;
            for (int h = 0; h < m_stacks.top[c] && m_stacks.arrival[c][h] <= deal && empty; ++h)
                empty = !(gone(m_stacks.cards[c][h], m_stacks.arrival[c][h], deal) & covered);
            if (empty)
                return true;
        }
    }
    return false;
}
} // namespace solver
