#pragma once

#include "game/position.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

// A way to play a game to its end, one character an action: '1'–'4' a click on that column,
// 'd' a deal, 'y' yes to the ace question the click before it opened.
struct SolvedLine {
    int finalScore = 0;
    bool won = false;
    std::string actions;
};

struct Solution {
    bool solved = false;           // false: no answer (see solve()); nothing below
    SolvedLine best;               // the highest final score still reachable, won or lost
    std::optional<SolvedLine> win; // a won game, when a win is still reachable: the best line
                                   // when that wins, else the first win found
    std::size_t positions = 0;     // positions weighed
};

// The positions a solve remembers at most: some 200 MB at the peak.
constexpr std::size_t defaultMaxPositions = 2'000'000;
// What a remembered position costs at the peak, for turning a memory budget into positions.
constexpr std::size_t bytesPerPosition = 128;
// Where the search for the best score starts bounding each board by the cards that stay.
constexpr std::size_t defaultBoundAfter = 16384;

// Weighs every action a player has, from the position to every end of the game, and returns
// the best of them: exact, no guesses. Unsolved when the game is over already, when it would
// have to remember more than `maxPositions` positions (some 100 bytes each at the peak), when
// `stop` turns true meanwhile, or once the calling thread has spent `processorBudget`. Once it has
// weighed `boundAfter` positions, the search for the best score also bounds each by the cards that
// can never leave the board, which costs more than it saves on the many deals settled sooner; the
// search for a win, which ignores points, does so from the first. Both leave it out where it has
// seldom cut. From two deals before the deck is out, both weigh the lines from a board at once, in
// a small cache of their own that is not counted among the positions.

Solution solve(const Position &position, std::size_t maxPositions = defaultMaxPositions,
               const std::atomic<bool> *stop = nullptr, std::size_t boundAfter = defaultBoundAfter,
               std::chrono::nanoseconds processorBudget = std::chrono::nanoseconds::max());
