#include "server/scoreboard.h"

#include "server/scorepage.h"

#include <chrono>

namespace server {

ScoreBoard::ScoreBoard(ScoreStore &store, std::string webSite)
    : store_(store), webSite_(std::move(webSite))
{
}

void ScoreBoard::post(const ScoreEntry &entry)
{
    using namespace std::chrono;
    const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
    const std::lock_guard lock(mutex_);
    store_.add(entry, now.count());
    page_.reset();
}

std::shared_ptr<const std::string> ScoreBoard::page()
{
    const std::lock_guard lock(mutex_);
    if (!page_) {
        page_ = std::make_shared<const std::string>(
            renderScorePage(store_.best(pageRows), store_.count(), webSite_));
    }
    return page_;
}

} // namespace server
