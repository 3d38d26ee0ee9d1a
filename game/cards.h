#pragma once

// A card is a number 1–52 (0 = no card): 1–13 clubs, 14–26 diamonds, 27–39 hearts,
// 40–52 spades, each block running ace, 2 … 10, jack, queen, king.
namespace cards {

inline constexpr int deckSize = 52;

// Suit 1–4 (clubs, diamonds, hearts, spades); any other number counts as clubs.
constexpr int getsuit(int card)
{
    if (card >= 14 && card <= 26)
        return 2;
    if (card >= 27 && card <= 39)
        return 3;
    if (card >= 40 && card <= 52)
        return 4;
    return 1;
}

// Rank with aces high: twos to queens 2–12, kings 13, aces 14.
constexpr int getnum(int card)
{
    const int remainder = card % 13;
    if (remainder == 0)
        return 13;
    if (remainder == 1)
        return 14;
    return remainder;
}

constexpr bool isAce(int card)
{
    return card != 0 && card % 13 == 1;
}

// The suit's name as the ace question spells it.
constexpr const char *suitName(int suit)
{
    switch (suit) {
    case 1:
        return "CLUBS";
    case 2:
        return "DIAMONDS";
    case 3:
        return "HEARTS";
    default:
        return "SPADES";
    }
}

} // namespace cards
