#pragma once

#include "game/card.h"
#include "game/rules.h"

#include <array>
#include <vector>

// A running game as the solver weighs it: the board, the deck in dealing order, how far it
// has been dealt, the removals since the last deal and the score so far.
struct Position {
    std::array<std::vector<Card>, rules::columnCount> columns; // each bottom to top
    std::array<Card, Card::deckSize> deck{};
    int dealt = 0;
    int turnclears = 0;
    int score = 0;
};
