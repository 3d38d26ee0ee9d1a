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
    : store_(store), webSite_(std::move(webSite))
{
}

void ScoreBoard::post(const ScoreEntry &entry)
{
    Waiting mine{{entry, nowMs()}, false, {}};
    std::unique_lock lock(mutex_);
    waiting_.push_back(&mine);
    // Whoever finds the store free writes everything waiting, its own post among it.
    while (!mine.done) {
        if (writing_)
            written_.wait(lock);
        else
            writeWaiting(lock);
    }
    if (!mine.error.empty())
        throw StoreError(mine.error);
}

std::shared_ptr<const std::string> ScoreBoard::page()
{
    std::unique_lock lock(mutex_);
    written_.wait(lock, [this] { return !writing_; });
    if (!page_) {
        page_ = std::make_shared<const std::string>(
            renderScorePage(store_.best(pageRows), store_.count(), webSite_));
    }
    return page_;
}

void ScoreBoard::writeWaiting(std::unique_lock<std::mutex> &lock)
{
    std::vector<ReceivedScore> scores;
    for (const Waiting *waiting : waiting_)
        scores.push_back(waiting->score);
    std::vector<Waiting *> batch;
    batch.swap(waiting_);
    writing_ = true;
    lock.unlock();
    std::string error;
    try {
        store_.add(scores);
    } catch (const std::exception &failure) {
        // Every waiting poster learns the outcome; none is left waiting.
        error = failure.what();
    }
    lock.lock();
    writing_ = false;
    for (Waiting *waiting : batch) {
        waiting->done = true;
        waiting->error = error;
    }
    page_.reset();
    written_.notify_all();
}

} // namespace server
