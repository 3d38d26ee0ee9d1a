#pragma once

// One playing card, or no card. A card is known by its number 1–52: 1–13 clubs, 14–26
// diamonds, 27–39 hearts, 40–52 spades, each block running ace, 2 … 10, jack, queen, king.
// Every other number, 0 included, is no card.
class Card {
public:
    enum Suit { Clubs = 1, Diamonds, Hearts, Spades };
    // Ranks with aces high.
    enum Rank { Jack = 11, Queen = 12, King = 13, Ace = 14 };

    static constexpr int suitCount = 4;
    static constexpr int ranksPerSuit = 13;
    static constexpr int deckSize = suitCount * ranksPerSuit;

    // No card.
    constexpr Card() = default;
    constexpr explicit Card(int number) : m_number(number >= 1 && number <= deckSize ? number : 0)
    {
    }
    // The card of `suit` with `rank` 2–14 (aces high); no card for any other rank.
    constexpr Card(Suit suit, int rank) : m_number(numberOf(suit, rank)) {}

    constexpr bool isCard() const { return m_number != 0; }
    // 1–52, or 0 for no card.
    constexpr int number() const { return m_number; }
    // Clubs, diamonds, hearts or spades; 0 for no card.
    constexpr int suit() const { return isCard() ? (m_number - 1) / ranksPerSuit + Clubs : 0; }
    // Twos to queens 2–12, kings 13, aces 14; 0 for no card.
    constexpr int rank() const
    {
        if (!isCard())
            return 0;
        const int face = (m_number - 1) % ranksPerSuit + 1;
        return face == 1 ? Ace : face;
    }
    constexpr bool isAce() const { return rank() == Ace; }

    friend constexpr bool operator==(Card, Card) = default;

private:
    static constexpr int numberOf(Suit suit, int rank)
    {
        if (suit < Clubs || suit > Spades || rank < 2 || rank > Ace)
            return 0;
        // Within its suit's block the ace comes first.
        return (suit - Clubs) * ranksPerSuit + (rank == Ace ? 1 : rank);
    }

    int m_number = 0;
};
