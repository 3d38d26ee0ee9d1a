#pragma once

#include "server/scoreentry.h"
#include "server/scorestore.h"

#include <memory>
#include <mutex>
#include <string>

namespace server {

// The stored scores and the high-score page made from them, for many threads at once.
// Posts are stored one at a time; the page is rendered once after each change and then
// handed out as it is.
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
    std::mutex mutex_;
    ScoreStore &store_;
    const std::string webSite_;
    std::shared_ptr<const std::string> page_; // empty until rendered after the last change
};

} // namespace server
