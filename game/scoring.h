#pragma once

#include "game/card.h"

// The points of play, and the final scores they allow.
namespace scoring {

// A removal scores two points; every fourth removal since the last deal scores 32 instead;
// clearing the board of all but aces scores 100.
constexpr int removalPoints = 2;
constexpr int bonusPoints = 32;
constexpr int bonusEvery = 4;
constexpr int winPoints = 100;

// Aces are never discarded, so a won game removes every other card, and at most every
// fourth removal earns the bonus.
constexpr int removableCards = Card::deckSize - Card::suitCount;
constexpr int mostBonuses = removableCards / bonusEvery;
constexpr int highestFinalScore =
    mostBonuses * bonusPoints + (removableCards - mostBonuses) * removalPoints + winPoints;

// A lost game with not one removal and every card still on the board deducts all the ranks.
constexpr int rankSumOfSuit = (2 + Card::Ace) * (Card::Ace - 1) / 2;
constexpr int lowestFinalScore = -Card::suitCount * rankSumOfSuit;

static_assert(highestFinalScore == 556 && lowestFinalScore == -416);

} // namespace scoring
