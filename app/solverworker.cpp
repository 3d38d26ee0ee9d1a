#include "app/solverworker.h"

#include <QMetaObject>

#include <malloc.h>

namespace {

// Blocks this large are given back to the system as soon as they are freed.
constexpr int memoryReturnedAbove = 1 << 20;

} // namespace

SolverWorker::SolverWorker(QObject *parent) : QObject(parent)
{
    // A hint and a game's best line may be worked out at once.
    m_pool.setMaxThreadCount(2);
    // Fixed limits, or the allocator raises them after the first solve's large tables and then
    // keeps tens of megabytes at the top of a solving thread's heap, where trimming never
    // reaches.
    mallopt(M_MMAP_THRESHOLD, memoryReturnedAbove);
    mallopt(M_TRIM_THRESHOLD, memoryReturnedAbove);
}

SolverWorker::~SolverWorker()
{
    for (const auto &solve : m_solves) {
        if (const SolveStop stop = solve.lock())
            *stop = true;
    }
    m_pool.clear();
    m_pool.waitForDone();
}

SolveStop SolverWorker::solve(const Position &position, const SolveBudget &budget, Tell tell,
                              Finished finished)
{
    auto stop = std::make_shared<std::atomic<bool>>(false);
    std::erase_if(m_solves, [](const auto &solve) { return solve.expired(); });
    m_solves.push_back(stop);
    m_pool.start(
        [this, position, budget, stop, tell = std::move(tell), finished = std::move(finished)] {
            const std::optional<SolveNews> last =
                solveAnytime(position, budget, stop.get(), [&](const SolveNews &news) {
                    handBack(stop, [tell, news] { tell(news); });
                });
            // The memo's pages go back to the system, not only to the allocator.
            malloc_trim(0);
            handBack(stop, [finished, last] { finished(last); });
        });
    return stop;
}

void SolverWorker::handBack(const SolveStop &stop, std::function<void()> call)
{
    // Queued, so it runs on this object's thread; an object being destroyed drops it.
    QMetaObject::invokeMethod(
        this,
        [stop, call = std::move(call)] {
            if (!*stop)
                call();
        },
        Qt::QueuedConnection);
}

QString bestPossibleText(const SolveNews &news)
{
    if (!news.proven)
        return QString("Best possible: at least %1").arg(news.best.finalScore);
    const QString how = news.best.won    ? "won"
                        : *news.winnable ? "a win scores less"
                                         : "no win in this deal";
    return QString("Best possible: %1 (%2)").arg(news.best.finalScore).arg(how);
}

void stopSolve(SolveStop &stop)
{
    if (stop)
        *stop = true;
    stop.reset();
}
