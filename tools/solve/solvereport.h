#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What quellan-solve prints, kept apart from the program so the tests can run it.
namespace solvereport {

// One deal's answer: winnable, best score and its line.
std::string dealText(std::uint32_t deal);

// One solved deal as the statistics count it.
struct Solved {
    bool solved = false;
    bool winnable = false;
    int best = 0;
    double milliseconds = 0;
};

// The processor time this thread has used so far, in milliseconds: a solve's time measured by
// it does not grow with other work on the machine.
double threadMilliseconds();

// The value that a share of the values (0.5 for the median) do not exceed, the nearest one.
double percentile(std::vector<double> values, double share);

// Solves deals first … first + count − 1 on `threads` threads.
std::vector<Solved> solveRange(std::uint32_t first, std::uint32_t count, unsigned threads);

// The share of winnable deals, the spread of best scores and the solve times.
std::string statsText(std::uint32_t first, const std::vector<Solved> &solved, unsigned threads);

} // namespace solvereport
