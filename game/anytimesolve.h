#pragma once

#include "game/position.h"
#include "game/solver.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>

// What a solve knows so far: the best line found, whether no line does better for sure, and
// whether a win is known to be possible (true) or impossible (false).
struct SolveNews {
    SolvedLine best;
    bool proven = false;
    std::optional<bool> winnable;
};

// What a solve may spend before it gives up on a proof: the processor time of its thread and
// the memory it remembers positions in.
struct SolveBudget {
    std::chrono::milliseconds processorTime{30'000};
    std::size_t memory = std::size_t{256} << 20;
};

// The boards a beam keeps after each deal: wide enough to find the best score on most deals,
// narrow enough to answer within a fraction of a second on every deal.
constexpr int beamWidth = 256;

// Solves as it goes: a short try of the exact search, which proves most deals at once; then
// good lines by two beams, each told as it ends; then the exact search again, whose proof is
// told when it ends within the budget. `tell` (if any) runs on the calling
// thread, each time more is known. Returns the last news; none when the game is over already, or
// when `stop` turned true before a line was found.
std::optional<SolveNews> solveAnytime(const Position &position, const SolveBudget &budget,
                                      const std::atomic<bool> *stop,
                                      const std::function<void(const SolveNews &)> &tell);
