#include "game/anytimesolve.h"

#include "game/solver/beam.h"

#include <algorithm>

namespace {

// How long the exact search is tried before the beams.
constexpr std::chrono::milliseconds quickProof{20};

// The better of the two beams' lines, told as each ends; none once stopped.
std::optional<SolveNews> beamNews(const Position &position, const std::atomic<bool> *stop,
                                  const std::function<void(const SolveNews &)> &tell)
{
    std::optional<SolveNews> news;
    solver::StopCheck stopCheck(stop);
    try {
        for (const solver::BeamRank rank :
             {solver::BeamRank::Points, solver::BeamRank::PointsAndPromise}) {
            const std::optional<SolvedLine> line =
                solver::beamSearch(position, beamWidth, rank, stopCheck);
            if (!line || (news && line->finalScore <= news->best.finalScore))
                continue;
            news = SolveNews{*line, false, line->won ? std::optional(true) : std::nullopt};
            tell(*news);
        }
    } catch (const solver::Stopped &) {
    }
    return news;
}

} // namespace

std::optional<SolveNews> solveAnytime(const Position &position, const SolveBudget &budget,
                                      const std::atomic<bool> *stop,
                                      const std::function<void(const SolveNews &)> &tell)
{
    const std::function<void(const SolveNews &)> told = tell ? tell : [](const SolveNews &) {};
    const std::chrono::nanoseconds started = solver::threadProcessorTime();
    const std::size_t positions = budget.memory / bytesPerPosition;
    // Most deals are proven sooner than the beams would run.
    const auto proof = [&](std::chrono::nanoseconds limit) -> std::optional<SolveNews> {
        const Solution exact = solve(
            position, positions, stop, defaultBoundAfter,
            std::min(limit, budget.processorTime - (solver::threadProcessorTime() - started)));
        if (!exact.solved)
            return std::nullopt;
        const SolveNews news{exact.best, true, exact.win.has_value()};
        told(news);
        return news;
    };
    if (std::optional<SolveNews> quick = proof(quickProof))
        return quick;
    const std::optional<SolveNews> news = beamNews(position, stop, told);
    if (!news)
        return news;
    std::optional<SolveNews> proven = proof(std::chrono::nanoseconds::max());
    return proven ? proven : news;
}
