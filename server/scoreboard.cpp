#include "server/scoreboard.h"

#include "server/scorepage.h"

#include <algorithm>
#include <chrono>

namespace server {

namespace {

// How often an idle writer looks whether the database was replaced or changed by another
// program, such as a purge.
constexpr std::chrono::seconds watchInterval{1};

} // namespace

ScoreBoard::ScoreBoard(ScoreStore &store, std::string webSite, Complaint complain)
    : m_store(store), m_webSite(std::move(webSite)), m_complain(std::move(complain))
{
    reload();
    m_writer = std::thread([this] { writeLoop(); });
}

ScoreBoard::~ScoreBoard()
{
    close();
}

void ScoreBoard::post(ReceivedScore score, Done done)
{
    enqueue({std::move(score), std::move(done)});
}

void ScoreBoard::checkHealth(Done done)
{
    enqueue({std::nullopt, std::move(done)});
}

std::shared_ptr<const std::string> ScoreBoard::page() const
{
    const std::lock_guard lock(m_pageMutex);
    return m_page;
}

void ScoreBoard::close()
{
    {
        const std::lock_guard lock(m_queueMutex);
        m_closing = true;
    }
    m_wake.notify_one();
    if (m_writer.joinable())
        m_writer.join();
}

void ScoreBoard::enqueue(Job job)
{
    bool taken = false;
    {
        const std::lock_guard lock(m_queueMutex);
        if (!m_closing) {
            m_queue.push_back(std::move(job));
            taken = true;
        }
    }
    if (taken)
        m_wake.notify_one();
    else
        job.done(false); // too late: the board is closing
}

void ScoreBoard::writeLoop()
{
    std::unique_lock lock(m_queueMutex);
    for (;;) {
        m_wake.wait_for(lock, watchInterval, [this] { return !m_queue.empty() || m_closing; });
        std::vector<Job> jobs;
        jobs.swap(m_queue);
        const bool closing = m_closing;
        lock.unlock();
        try {
            serve(jobs);
        } catch (const std::exception &error) {
            // Such as memory running out: the batch is not acknowledged, the writer goes on.
            m_complain(error.what());
            for (Job &job : jobs)
                job.done(false);
        }
        lock.lock();
        if (closing && m_queue.empty())
            return;
    }
}

void ScoreBoard::serve(std::vector<Job> &jobs)
{
    std::vector<ReceivedScore> scores;
    bool healthAsked = false;
    for (Job &job : jobs) {
        if (job.score)
            scores.push_back(std::move(*job.score));
        else
            healthAsked = true;
    }
    const bool usable = storeStillOurs();
    // A file deleted or replaced while the batch was committed took the batch with it.
    const bool stored = usable && commit(scores) && storeStillOurs();
    const bool healthy = healthAsked && stored && proveWritable();
    for (Job &job : jobs)
        job.done(job.score ? stored : healthy);
}

// Checked before every batch: a deleted or replaced file would take the scores committed
// from now on with it, so the server stops acknowledging them for good.
bool ScoreBoard::storeStillOurs()
{
    if (m_lost)
        return false;
    try {
        if (m_store.fileReplaced()) {
            m_lost = true;
            m_complain("the score database was deleted or replaced; no more scores are stored");
            return false;
        }
        if (m_store.changedElsewhere() || m_reloadDue) {
            m_reloadDue = true;
            reload();
        }
        return true;
    } catch (const StoreError &error) {
        m_complain(error.what());
        return false;
    }
}

bool ScoreBoard::commit(const std::vector<ReceivedScore> &scores)
{
    if (scores.empty())
        return true;
    try {
        m_store.add(scores);
    } catch (const StoreError &error) {
        m_complain(error.what());
        return false;
    }
    m_count += static_cast<std::int64_t>(scores.size());
    rank(scores);
    publish();
    return true;
}

bool ScoreBoard::proveWritable()
{
    try {
        m_store.proveWritable();
        return true;
    } catch (const StoreError &error) {
        m_complain(error.what());
        return false;
    }
}

void ScoreBoard::reload()
{
    auto best = m_store.best(pageRows);
    m_count = m_store.count();
    m_best = std::move(best);
    m_reloadDue = false;
    publish();
}

// Places each new score after every kept score at least as high, as the store orders them.
void ScoreBoard::rank(const std::vector<ReceivedScore> &scores)
{
    for (const ReceivedScore &received : scores) {
        const auto at = std::upper_bound(
            m_best.begin(), m_best.end(), received.entry.score,
            [](std::int32_t score, const ScoreEntry &kept) { return score > kept.score; });
        if (at - m_best.begin() < pageRows)
            m_best.insert(at, received.entry);
        if (m_best.size() > pageRows)
            m_best.pop_back();
    }
}

void ScoreBoard::publish()
{
    auto page = std::make_shared<const std::string>(renderScorePage(m_best, m_count, m_webSite));
    const std::lock_guard lock(m_pageMutex);
    m_page = std::move(page);
}

} // namespace server
