#include "server/connectionpool.h"

namespace server {

ConnectionPool::ConnectionPool(std::size_t threads)
{
    m_threads.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i)
        m_threads.emplace_back([this] { work(); });
}

ConnectionPool::~ConnectionPool()
{
    shutdown();
}

void ConnectionPool::enqueue(std::function<void()> job)
{
    std::unique_lock lock(m_mutex);
    m_threadFree.wait(lock, [this] { return m_busy + m_jobs.size() < m_threads.size(); });
    m_jobs.push_back(std::move(job));
    lock.unlock();
    m_jobWaiting.notify_one();
}

void ConnectionPool::shutdown()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_jobWaiting.notify_all();
    for (auto &thread : m_threads) {
        if (thread.joinable())
            thread.join();
    }
}

void ConnectionPool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_jobWaiting.wait(lock, [this] { return !m_jobs.empty() || m_stopping; });
        if (m_jobs.empty())
            return;
        auto job = std::move(m_jobs.front());
        m_jobs.pop_front();
        ++m_busy;
        lock.unlock();
        job();
        lock.lock();
        --m_busy;
        m_threadFree.notify_one();
    }
}

} // namespace server
