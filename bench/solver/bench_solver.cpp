// The solver on whole deals from their first deal, one after another on one core: the
// median, 99th percentile and longest solve, how many deals it gave up on, and the process's
// peak memory (each solve frees its table, so this is the largest single solve's).
#include "game/gametable.h"
#include "game/solver.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <sys/resource.h>
#include <vector>

namespace {

double percentile(std::vector<double> times, double share)
{
    std::sort(times.begin(), times.end());
    return times[static_cast<std::size_t>(share * static_cast<double>(times.size() - 1) + 0.5)];
}

void SolveDeals(benchmark::State &state)
{
    const auto deals = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        std::vector<double> times;
        int unsolved = 0;
        for (std::uint32_t deal = 0; deal < deals; ++deal) {
            GameTable table;
            table.startDeal(deal);
            const auto start = std::chrono::steady_clock::now();
            const Solution solution = solve(table.position());
            times.push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                    .count());
            unsolved += !solution.solved;
            benchmark::DoNotOptimize(solution);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["median_ms"] = percentile(times, 0.5);
        state.counters["p99_ms"] = percentile(times, 0.99);
        state.counters["max_ms"] = *std::max_element(times.begin(), times.end());
        state.counters["unsolved"] = unsolved;
        state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    }
}

} // namespace

// Deals 0–999 for a quick look; deals 0–99,999 for the figures (run with
// --benchmark_filter=SolveDeals/100000; it takes hours while deals without a win are slow).
BENCHMARK(SolveDeals)->Arg(1000)->Arg(100000)->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();
