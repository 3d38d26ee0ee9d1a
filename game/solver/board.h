#pragma once

#include "game/rules.h"
#include "game/solver/boardcard.h"

#include <array>
#include <cstdint>

namespace solver {

constexpr int columns = rules::columnCount;
constexpr int slots = rules::dealCount;

// The board in compact form. A card keeps its home (the column it lies in at the start, or is
// dealt to) unless it is moved, and a moved card always lies at the bottom of its column and
// never moves again; so the cards on the board, how far the deck was dealt and the card at the
// bottom of each column that was moved there fix the board exactly, and make its key.
struct Board {
    std::array<std::array<std::uint8_t, slots + 1>, columns> cards{}; // bottom first
    std::array<std::uint8_t, columns> count{};
    int dealt = 0;
    int turnclears = 0;
    // The cards on the board, a bit each (card 1 the lowest): kept along with the columns, as
    // the key, the end tests and the bounds all ask which cards are left.
    std::uint64_t onBoard = 0;

    std::uint8_t top(int c) const { return count[c] ? cards[c][count[c] - 1] : 0; }

    // The columns as the rules see them.
    rules::BasicTops<BoardCard> tops() const
    {
        rules::BasicTops<BoardCard> tops;
        for (int c = 0; c < columns; ++c) {
            tops.card[c] = {top(c)};
            tops.count[c] = count[c];
        }
        return tops;
    }

    void put(int c, std::uint8_t card)
    {
        cards[c][count[c]++] = card;
        onBoard |= bit(card);
    }
    // Takes the top card off column `c`; returns it.
    std::uint8_t take(int c)
    {
        const std::uint8_t card = cards[c][--count[c]];
        cards[c][count[c]] = 0;
        onBoard &= ~bit(card);
        return card;
    }

    bool exhausted() const { return dealt == Card::deckSize; }
    bool onlyAces() const { return (onBoard & nonAceBits) == 0; }

    static std::uint64_t bit(std::uint8_t card) { return std::uint64_t{1} << (card - 1); }
};

// A board's key, as the memo and the endgame cache know it.
struct Key {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    bool operator==(const Key &) const = default;
};

inline std::uint64_t hashOf(const Key &key)
{
    std::uint64_t h = key.low * 0x9E3779B97F4A7C15ull ^ (key.high + 0x632BE59BD9B4E019ull);
    h ^= h >> 29;
    h *= 0xBF58476D1CE4E5B9ull;
    return h ^ h >> 32;
}

} // namespace solver
