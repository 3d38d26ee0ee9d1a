// The solver on whole deals from their first deal, one after another on one core: the
// median, 99th percentile and longest solve, how many deals it gave up on, and the process's
// peak memory (each solve frees its table, so this is the largest single solve's). A solve's
// time is the processor time of its thread, so other work on the machine does not count.
#include "game/gametable.h"
#include "game/solver.h"
#include "tools/solve/solvereport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <sys/resource.h>
#include <vector>

namespace {

void SolveDeals(benchmark::State &state)
{
    const auto deals = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        std::vector<double> times;
        int unsolved = 0;
        for (std::uint32_t deal = 0; deal < deals; ++deal) {
            GameTable table;
            table.startDeal(deal);
            const double start = solvereport::threadMilliseconds();
            const Solution solution = solve(table.position());
            times.push_back(solvereport::threadMilliseconds() - start);
            unsolved += !solution.solved;
            benchmark::DoNotOptimize(solution);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        state.counters["median_ms"] = solvereport::percentile(times, 0.5);
        state.counters["p99_ms"] = solvereport::percentile(times, 0.99);
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
