#pragma once

#include "game/anytimesolve.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

// A running solve's stop: set, it ends the solve within moments and nothing more of it is
// told.
using SolveStop = std::shared_ptr<std::atomic<bool>>;

// Runs solves off the thread that asks, so that the table never waits for them, and hands
// what each learns back on the thread this object lives in.
class SolverWorker : public QObject {
    Q_OBJECT
public:
    explicit SolverWorker(QObject *parent = nullptr);
    // Stops every solve and waits for them to end.
    ~SolverWorker() override;

    using Tell = std::function<void(const SolveNews &)>;
    using Finished = std::function<void(const std::optional<SolveNews> &)>;

    // Solves a copy of the position within the budget: `tell` runs for each news, then
    // `finished` once with the last; both later, on this object's thread, and neither once
    // the returned stop is set.
    SolveStop solve(const Position &position, const SolveBudget &budget, Tell tell,
                    Finished finished);

private:
    // Runs `call` on this object's thread unless the solve was stopped by then.
    void handBack(const SolveStop &stop, std::function<void()> call);

    std::vector<std::weak_ptr<std::atomic<bool>>> m_solves;
    QThreadPool m_pool;
};

// The game-over panel's line: "Best possible: 436 (won)", "... (a win scores less)" or "...
// (no win in this deal)" once proven, "Best possible: at least 412" before.
QString bestPossibleText(const SolveNews &news);

// Stops the solve, if any, and forgets it.
void stopSolve(SolveStop &stop);
