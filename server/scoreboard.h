#pragma once

#include "server/complaintthrottle.h"
#include "server/scoreentry.h"
#include "server/scorestore.h"

#include <chrono>
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

// The stored scores and the high-score pages made from them, for many threads at once: one of
// the verified scores, one of those posted without a game to check. One writer thread owns the
// store: posts that arrive while it writes are committed together in its next transaction, so
// many clients share each sync to disk. The best scores of each list and their number are
// kept in memory, so the pages are rendered from them after each commit and handed out
// without touching the disk. A store that several servers share tells every commit through
// its change feed, which the writer applies to the kept lists as it comes.
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
    // The current page of the verified scores, or of the others.
    std::shared_ptr<const std::string> page(bool verified) const;
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
    void catchUp();
    bool commit(const std::vector<ReceivedScore> &scores);
    bool proveWritable();
    void reload();
    void rank(const NumberedScore &score);
    void publish();

    ScoreStore &m_store;
    ChangeFeed *const m_feed; // none: the store is this server's alone
    const std::string m_webSite;
    ComplaintThrottle m_complaints;

    std::mutex m_queueMutex;
    std::condition_variable m_wake;
    std::vector<Job> m_queue;
    bool m_closing = false;

    // The writer thread's alone once it runs.
    Standings m_lists;        // unverified, verified
    bool m_lost = false;      // the database file was deleted or replaced under the server
    bool m_reloadDue = false; // the lists must be read again, and have not been yet
    std::chrono::steady_clock::time_point m_lastReload{};
    // Numbers for the scores this board ranks itself, after every one it read: a store of
    // its own gives every new score a number above the others.
    std::int64_t m_nextNumber = 0;

    mutable std::mutex m_pageMutex;
    std::shared_ptr<const std::string> m_pages[2]; // unverified, verified

    std::thread m_writer; // last: starts once everything above is ready
};

} // namespace server
