#include "server/connectionpool.h"

namespace server {

ConnectionPool::ConnectionPool(std::size_t threads)
{
    threads_.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i)
        threads_.emplace_back([this] { work(); });
}

ConnectionPool::~ConnectionPool()
{
    shutdown();
}

void ConnectionPool::enqueue(std::function<void()> job)
{
    std::unique_lock lock(mutex_);
    threadFree_.wait(lock, [this] { return busy_ + jobs_.size() < threads_.size(); });
    jobs_.push_back(std::move(job));
    lock.unlock();
    jobWaiting_.notify_one();
}

void ConnectionPool::shutdown()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    jobWaiting_.notify_all();
    for (auto &thread : threads_) {
        if (thread.joinable())
            thread.join();
    }
}

void ConnectionPool::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        jobWaiting_.wait(lock, [this] { return !jobs_.empty() || stopping_; });
        if (jobs_.empty())
            return;
        auto job = std::move(jobs_.front());
        jobs_.pop_front();
        ++busy_;
        lock.unlock();
        job();
        lock.lock();
        --busy_;
        threadFree_.notify_one();
    }
}

} // namespace server
