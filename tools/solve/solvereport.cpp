#include "solvereport.h"

#include "game/gametable.h"
#include "game/solver.h"
#include "game/solver/stopcheck.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>

namespace solvereport {

namespace {

template <typename... Args> std::string format(const char *pattern, Args... args)
{
    std::array<char, 160> text{};
    std::snprintf(text.data(), text.size(), pattern, args...);
    return text.data();
}

Position dealPosition(std::uint32_t deal)
{
    GameTable table;
    table.startDeal(deal);
    return table.position();
}

// Solves the deal to the proof, or the budget's end, noting each news and when it came.
Solved solveDeal(std::uint32_t deal, SolveBudget budget)
{
    Solved solved;
    const double start = threadMilliseconds();
    const std::optional<SolveNews> last =
        solveAnytime(dealPosition(deal), budget, nullptr, [&](const SolveNews &news) {
            solved.timeline.push_back(
                {threadMilliseconds() - start, news.best.finalScore, news.proven});
        });
    solved.milliseconds = threadMilliseconds() - start;
    if (last && last->proven)
        solved = {true, *last->winnable, last->best.finalScore, solved.milliseconds,
                  std::move(solved.timeline)};
    return solved;
}

// Without a budget the proof takes what it takes, in the memory a solve is given in a game.
SolveBudget unlimited()
{
    return {std::chrono::hours(24 * 365), SolveBudget().memory};
}

// What the solve knew within the budget: the last news by then.
const Known *knownWithin(const Solved &solved, double budgetMs)
{
    const Known *known = nullptr;
    for (const Known &news : solved.timeline) {
        if (news.milliseconds <= budgetMs)
            known = &news;
    }
    return known;
}

// How soon the first line was known: what a hint waits for.
std::string firstLineText(const std::vector<Solved> &solved)
{
    std::vector<double> times;
    for (const Solved &one : solved) {
        if (!one.timeline.empty())
            times.push_back(one.timeline.front().milliseconds);
    }
    if (times.empty())
        return "No line found.\n";
    return format("First line: median %.2f ms, 99th percentile %.2f ms, maximum %.2f ms\n",
                  percentile(times, 0.5), percentile(times, 0.99),
                  *std::max_element(times.begin(), times.end()));
}

// For each budget: how many deals were proven within it, and how far the best known was
// below the best on the deals whose best is known.
std::string budgetText(const std::vector<Solved> &solved)
{
    std::string text = "Within   proven  best known  gap 1-9  gap 10-49  gap 50+  nothing\n";
    for (const double budget : {100.0, 1000.0, 2000.0}) {
        std::size_t proven = 0, exact = 0, nothing = 0, known = 0;
        std::array<std::size_t, 3> gaps{};
        for (const Solved &one : solved) {
            const Known *news = knownWithin(one, budget);
            if (!news) {
                ++nothing;
                continue;
            }
            proven += news->proven;
            if (!one.solved)
                continue;
            ++known;
            const int gap = one.best - news->best;
            if (gap == 0)
                ++exact;
            else
                ++gaps[gap < 10 ? 0 : gap < 50 ? 1 : 2];
        }
        const auto share = [](std::size_t part, std::size_t whole) {
            return whole ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
        };
        text += format("%4.0f ms %7.2f %% %9.2f %% %8zu %10zu %8zu %8zu\n", budget,
                       share(proven, solved.size()), share(exact, known), gaps[0], gaps[1], gaps[2],
                       nothing);
    }
    return text;
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
    return std::chrono::duration<double, std::milli>(solver::threadProcessorTime()).count();
}

double percentile(std::vector<double> values, double share)
{
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
    return values[at];
}

std::string dealText(std::uint32_t deal, std::optional<int> budgetMs)
{
    SolveBudget budget = unlimited();
    if (budgetMs)
        budget.processorTime = std::chrono::milliseconds(*budgetMs);
    const std::optional<SolveNews> news = solveAnytime(dealPosition(deal), budget, nullptr, {});
    const std::string name = "Deal " + std::to_string(deal) + ": ";
    if (!news)
        return name + "no line (the game is over)\n";
    const char *winnable = !news->winnable ? "unknown" : *news->winnable ? "yes" : "no";
    return name + "winnable " + winnable + ", best score " + (news->proven ? "" : "at least ") +
           std::to_string(news->best.finalScore) + " (" + (news->best.won ? "won" : "lost") +
           "), line " + news->best.actions + "\n";
}

std::vector<Solved> solveRange(std::uint32_t first, std::uint32_t count, unsigned threads)
{
    std::vector<Solved> solved(count);
    std::atomic<std::uint32_t> next = 0;
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(1u, threads); ++t) {
        workers.emplace_back([&] {
            for (std::uint32_t i = next++; i < count; i = next++)
                solved[i] = solveDeal(first + i, unlimited());
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
           format("maximum %.2f ms\n", *std::max_element(times.begin(), times.end())) +
           firstLineText(solved) + budgetText(solved);
}

} // namespace solvereport
