#pragma once

#include "game/card.h"

#include <array>
#include <cstdint>

namespace solver {

// Suits and ranks by card number, worked out once: the search asks for them all the time.
struct CardFacts {
    std::array<std::uint8_t, Card::deckSize + 1> suit{};
    std::array<std::uint8_t, Card::deckSize + 1> rank{};
    std::array<std::array<std::uint8_t, Card::Ace + 1>, Card::suitCount + 1> number{};

    constexpr CardFacts()
    {
        for (int n = 1; n <= Card::deckSize; ++n) {
            suit[n] = static_cast<std::uint8_t>(Card(n).suit());
            rank[n] = static_cast<std::uint8_t>(Card(n).rank());
            number[suit[n]][rank[n]] = static_cast<std::uint8_t>(n);
        }
    }
};
inline constexpr CardFacts facts;

inline int suitOf(std::uint8_t card)
{
    return facts.suit[card];
}

inline int rankOf(std::uint8_t card)
{
    return facts.rank[card];
}

// A card as the solver's board keeps it, its number (0 for no card), for the rules to read.
struct BoardCard {
    std::uint8_t number = 0;

    constexpr bool isCard() const { return number != 0; }
    constexpr int suit() const { return facts.suit[number]; }
    constexpr int rank() const { return facts.rank[number]; }
    constexpr bool isAce() const { return rank() == Card::Ace; }
};

// Every card but the aces, a bit each as on the board (card 1 the lowest).
inline constexpr std::uint64_t nonAceBits = [] {
    std::uint64_t bits = 0;
    for (int n = 1; n <= Card::deckSize; ++n) {
        if (!Card(n).isAce())
            bits |= std::uint64_t{1} << (n - 1);
    }
    return bits;
}();

// The ranks of the suit among `cards` (a bit each, as on the board), as `1u << rank`.
inline unsigned ranksOfSuit(std::uint64_t cards, int suit)
{
    constexpr unsigned suitBits = (1u << Card::ranksPerSuit) - 1;
    const unsigned field =
        static_cast<unsigned>(cards >> ((suit - 1) * Card::ranksPerSuit)) & suitBits;
    // Within a suit's block the ace comes first, then the two.
    return (field & ~1u) << 1 | (field & 1u) << Card::Ace;
}

} // namespace solver
