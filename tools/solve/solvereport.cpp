#include "solvereport.h"

#include "game/gametable.h"
#include "game/solver.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>

namespace solvereport {

namespace {

Solution solveDeal(std::uint32_t deal)
{
    GameTable table;
    table.startDeal(deal);
    return solve(table.position());
}

template <typename... Args> std::string format(const char *pattern, Args... args)
{
    std::array<char, 160> text{};
    std::snprintf(text.data(), text.size(), pattern, args...);
    return text.data();
}

// Best scores in bands of 100 (the lowest a game can end with is -416).
std::string spreadText(const std::vector<Solved> &solved)
{
    constexpr int lowest = -500;
    constexpr int band = 100;
    std::array<std::size_t, 11> counts{};
    for (const Solved &one : solved) {
        if (one.solved)
            ++counts[static_cast<std::size_t>((one.best - lowest) / band)];
    }
    std::string text = "Best score      Deals    Share\n";
    for (std::size_t i = 0; i < counts.size(); ++i) {
        const int from = lowest + static_cast<int>(i) * band;
        if (counts[i] > 0) {
            text +=
                format("%4d to %4d %9zu %7.2f %%\n", from, from + band - 1, counts[i],
                       100.0 * static_cast<double>(counts[i]) / static_cast<double>(solved.size()));
        }
    }
    return text;
}

} // namespace

double threadMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) * 1e-6;
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

std::string dealText(std::uint32_t deal)
{
    const Solution solution = solveDeal(deal);
    if (!solution.solved)
        return "Deal " + std::to_string(deal) + ": not solved (more than " +
               std::to_string(solution.positions) + " positions)\n";
    return "Deal " + std::to_string(deal) + ": winnable " + (solution.win ? "yes" : "no") +
           ", best score " + std::to_string(solution.best.finalScore) + " (" +
           (solution.best.won ? "won" : "lost") + "), line " + solution.best.actions + "\n";
}

std::vector<Solved> solveRange(std::uint32_t first, std::uint32_t count, unsigned threads)
{
    std::vector<Solved> solved(count);
    std::atomic<std::uint32_t> next = 0;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, threads); ++t) {
        workers.emplace_back([&] {
            for (std::uint32_t i = next++; i < count; i = next++) {
                const double start = threadMilliseconds();
                const Solution solution = solveDeal(first + i);
                solved[i] = {solution.solved, solution.win.has_value(), solution.best.finalScore,
                             threadMilliseconds() - start};
            }
        });
    }
    for (auto &worker : workers)
        worker.join();
    return solved;
}

std::string statsText(std::uint32_t first, const std::vector<Solved> &solved, unsigned threads)
{
    if (solved.empty())
        return "No deals.\n";
    const auto winnable = static_cast<double>(std::count_if(
        solved.begin(), solved.end(), [](const Solved &one) { return one.winnable; }));
    const auto unsolved = static_cast<double>(
        std::count_if(solved.begin(), solved.end(), [](const Solved &one) { return !one.solved; }));
    std::vector<double> times;
    for (const Solved &one : solved)
        times.push_back(one.milliseconds);
    const auto count = static_cast<double>(solved.size());
    return format("Deals %u to %u (%zu), solved on %u threads\n", first,
                  first + static_cast<std::uint32_t>(solved.size() - 1), solved.size(), threads) +
           format("Winnable: %.0f (%.2f %%)\n", winnable, 100.0 * winnable / count) +
           format("Not solved within the limit: %.0f (%.2f %%)\n", unsolved,
                  100.0 * unsolved / count) +
           spreadText(solved) +
           format("Solve time: median %.2f ms, 99th percentile %.2f ms, ", percentile(times, 0.5),
                  percentile(times, 0.99)) +
           format("maximum %.2f ms\n", *std::max_element(times.begin(), times.end()));
}

} // namespace solvereport
