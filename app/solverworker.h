#pragma once

#include "game/solver.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <functional>

// Runs the solver off the thread that asks, so that the table never waits for it, and hands
// each solution back on the thread this object lives in.
class SolverWorker : public QObject {
    Q_OBJECT
public:
    explicit SolverWorker(QObject *parent = nullptr);
    // Drops the solves not yet begun and stops the running ones.
    ~SolverWorker() override;

    // Solves a copy of the position; `done` runs later on this object's thread.
    void solve(const Position &position, std::function<void(const Solution &)> done);

private:
    std::atomic<bool> m_stopping = false;
    QThreadPool m_pool;
};

// The game-over panel's line for a solved deal: "Best possible: 436 (won)", "... (a win scores
// less)" or "... (no win in this deal)"; empty when the deal was not solved.
QString bestPossibleText(const Solution &solution);
