#pragma once

#include "server/scoreentry.h"
#include "server/scorestore.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace server {

// The stored scores and the high-score page made from them, for many threads at once.
// Posts that arrive while another is being written are committed together in the next
// transaction, so many clients share each sync to disk. The page is rendered once after each
// change and then handed out as it is.
class ScoreBoard {
public:
    // How many of the best scores the page lists.
    static constexpr int pageRows = 100;

    // webSite: the address the page links to.
    ScoreBoard(ScoreStore &store, std::string webSite);

    // Stores a score stamped with the time it arrived; committed on return. Throws StoreError.
    void post(const ScoreEntry &entry);
    // The current high-score page. Throws StoreError.
    std::shared_ptr<const std::string> page();

private:
    // A post waiting for its commit, owned by the thread that posts it.
    struct Waiting {
        ReceivedScore score;
        bool done = false;
        std::string error; // empty when stored
    };

    void writeWaiting(std::unique_lock<std::mutex> &lock);

    std::mutex m_mutex;
    std::condition_variable m_written;
    ScoreStore &m_store;
    const std::string m_webSite;
    std::vector<Waiting *> m_waiting;
    bool m_writing = false; // a thread is writing outside the lock; the store is its alone
    std::shared_ptr<const std::string> m_page; // empty until rendered after the last change
};

} // namespace server
