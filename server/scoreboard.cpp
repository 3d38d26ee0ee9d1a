#include "server/scoreboard.h"

#include "server/scorepage.h"

#include <chrono>

namespace server {

namespace {

std::int64_t nowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

ScoreBoard::ScoreBoard(ScoreStore &store, std::string webSite)
    : m_store(store), m_webSite(std::move(webSite))
{
}

void ScoreBoard::post(const ScoreEntry &entry)
{
    Waiting mine{{entry, nowMs()}, false, {}};
    std::unique_lock lock(m_mutex);
    m_waiting.push_back(&mine);
    // Whoever finds the store free writes everything waiting, its own post among it.
    while (!mine.done) {
        if (m_writing)
            m_written.wait(lock);
        else
            writeWaiting(lock);
    }
    if (!mine.error.empty())
        throw StoreError(mine.error);
}

std::shared_ptr<const std::string> ScoreBoard::page()
{
    std::unique_lock lock(m_mutex);
    m_written.wait(lock, [this] { return !m_writing; });
    if (!m_page) {
        m_page = std::make_shared<const std::string>(
            renderScorePage(m_store.best(pageRows), m_store.count(), m_webSite));
    }
    return m_page;
}

void ScoreBoard::writeWaiting(std::unique_lock<std::mutex> &lock)
{
    std::vector<ReceivedScore> scores;
    for (const Waiting *waiting : m_waiting)
        scores.push_back(waiting->score);
    std::vector<Waiting *> batch;
    batch.swap(m_waiting);
    m_writing = true;
    lock.unlock();
    std::string error;
    try {
        m_store.add(scores);
    } catch (const std::exception &failure) {
        // Every waiting poster learns the outcome; none is left waiting.
        error = failure.what();
    }
    lock.lock();
    m_writing = false;
    for (Waiting *waiting : batch) {
        waiting->done = true;
        waiting->error = error;
    }
    m_page.reset();
    m_written.notify_all();
}

} // namespace server
