#pragma once

#include "game/anytimesolve.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What quellan-solve prints, kept apart from the program so the tests can run it.
namespace solvereport {

// One deal's answer: winnable, best score and its line; within `budgetMs` of processor time,
// what is known by then ("at least" while not proven), else the proof however long it takes.
std::string dealText(std::uint32_t deal, std::optional<int> budgetMs = std::nullopt);

// What a solve knew, and when in its processor time.
struct Known {
    double milliseconds = 0;
    int best = 0;
    bool proven = false;
};

// One solved deal as the statistics count it: solved when proven.
struct Solved {
    bool solved = false;
    bool winnable = false;
    int best = 0;
    double milliseconds = 0;
    std::vector<Known> timeline; // each news of the solve, in order
};

// The processor time this thread has used so far, in milliseconds: a solve's time measured by
// it does not grow with other work on the machine.
double threadMilliseconds();

// The value that a share of the values (0.5 for the median) do not exceed, the nearest one.
double percentile(std::vector<double> values, double share);

// Solves deals first … first + count − 1 on `threads` threads.
std::vector<Solved> solveRange(std::uint32_t first, std::uint32_t count, unsigned threads);

// The share of winnable deals, the spread of best scores, the solve times, and for budgets of
// 100 ms, 1 s and 2 s the share proven, the share whose best known is the best, and the gaps.
std::string statsText(std::uint32_t first, const std::vector<Solved> &solved, unsigned threads);

} // namespace solvereport
