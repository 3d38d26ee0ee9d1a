#include "app/solverworker.h"

#include <QMetaObject>

SolverWorker::SolverWorker(QObject *parent) : QObject(parent)
{
    // A hint and a game's best line may be asked for at once.
    m_pool.setMaxThreadCount(2);
}

SolverWorker::~SolverWorker()
{
    m_stopping = true;
    m_pool.clear();
    m_pool.waitForDone();
}

void SolverWorker::solve(const Position &position, std::function<void(const Solution &)> done)
{
    m_pool.start([this, position, done = std::move(done)] {
        Solution solution = ::solve(position, defaultMaxPositions, &m_stopping);
        // Queued, so it runs on this object's thread; an object being destroyed drops it.
        QMetaObject::invokeMethod(
            this, [done, solution = std::move(solution)] { done(solution); }, Qt::QueuedConnection);
    });
}

QString bestPossibleText(const Solution &solution)
{
    if (!solution.solved)
        return {};
    const QString how = solution.best.won ? "won"
                        : solution.win    ? "a win scores less"
                                          : "no win in this deal";
    return QString("Best possible: %1 (%2)").arg(solution.best.finalScore).arg(how);
}
