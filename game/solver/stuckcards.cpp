#include "game/solver/stuckcards.h"

#include <bit>

namespace solver {

StuckCards::StuckCards(const Stacks &stacks, Ends ends, int kept)
    : m_stacks(stacks), m_ends(ends), m_kept(kept)
{
    assert(ends == Ends::wonOnly || kept == 1);
    for (int c = 0; c < columns; ++c) {
        for (int h = 0; h < stacks.top[c]; ++h) {
            const std::uint8_t card = stacks.cards[c][h];
            m_leftAt[c][h] = never;
            m_out[card] = static_cast<std::uint16_t>(from(stacks.arrival[c][h]));
            m_gone[card] = never;
            m_moved[card] = never;
            m_notGoing[suitOf(card)] += mustGo(card);
        }
    }
    settle();
}

void StuckCards::findInStack(int stack, int height)
{
    unsigned covered = m_coveredAt[stack][height];
    for (int h = height; h >= 0; --h) {
        const std::uint8_t card = m_stacks.cards[stack][h];
        m_coveredAt[stack][h] = static_cast<std::uint16_t>(covered);
        m_inStack[card] = static_cast<std::uint16_t>(m_out[card] & ~covered);
        findOnTop(card);
        covered |= from(m_stacks.arrival[stack][h]) & ~from(m_leftAt[stack][h]);
    }
}

void StuckCards::findOnTop(std::uint8_t card)
{
    m_onTop[card] = static_cast<std::uint16_t>(inStack(card) | apart(card));
}

int StuckCards::earliest(std::uint8_t card) const
{
    const Stacks::Place &at = m_stacks.place[card];
    const int suit = suitOf(card);
    const int rank = rankOf(card);
    const unsigned open = onTop(card);
    if (open == 0)
        return never;
    const int last = m_stacks.lastDeal;
    if (rank == Card::Ace)
        return (open >> last & 1) && !(m_ends == Ends::wonOnly && m_notGoing[suit]) ? last : never;
    int first = never;
    const int soonest = std::countr_zero(open);
    for (unsigned higher = m_stacks.ranks[suit] & ~((2u << rank) - 1); higher;
         higher &= higher - 1) {
        const std::uint8_t other = facts.number[suit][std::countr_zero(higher)];
        const Stacks::Place &otherAt = m_stacks.place[other];
        unsigned both = open & onTop(other);
        if (otherAt.stack == at.stack) {
            // Apart once the upper has been moved off. A lower one moved off before the
            // upper arrived lies on top only after deals after which a column could be
            // empty, and then the upper might have been moved off too.
            both &= apart(otherAt.height > at.height ? other : card);
        }
        if (both)
            first = std::min(first, std::countr_zero(both));
        if (first == soonest)
            break;
    }
    return first;
}

void StuckCards::findEmpty(int stack)
{
    const unsigned before = m_emptyAfter;
    // The cards out now first, then one a deal.
    const auto &left = m_leftAt[stack];
    const auto &arrival = m_stacks.arrival[stack];
    int latest = 0; // the deal by which all cards arrived so far might have left
    int h = 0;
    for (; h < m_stacks.outNow[stack]; ++h)
        latest = std::max<int>(latest, left[h]);
    m_emptyAfter |= latest == 0 ? 1u : 0u;
    for (; h < m_stacks.top[stack]; ++h) {
        latest = std::max<int>(latest, left[h]);
        if (latest <= arrival[h])
            m_emptyAfter |= 1u << arrival[h];
    }
    if (m_emptyAfter != before) {
        for (std::uint64_t moved = m_movedCards; moved; moved &= moved - 1)
            findOnTop(static_cast<std::uint8_t>(std::countr_zero(moved)));
    }
}

bool StuckCards::findMoved(std::uint8_t card)
{
    const Stacks::Place &at = m_stacks.place[card];
    const bool lowest = at.height == 0 && m_stacks.arrival[at.stack][0] == 0;
    const unsigned when = lowest ? 0 : inStack(card) & m_emptyAfter;
    if (when == 0 || std::countr_zero(when) >= m_moved[card])
        return false;
    m_moved[card] = static_cast<std::int8_t>(std::countr_zero(when));
    m_movedCards |= std::uint64_t{1} << card;
    leaves(at.stack, at.height, m_moved[card]);
    findOnTop(card);
    return true;
}

void StuckCards::settle()
{
    const auto &top = m_stacks.top;
    for (int c = 0; c < columns; ++c) {
        if (top[c])
            findInStack(c, top[c] - 1);
        findEmpty(c);
    }
    const int highest = *std::max_element(top.begin(), top.end());
    for (bool changed = true; changed && someCardStays();) {
        changed = false;
        for (int h = highest - 1; h >= 0; --h) {
            for (int c = 0; c < columns; ++c) {
                if (h >= top[c])
                    continue;
                const std::uint8_t card = m_stacks.cards[c][h];
                bool lowered = findMoved(card);
                if (m_gone[card] != m_stacks.arrival[c][h]) {
                    if (const int deal = earliest(card); deal < m_gone[card]) {
                        m_notGoing[suitOf(card)] -= m_gone[card] == never && mustGo(card);
                        m_gone[card] = static_cast<std::int8_t>(deal);
                        leaves(c, h, deal);
                        lowered = true;
                    }
                }
                if (lowered) {
                    findInStack(c, h);
                    findEmpty(c);
                    changed = true;
                }
            }
        }
    }
}
} // namespace solver
