#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace server {

// Serves each accepted connection on one of a fixed number of threads. Handing over a
// connection waits while every thread is busy, so the server stops accepting and never holds
// more connections open than it has threads; further clients wait in the system's queue.
class ConnectionPool : public httplib::TaskQueue {
public:
    explicit ConnectionPool(std::size_t threads);
    ~ConnectionPool() override;
    ConnectionPool(const ConnectionPool &) = delete;
    ConnectionPool &operator=(const ConnectionPool &) = delete;

    void enqueue(std::function<void()> job) override;
    // Lets the threads finish the connections handed over, then joins them.
    void shutdown() override;

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_jobWaiting;
    std::condition_variable m_threadFree;
    std::deque<std::function<void()>> m_jobs;
    std::size_t m_busy = 0;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace server
