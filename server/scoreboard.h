#pragma once

#include "server/scoreentry.h"
#include "server/scorestore.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace server {

// The stored scores and the high-score page made from them, for many threads at once.
// One writer thread owns the store: posts that arrive while it writes are committed together
// in its next transaction, so many clients share each sync to disk. The best scores and their
// number are kept in memory, so the page is rendered from them after each commit and handed
// out without touching the disk.
class ScoreBoard {
public:
    // How many of the best scores the page lists.
    static constexpr int pageRows = 100;
    // Runs on the writer thread with the outcome: true when the score was committed, or, for a
    // health check, when a write transaction succeeded just now.
    using Done = std::function<void(bool ok)>;
    // Told what went wrong with the store, one line at a time.
    using Complaint = std::function<void(const std::string &line)>;

    // webSite: the address the page links to. Reads the best scores and their number once.
    ScoreBoard(ScoreStore &store, std::string webSite, Complaint complain);
    ~ScoreBoard();
    ScoreBoard(const ScoreBoard &) = delete;
    ScoreBoard &operator=(const ScoreBoard &) = delete;

    void post(ReceivedScore score, Done done);
    void checkHealth(Done done);
    // The current high-score page.
    std::shared_ptr<const std::string> page() const;
    // Commits and answers everything queued, then stops the writer; nothing is taken after.
    void close();

private:
    struct Job {
        std::optional<ReceivedScore> score; // none: a health check
        Done done;
    };

    void enqueue(Job job);
    void writeLoop();
    void serve(std::vector<Job> &jobs);
    bool storeStillOurs();
    bool commit(const std::vector<ReceivedScore> &scores);
    bool proveWritable();
    void reload();
    void rank(const std::vector<ReceivedScore> &scores);
    void publish();

    ScoreStore &m_store;
    const std::string m_webSite;
    const Complaint m_complain;

    std::mutex m_queueMutex;
    std::condition_variable m_wake;
    std::vector<Job> m_queue;
    bool m_closing = false;

    // The writer thread's alone once it runs.
    std::vector<ScoreEntry> m_best;
    std::int64_t m_count = 0;
    bool m_lost = false;      // the database file was deleted or replaced under the server
    bool m_reloadDue = false; // another program changed the scores; not yet read again

    mutable std::mutex m_pageMutex;
    std::shared_ptr<const std::string> m_page;

    std::thread m_writer; // last: starts once everything above is ready
};

} // namespace server
