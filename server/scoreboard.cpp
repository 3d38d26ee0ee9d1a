#include "server/scoreboard.h"

#include "server/scorepage.h"

#include <algorithm>
#include <chrono>

namespace server {

namespace {

// How often an idle writer looks whether the database was replaced or changed by another
// program, such as a purge.
constexpr std::chrono::seconds watchInterval{1};
// How often it looks at the news of a store that other servers write: soon enough that a post
// acknowledged by one is on every server's page almost at once.
constexpr std::chrono::milliseconds feedInterval{50};
// The lists are read whole at most this often, however often the news fails.
constexpr std::chrono::seconds reloadInterval{1};

} // namespace

ScoreBoard::ScoreBoard(ScoreStore &store, std::string webSite, Complaint complain)
    : m_store(store), m_feed(store.changeFeed()), m_webSite(std::move(webSite)),
      m_complaints(std::move(complain))
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
        m_wake.wait_for(lock, m_feed ? std::chrono::milliseconds(feedInterval) : watchInterval,
                        [this] { return !m_queue.empty() || m_closing; });
        std::vector<Job> jobs;
        jobs.swap(m_queue);
        const bool closing = m_closing;
        lock.unlock();
        try {
            serve(jobs);
        } catch (const std::exception &error) {
            // Such as memory running out: the batch is not acknowledged, the writer goes on.
            m_complaints.complain(error.what());
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
    if (stored && (!scores.empty() || healthy))
        m_complaints.recovered();
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
            m_complaints.complain(
                "the score database was deleted or replaced; no more scores are stored");
            return false;
        }
        catchUp();
        return true;
    } catch (const StoreError &error) {
        m_complaints.complain(error.what());
        return false;
    }
}

// Brings the kept lists up to the store: the news of a shared store applied as it comes, and
// everything read again when the news cannot tell (or another program changed a store of our
// own), at most once a second.
void ScoreBoard::catchUp()
{
    bool changed = false;
    if (m_feed) {
        if (const auto added = m_feed->take()) {
            for (const NumberedScore &score : *added)
                rank(score);
            changed = !added->empty();
        } else {
            m_reloadDue = true;
        }
    } else if (m_store.changedElsewhere()) {
        m_reloadDue = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (m_reloadDue && now - m_lastReload >= reloadInterval) {
        m_lastReload = now;
        reload();
        m_complaints.recovered();
    } else if (changed) {
        publish();
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
        m_complaints.complain(error.what());
        return false;
    }
    // A shared store tells of our own scores too, and catchUp() ranks them.
    if (m_feed)
        return true;
    // A game stored already counts as stored, but not twice.
    for (std::size_t i = 0; i < scores.size(); ++i) {
        if (added[i])
            rank({scores[i].entry, m_nextNumber++});
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
        m_complaints.complain(error.what());
        return false;
    }
}

void ScoreBoard::reload()
{
    Standings lists;
    if (m_feed) {
        lists = m_feed->read(pageRows);
    } else {
        m_nextNumber = 0;
        for (const bool verified : {false, true}) {
            for (ScoreEntry &entry : m_store.best(pageRows, verified))
                lists.best[verified].push_back({std::move(entry), m_nextNumber++});
            lists.count[verified] = m_store.count(verified);
        }
    }
    std::swap(m_lists, lists);
    m_reloadDue = false;
    publish();
}

// Places a new score among the kept scores of its list as the store orders them: by score,
// then by the store's number.
void ScoreBoard::rank(const NumberedScore &score)
{
    std::vector<NumberedScore> &best = m_lists.best[score.entry.verified()];
    ++m_lists.count[score.entry.verified()];
    const auto at = std::upper_bound(best.begin(), best.end(), score, ranksBefore);
    if (at - best.begin() < pageRows)
        best.insert(at, score);
    if (best.size() > pageRows)
        best.pop_back();
}

void ScoreBoard::publish()
{
    std::shared_ptr<const std::string> pages[2];
    for (const bool verified : {false, true}) {
        std::vector<ScoreEntry> best;
        for (const NumberedScore &score : m_lists.best[verified])
            best.push_back(score.entry);
        pages[verified] = std::make_shared<const std::string>(renderScorePage(
            {best, m_lists.count[verified], m_lists.count[!verified], verified}, m_webSite));
    }
    const std::lock_guard lock(m_pageMutex);
    std::swap(m_pages, pages);
}

} // namespace server
