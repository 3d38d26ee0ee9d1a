#pragma once

#include "game/card.h"

#include <QString>

#include <optional>

struct Column;

// The texts the table shows and the names assistive tools read out for it, formed from what
// the game table holds.
namespace tabletexts {

// The points of the last scoring event as the turn's label shows them: "+2", "+32", "+100",
// "-" and the deduction; empty without one.
QString points(std::optional<int> points);
// "Are you sure you want to remove the ACE of HEARTS?"
QString aceQuestion(Card ace);
// "queen of hearts", "10 of clubs", "ace of spades".
QString spokenName(Card card);
// "Column 2: queen of hearts, 3 cards", "Column 4: empty".
QString columnName(int number, const Column &column);
// Every card of the column, the top one first as it is the one a click plays.
QString columnDescription(const Column &column);

} // namespace tabletexts
