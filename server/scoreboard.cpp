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

std::shared_ptr<const std::string> ScoreBoard::page(bool verified) const
{
    const std::lock_guard lock(m_pageMutex);
    return m_pages[verified];
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
        if (m_store.replaced()) {
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
    std::vector<bool> added;
    try {
        added = m_store.add(scores);
    } catch (const StoreError &error) {
        m_complain(error.what());
        return false;
    }
    // A game stored already counts as stored, but not twice.
    for (std::size_t i = 0; i < scores.size(); ++i) {
        if (added[i])
            rank(scores[i].entry);
    }
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
    Listing lists[2];
    for (const bool verified : {false, true})
        lists[verified] = {m_store.best(pageRows, verified), m_store.count(verified)};
    std::swap(m_lists, lists);
    m_reloadDue = false;
    publish();
}

// Places a new score after every kept score of its list at least as high, as the store
// orders them.
void ScoreBoard::rank(const ScoreEntry &entry)
{
    Listing &list = m_lists[entry.verified()];
    ++list.count;
    const auto at = std::upper_bound(
        list.best.begin(), list.best.end(), entry.score,
        [](std::int32_t score, const ScoreEntry &kept) { return score > kept.score; });
    if (at - list.best.begin() < pageRows)
        list.best.insert(at, entry);
    if (list.best.size() > pageRows)
        list.best.pop_back();
}

void ScoreBoard::publish()
{
    std::shared_ptr<const std::string> pages[2];
    for (const bool verified : {false, true}) {
        pages[verified] = std::make_shared<const std::string>(renderScorePage(
            {m_lists[verified].best, m_lists[verified].count, m_lists[!verified].count, verified},
            m_webSite));
    }
    const std::lock_guard lock(m_pageMutex);
    std::swap(m_pages, pages);
}

} // namespace server
